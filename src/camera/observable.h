// Model events: the camera model tells its observers what changed.
//
// Observers are registered during window set-up, before the worker starts. Notifications
// run on the thread that sends them (the worker) and the event lives on its stack:
// observers copy what they keep. A connection that gives up on a worker stuck in the
// camera library forgets the observers first, so that worker's late notifications reach
// no window that is gone.
#pragma once

#include <mutex>
#include <string>
#include <vector>

namespace talbex::camera {

/// A type text ("PropertyChanged", "error", ...) and an untyped argument, may be null.
struct ModelEvent {
    ModelEvent(std::string type, void* arg) : type(std::move(type)), arg(arg) {}

    const std::string& getType() const { return type; }
    void* getArg() const { return arg; }

    std::string type;
    void* arg;
};

class Observable;

class Observer {
  public:
    virtual ~Observer() = default;
    virtual void update(Observable* from, ModelEvent* event) = 0;
};

class Observable {
  public:
    virtual ~Observable() = default;

    /// Appends unless already registered.
    void addObserver(Observer* observer);
    /// Calls every observer, the last registered first.
    void notifyObservers(ModelEvent* event);
    void notifyObservers(const std::string& type, void* arg = nullptr);
    /// Forgets every observer once no notification is in progress; meanwhile the calling
    /// thread keeps its wait pump running (a notification may be handing it work).
    void forgetObservers();

  private:
    // Held while observers are called; reentrant, as an observer may cause another
    // notification on the same thread.
    std::recursive_mutex mutex_;
    std::vector<Observer*> observers_;  // not owned; guarded by mutex_
};

}  // namespace talbex::camera
