#include "camera/camera_commander.h"

#include <cstdint>
#include <functional>
#include <string_view>
#include <unordered_map>

#include "camera/download_command.h"
#include "camera/evf_commands.h"
#include "camera/property_commands.h"
#include "camera/sdk/sdk.h"
#include "camera/session_commands.h"
#include "camera/shooting_commands.h"
#include "platform/os/program_directory.h"
#include "platform/os/quit_request.h"

namespace talbex::camera {

namespace {

constexpr int32_t kFocusMoveStep = 128;

using Action = std::function<Command*(CameraModel* model, void* arg)>;

// Actions that carry a value ignore a null argument: there is nothing to act on.
Action setUInt32(SdkPropertyId id) {
    return [id](CameraModel* model, void* arg) -> Command* {
        if (arg == nullptr)
            return nullptr;
        return new SetPropertyCommand<unsigned long>(model, id, *static_cast<uint32_t*>(arg));
    };
}

Action setFixed(SdkPropertyId id, uint32_t value) {
    return [id, value](CameraModel* model, void*) -> Command* {
        return new SetPropertyCommand<unsigned long>(model, id, value);
    };
}

Action press(uint32_t state) {
    return [state](CameraModel* model, void*) -> Command* {
        return new PressShutterButtonCommand(model, state);
    };
}

Action driveLens(uint32_t step) {
    return
        [step](CameraModel* model, void*) -> Command* { return new DriveLensCommand(model, step); };
}

template <typename C>
Action plain() {
    return [](CameraModel* model, void*) -> Command* { return new C(model); };
}

template <typename C>
Action withId() {
    return [](CameraModel* model, void* arg) -> Command* {
        if (arg == nullptr)
            return nullptr;
        return new C(model, *static_cast<uint32_t*>(arg));
    };
}

const std::unordered_map<std::string_view, Action>& actionTable() {
    static const std::unordered_map<std::string_view, Action> table = {
        {"opensession", plain<OpenSessionCommand>()},
        {"set_AEMode", setUInt32(kPropAeMode)},
        {"set_Av", setUInt32(kPropAv)},
        {"set_Tv", setUInt32(kPropTv)},
        {"set_ISOSpeed", setUInt32(kPropIsoSpeed)},
        {"set_MeteringMode", setUInt32(kPropMeteringMode)},
        {"set_ExposureCompensation", setUInt32(kPropExposureCompensation)},
        {"set_ImageQuality", setUInt32(kPropImageQuality)},
        {"set_EvfAFMode", setUInt32(kPropEvfAfMode)},
        {"pressingHalfway", press(kShutterButtonHalfway)},
        {"pressingCompletely", press(kShutterButtonCompletely)},
        {"pressingOff", press(kShutterButtonOff)},
        {"TakePicture", plain<TakePictureCommand>()},
        {"set_Capacity",
         [](CameraModel* model, void* arg) -> Command* {
             if (arg == nullptr)
                 return nullptr;
             return new SetCapacityCommand(model, *static_cast<SdkCapacity*>(arg));
         }},
        {"get_Property", withId<GetPropertyCommand>()},
        {"get_PropertyDesc", withId<GetPropertyDescCommand>()},
        {"shutDown",
         [](CameraModel* model, void*) -> Command* {
             return new NotifyCommand(model, "shutDown");
         }},
        {"startEVF", plain<StartEvfCommand>()},
        {"endEVF", plain<EndEvfCommand>()},
        {"downloadEVF", plain<DownloadEvfCommand>()},
        {"focus_Near1", driveLens(1)},
        {"focus_Near2", driveLens(2)},
        {"focus_Near3", driveLens(3)},
        {"focus_Far1", driveLens(0x8001)},
        {"focus_Far2", driveLens(0x8002)},
        {"focus_Far3", driveLens(0x8003)},
        {"zoom_Fit", setFixed(kPropEvfZoom, 1)},
        {"zoom_Zoom", setFixed(kPropEvfZoom, 5)},
        {"evfAFOn", [](CameraModel* m, void*) -> Command* { return new DoEvfAFCommand(m, 1); }},
        {"evfAFOff", [](CameraModel* m, void*) -> Command* { return new DoEvfAFCommand(m, 0); }},
    };
    return table;
}

}  // namespace

void CameraCommander::setStagingFolder(const std::string& folder) {
    std::lock_guard lock(settingsMutex_);
    stagingFolder_ = folder;
}

std::string CameraCommander::getStagingFolder() const {
    {
        std::lock_guard lock(settingsMutex_);
        if (!stagingFolder_.empty())
            return stagingFolder_;
    }
    return os::ProgramDirectory();
}

void CameraCommander::setPictureLanded(PictureLanded landed) {
    std::lock_guard lock(settingsMutex_);
    landed_ = std::move(landed);
}

void CameraCommander::pictureLanded(const std::string& path) {
    PictureLanded landed;
    {
        std::lock_guard lock(settingsMutex_);
        landed = landed_;
    }
    if (landed)
        landed(path);
}

void CameraCommander::run() {
    processor_.start();
    processor_.enqueue(new OpenSessionCommand(model_));
    processor_.enqueue(new GetPropertyCommand(model_, kPropProductName));
}

void CameraCommander::close() {
    closingSince_ = Clock::now();
    stopping_ = true;
    if (model_ != nullptr)
        processor_.setCloseCommand(new CloseSessionCommand(model_));
    processor_.stop();
    if (processor_.joinFor(kWorkerEndLimit))
        return;
    // A picture still arriving may have its grace, unless the program quits; a worker
    // that has not ended by then is stuck in the camera library.
    if (processor_.bringingPicture() && !os::QuitRequested())
        processor_.joinFor(closingGrace_.load());
}

bool CameraCommander::transferMustEnd() const {
    if (!stopping_)
        return false;
    // A program asked to quit does not wait for the cable; a closing window lets the
    // picture in hand arrive, but not for ever.
    return os::QuitRequested() || Clock::now() - closingSince_.load() >= closingGrace_.load();
}

void CameraCommander::moveFocus(int32_t dx, int32_t dy) {
    tagSdkPoint point = model_->getEvfZoomPosition();
    // Towards the top or the left edge the position stops at 0; the camera bounds the rest.
    int64_t x = static_cast<int64_t>(point.x) + dx;
    int64_t y = static_cast<int64_t>(point.y) + dy;
    if (x < 0)
        x = 0;
    if (y < 0)
        y = 0;
    if (x > INT32_MAX)
        x = INT32_MAX;
    if (y > INT32_MAX)
        y = INT32_MAX;
    processor_.enqueue(new SetPropertyCommand<tagSdkPoint>(
        model_, kPropEvfZoomPosition,
        tagSdkPoint{static_cast<int32_t>(x), static_cast<int32_t>(y)}));
}

void CameraCommander::actionPerformed(const ActionEvent& event) {
    const std::string command = event.getActionCommand();
    void* arg = event.getArg();
    if (command == "closing") {
        close();
        return;
    }
    if (command == "download") {
        auto* item = static_cast<SdkDirectoryItemRef>(arg);
        if (item == nullptr)
            return;
        if (model_ == nullptr) {
            SdkRelease(item);  // nobody will take it: do not keep it alive
            return;
        }
        DownloadCommand::Hooks hooks;
        hooks.cancelled = [this] { return transferMustEnd(); };
        hooks.landed = [this](const std::string& path) { pictureLanded(path); };
        processor_.enqueue(new DownloadCommand(model_, item, getStagingFolder(), std::move(hooks)));
        return;
    }
    if (model_ == nullptr)
        return;
    if (command == "focus_Up")
        return moveFocus(0, -kFocusMoveStep);
    if (command == "focus_Down")
        return moveFocus(0, kFocusMoveStep);
    if (command == "focus_Left")
        return moveFocus(-kFocusMoveStep, 0);
    if (command == "focus_Right")
        return moveFocus(kFocusMoveStep, 0);
    const auto& table = actionTable();
    auto it = table.find(command);
    if (it == table.end())
        return;
    processor_.enqueue(it->second(model_, arg));
}

SdkError CameraCommander::registerEventHandlers(SdkCameraRef camera) {
    SdkError result =
        SdkSetPropertyEventHandler(camera, kPropertyEventAll, &handlePropertyEvent, this);
    if (result == kSdkOk)
        result = SdkSetObjectEventHandler(camera, kObjectEventAll, &handleObjectEvent, this);
    if (result == kSdkOk)
        result = SdkSetCameraStateEventHandler(camera, kStateEventAll, &handleStateEvent, this);
    return result;
}

SdkError CameraCommander::handlePropertyEvent(SdkPropertyEvent event, SdkPropertyId property,
                                              uint32_t /*param*/, void* context) {
    auto* commander = static_cast<CameraCommander*>(context);
    uint32_t id = property;
    if (event == kPropertyEventPropertyChanged)
        fireActionEvent(commander, "get_Property", &id);
    else if (event == kPropertyEventPropertyDescChanged)
        fireActionEvent(commander, "get_PropertyDesc", &id);
    return kSdkOk;
}

SdkError CameraCommander::handleObjectEvent(SdkObjectEvent event, SdkBaseRef object,
                                            void* context) {
    auto* commander = static_cast<CameraCommander*>(context);
    if (event == kObjectEventDirItemRequestTransfer)
        fireActionEvent(commander, "download", object);
    else if (object != nullptr)
        SdkRelease(object);
    return kSdkOk;
}

SdkError CameraCommander::handleStateEvent(SdkStateEvent event, uint32_t /*param*/, void* context) {
    auto* commander = static_cast<CameraCommander*>(context);
    if (event == kStateEventShutdown)
        fireActionEvent(commander, "shutDown", nullptr);
    return kSdkOk;
}

}  // namespace talbex::camera
