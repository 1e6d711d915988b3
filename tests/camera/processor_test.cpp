// The worker runs commands in order, retries busy ones behind the rest, and on stop
// drops the queue and runs the final command once.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <future>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "camera/processor.h"

namespace talbex::camera {
namespace {

using Clock = std::chrono::steady_clock;

class Log {
  public:
    void add(std::string line) {
        std::lock_guard lock(mutex_);
        lines_.push_back(std::move(line));
    }
    std::vector<std::string> lines() {
        std::lock_guard lock(mutex_);
        return lines_;
    }

  private:
    std::mutex mutex_;
    std::vector<std::string> lines_;
};

// Logs "<name>" per run and "~<name>" when deleted; answers `results` in turn (then true).
class FakeCommand : public Command {
  public:
    FakeCommand(std::string name, Log* log, std::vector<bool> results = {})
        : Command(nullptr), name_(std::move(name)), log_(log), results_(std::move(results)) {}
    ~FakeCommand() override { log_->add("~" + name_); }
    bool execute() override {
        log_->add(name_);
        if (gate.valid())
            gate.wait();
        if (results_.empty())
            return true;
        bool result = results_.front();
        results_.erase(results_.begin());
        return result;
    }
    std::shared_future<void> gate;

  private:
    std::string name_;
    Log* log_;
    std::vector<bool> results_;
};

Processor::Options fastRetry(Processor::PickUp pickUp = Processor::PickUp::kSignal) {
    Processor::Options options;
    options.pickUp = pickUp;
    options.retryPause = std::chrono::milliseconds(20);
    return options;
}

std::vector<std::string> runs(const std::vector<std::string>& lines) {
    std::vector<std::string> out;
    std::copy_if(lines.begin(), lines.end(), std::back_inserter(out),
                 [](const std::string& l) { return l[0] != '~'; });
    return out;
}

class ProcessorModes : public ::testing::TestWithParam<Processor::PickUp> {};

TEST_P(ProcessorModes, BusyCommandRunsAgainBehindTheOthers) {
    Log log;
    Processor processor(fastRetry(GetParam()));
    processor.enqueue(new FakeCommand("A", &log));
    processor.enqueue(new FakeCommand("B", &log, {false, true}));
    processor.enqueue(new FakeCommand("C", &log));
    processor.start();
    auto deadline = Clock::now() + std::chrono::seconds(5);
    while (log.lines().size() < 7 && Clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    processor.stop();
    processor.join();
    EXPECT_EQ(runs(log.lines()), (std::vector<std::string>{"A", "B", "C", "B"}));
    EXPECT_EQ(log.lines().size(), 7u);  // each deleted once
}

INSTANTIATE_TEST_SUITE_P(BothPickUps, ProcessorModes,
                         ::testing::Values(Processor::PickUp::kSignal,
                                           Processor::PickUp::kPoll10ms));

TEST(ProcessorTest, StopDropsTheQueueAfterTheCommandInHandThenRunsTheFinalOnce) {
    Log log;
    Processor processor(fastRetry());
    std::promise<void> release;
    auto* first = new FakeCommand("A", &log);
    first->gate = release.get_future().share();
    processor.start();
    processor.enqueue(first);
    auto deadline = Clock::now() + std::chrono::seconds(5);
    while (log.lines().empty() && Clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    processor.enqueue(new FakeCommand("B", &log));
    processor.enqueue(new FakeCommand("C", &log));
    processor.setCloseCommand(new FakeCommand("Final", &log));
    processor.stop();
    release.set_value();
    processor.join();
    EXPECT_EQ(log.lines(), (std::vector<std::string>{"A", "~A", "~B", "~C", "Final", "~Final"}));
}

TEST(ProcessorTest, StopWithoutFinalCommandEndsAfterClearing) {
    Log log;
    Processor processor(fastRetry());
    processor.start();
    processor.stop();
    processor.enqueue(new FakeCommand("late", &log));
    processor.join();
    EXPECT_FALSE(processor.isRunning());
    EXPECT_TRUE(runs(log.lines()).empty());
}

TEST(ProcessorTest, StopRightAfterStartIsNeverLost) {
    for (int i = 0; i < 50; ++i) {
        Processor processor(fastRetry());
        processor.start();
        processor.stop();
        processor.join();  // would hang if the worker set running after the stop
    }
}

TEST(ProcessorTest, NullCommandChangesNothing) {
    Log log;
    Processor processor(fastRetry());
    processor.enqueue(static_cast<Command*>(nullptr));
    processor.enqueue(new FakeCommand("A", &log));
    processor.start();
    auto deadline = Clock::now() + std::chrono::seconds(5);
    while (log.lines().size() < 2 && Clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    processor.stop();
    processor.join();
    EXPECT_EQ(log.lines(), (std::vector<std::string>{"A", "~A"}));
}

// Records when it runs; asks to run again `busyRuns` times, after `ownPause` if given.
class TimedCommand : public Command {
  public:
    TimedCommand(std::vector<Clock::time_point>* times, std::mutex* mutex, int busyRuns,
                 std::optional<std::chrono::milliseconds> ownPause = std::nullopt)
        : Command(nullptr),
          times_(times),
          mutex_(mutex),
          busyRuns_(busyRuns),
          ownPause_(ownPause) {}
    bool execute() override {
        std::lock_guard lock(*mutex_);
        times_->push_back(Clock::now());
        if (busyRuns_-- <= 0)
            return true;
        return ownPause_ ? runAgainAfter(*ownPause_) : false;
    }

  private:
    std::vector<Clock::time_point>* times_;
    std::mutex* mutex_;
    int busyRuns_;
    std::optional<std::chrono::milliseconds> ownPause_;
};

TEST(ProcessorTest, ACommandMayAskForAShorterPauseButNotALongerOne) {
    using std::chrono::milliseconds;
    const struct {
        milliseconds own, atLeast, below;
    } cases[] = {{milliseconds(20), milliseconds(19), milliseconds(300)},
                 {milliseconds(5000), milliseconds(495), milliseconds(2000)}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.own.count());
        std::mutex mutex;
        std::vector<Clock::time_point> times;
        Processor processor;  // the real 500 ms pause
        processor.start();
        processor.enqueue(new TimedCommand(&times, &mutex, 1, c.own));
        auto deadline = Clock::now() + std::chrono::seconds(5);
        for (;;) {
            {
                std::lock_guard lock(mutex);
                if (times.size() >= 2 || Clock::now() >= deadline)
                    break;
            }
            std::this_thread::sleep_for(milliseconds(1));
        }
        processor.stop();
        processor.join();
        ASSERT_EQ(times.size(), 2u);
        EXPECT_GE(times[1] - times[0], c.atLeast);
        EXPECT_LT(times[1] - times[0], c.below);
    }
}

TEST(ProcessorTest, RetryWaitsHalfASecondButStopCutsItShort) {
    std::mutex mutex;
    std::vector<Clock::time_point> times;
    auto count = [&] {
        std::lock_guard lock(mutex);
        return times.size();
    };
    Processor processor;  // the real 500 ms pause
    processor.start();
    processor.enqueue(new TimedCommand(&times, &mutex, 1000));
    auto deadline = Clock::now() + std::chrono::seconds(5);
    while (count() < 2 && Clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_EQ(count(), 2u);
    {
        std::lock_guard lock(mutex);
        EXPECT_GE(times[1] - times[0], std::chrono::milliseconds(495));
    }
    // Stopped during the pause: the worker ends at once and does not run it a third time.
    auto stopAt = Clock::now();
    processor.stop();
    processor.join();
    EXPECT_LT(Clock::now() - stopAt, std::chrono::milliseconds(300));
    EXPECT_EQ(count(), 2u);
}

TEST(ProcessorTest, IdleWorkerPicksUpAQueuedCommandWellWithinTenMilliseconds) {
    struct Probe : Command {
        explicit Probe(std::promise<Clock::time_point>* ran) : Command(nullptr), ran(ran) {}
        bool execute() override {
            ran->set_value(Clock::now());
            return true;
        }
        std::promise<Clock::time_point>* ran;
    };
    Processor processor;
    processor.start();
    std::vector<std::chrono::microseconds> delays;
    for (int i = 0; i < 20; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(3));
        std::promise<Clock::time_point> ran;
        auto future = ran.get_future();
        auto enqueued = Clock::now();
        processor.enqueue(new Probe(&ran));
        delays.push_back(
            std::chrono::duration_cast<std::chrono::microseconds>(future.get() - enqueued));
    }
    processor.stop();
    processor.join();
    std::sort(delays.begin(), delays.end());
    EXPECT_LT(delays[delays.size() / 2], std::chrono::milliseconds(10));
}

}  // namespace
}  // namespace talbex::camera
