// Model events: the camera model tells its observers what changed.
//
// Observers are registered during window set-up, before the worker starts; the list is
// then only read, so it needs no lock. Notifications run on the thread that sends them
// (the worker) and the event lives on its stack: observers copy what they keep.
#pragma once

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

    /// Appends unless already registered. There is no removal.
    void addObserver(Observer* observer);
    /// Calls every observer, the last registered first.
    void notifyObservers(ModelEvent* event);
    void notifyObservers(const std::string& type, void* arg = nullptr);

  private:
    std::vector<Observer*> observers_;  // not owned
};

}  // namespace talbex::camera
