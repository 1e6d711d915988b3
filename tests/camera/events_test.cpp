// Model events go to observers newest first; actions go to listeners oldest first.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "camera/action_source.h"
#include "camera/observable.h"

namespace talbex::camera {
namespace {

struct NamedObserver : Observer {
    NamedObserver(std::string name, std::vector<std::string>* log) : name(name), log(log) {}
    void update(Observable*, ModelEvent* event) override {
        log->push_back(name + ":" + event->getType());
    }
    std::string name;
    std::vector<std::string>* log;
};

struct NamedListener : ActionListener {
    NamedListener(std::string name, std::vector<std::string>* log) : name(name), log(log) {}
    void actionPerformed(const ActionEvent& event) override {
        log->push_back(name + ":" + event.getActionCommand());
        lastArg = event.getArg();
    }
    std::string name;
    std::vector<std::string>* log;
    void* lastArg = nullptr;
};

TEST(ModelEventsTest, ObserversRunNewestFirstAndOnlyOnceEach) {
    std::vector<std::string> log;
    NamedObserver a("A", &log), b("B", &log);
    Observable model;
    model.addObserver(&a);
    model.addObserver(&b);
    model.addObserver(&a);
    model.addObserver(nullptr);
    model.notifyObservers("PropertyChanged");
    EXPECT_EQ(log, (std::vector<std::string>{"B:PropertyChanged", "A:PropertyChanged"}));
}

TEST(ActionEventsTest, ListenersRunOldestFirstAndOnlyOnceEach) {
    std::vector<std::string> log;
    NamedListener a("A", &log), b("B", &log);
    ActionSource source;
    source.addActionListener(&a);
    source.addActionListener(&b);
    source.addActionListener(&a);
    source.setActionCommand("TakePicture");
    int value = 7;
    source.fireActionEvent(&value);
    EXPECT_EQ(log, (std::vector<std::string>{"A:TakePicture", "B:TakePicture"}));
    EXPECT_EQ(b.lastArg, &value);

    log.clear();
    source.fireActionEvent("closing", nullptr);
    EXPECT_EQ(log, (std::vector<std::string>{"A:closing", "B:closing"}));
    EXPECT_EQ(b.lastArg, nullptr);
}

TEST(ActionEventsTest, EmptyCommandStillFiresAndFreeFunctionCallsOneListener) {
    std::vector<std::string> log;
    NamedListener a("A", &log);
    ActionSource source;
    source.addActionListener(&a);
    source.fireActionEvent(nullptr);
    EXPECT_EQ(log, (std::vector<std::string>{"A:"}));

    log.clear();
    fireActionEvent(&a, "shutDown", nullptr);
    fireActionEvent(nullptr, "shutDown", nullptr);  // no listener: nothing happens
    EXPECT_EQ(log, (std::vector<std::string>{"A:shutDown"}));
}

}  // namespace
}  // namespace talbex::camera
