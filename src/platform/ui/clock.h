// The time window timers run on. The program uses the steady system clock; tests install
// a clock they advance by hand, so timer-driven flows run without sleeping through them.
#pragma once

#include <chrono>
#include <cstdint>
#include <mutex>

namespace talbex::ui {

class Clock {
  public:
    using Milliseconds = std::chrono::milliseconds;
    virtual ~Clock() = default;
    virtual Milliseconds Now() const = 0;
    /// True when time only moves by Advance: message loops then wait for a wake-up
    /// instead of for a deadline in real time.
    virtual bool IsManual() const = 0;
};

class SteadyClock final : public Clock {
  public:
    Milliseconds Now() const override;
    bool IsManual() const override { return false; }
};

/// A clock that stands still until a test advances it. Advancing wakes every message
/// loop, which then runs the timers that have fallen due.
class TestClock final : public Clock {
  public:
    Milliseconds Now() const override;
    bool IsManual() const override { return true; }
    void Advance(Milliseconds by);

  private:
    mutable std::mutex mutex_;
    Milliseconds now_{0};
};

/// The clock of all message loops; the steady clock unless one was installed.
Clock& CurrentClock();
/// Installs `clock` (nullptr: back to the steady clock). The clock must outlive its use;
/// install it before any window runs.
void SetClock(Clock* clock);

}  // namespace talbex::ui
