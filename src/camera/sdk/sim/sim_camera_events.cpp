// The simulated camera's events: the handlers the program registers and the events that
// go out to them on the backend's event thread.
#include "camera/sdk/sim/event_dispatcher.h"
#include "camera/sdk/sim/sim_camera.h"

namespace talbex::sim {

namespace {

// Property, object and state events: the kind's "all" and its slot among the handlers.
constexpr uint32_t kAllOfKind[] = {kPropertyEventAll, kObjectEventAll, kStateEventAll};

size_t KindOf(uint32_t event) {
    return (event & 0xFFFFFF00u) / 0x100 - 1;
}

}  // namespace

SimCamera::Handlers SimCamera::NoHandlers() {
    Handlers handlers;
    for (size_t kind = 0; kind < handlers.size(); ++kind)
        handlers[kind].filter = kAllOfKind[kind];
    handlers[0].handler = SdkPropertyEventHandler{};
    handlers[1].handler = SdkObjectEventHandler{};
    handlers[2].handler = SdkStateEventHandler{};
    return handlers;
}

SdkError SimCamera::SetEventHandler(const Ref& ref, uint32_t event, AnyEventHandler handler,
                                    void* context) {
    std::lock_guard lock(mutex_);
    if (!attached_ || ref.generation != generation_)
        return kSdkErrCommDisconnected;
    // The handler's type names the kind; the event must be of that kind.
    const size_t kind = handler.index();
    if ((event & 0xFFFFFF00u) != kAllOfKind[kind])
        return kSdkErrInvalidParameter;
    handlers_[kind] = Registration{event, handler, context};
    return kSdkOk;
}

// Events reach only an open session; the handler is looked up when the event goes out,
// so a handler removed meanwhile is not called.
void SimCamera::PostEventLocked(uint32_t event, Deliver deliver) {
    if (sessions_ == 0)
        return;
    std::weak_ptr<SimCamera> weak = weak_from_this();
    dispatcher_->Post([weak, event, deliver = std::move(deliver)] {
        auto self = weak.lock();
        if (!self)
            return;
        Registration registration;
        {
            std::lock_guard lock(self->mutex_);
            registration = self->handlers_[KindOf(event)];
        }
        const uint32_t filter = registration.filter;
        if (filter != kAllOfKind[KindOf(event)] && filter != event)
            return;
        deliver(registration.handler, registration.context);
    });
}

void SimCamera::PostPropertyEventLocked(SdkPropertyEvent event, SdkPropertyId id) {
    PostEventLocked(event, [event, id](const AnyEventHandler& handler, void* context) {
        if (auto call = std::get<SdkPropertyEventHandler>(handler))
            call(event, id, 0, context);
    });
}

void SimCamera::PostStateEventLocked(SdkStateEvent event, uint32_t param) {
    PostEventLocked(event, [event, param](const AnyEventHandler& handler, void* context) {
        if (auto call = std::get<SdkStateEventHandler>(handler))
            call(event, param, context);
    });
}

void SimCamera::PostObjectEventLocked(SdkObjectEvent event, std::shared_ptr<Item> item) {
    PostEventLocked(event, [event, item](const AnyEventHandler& handler, void* context) {
        auto call = std::get<SdkObjectEventHandler>(handler);
        if (!call)
            return;
        // The receiver owns this reference and releases it.
        if (SdkBaseRef ref = SdkRegisterObject(item))
            call(event, ref, context);
    });
}

}  // namespace talbex::sim
