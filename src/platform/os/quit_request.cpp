#include "platform/os/quit_request.h"

#include <atomic>

namespace talbex::os {

namespace {

std::atomic<bool>& Flag() {
    static std::atomic<bool> requested{false};
    return requested;
}

}  // namespace

void RequestQuit() {
    Flag().store(true);
}

bool QuitRequested() {
    return Flag().load();
}

void ClearQuitRequest() {
    Flag().store(false);
}

}  // namespace talbex::os
