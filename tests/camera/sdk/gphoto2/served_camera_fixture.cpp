#include "served_camera_fixture.h"

#include "camera/sdk/gphoto2/gphoto2_backend.h"
#include "camera/sdk/sdk_backend.h"

namespace talbex::gphoto::testing {

namespace {
constexpr auto kEventWait = std::chrono::seconds(5);
}

void SeenEvents::Register(SdkCameraRef camera) {
    ASSERT_EQ(SdkSetPropertyEventHandler(camera, kPropertyEventAll, &OnProperty, this), kSdkOk);
    ASSERT_EQ(SdkSetObjectEventHandler(camera, kObjectEventAll, &OnObject, this), kSdkOk);
    ASSERT_EQ(SdkSetCameraStateEventHandler(camera, kStateEventAll, &OnState, this), kSdkOk);
}

bool SeenEvents::WaitFor(const std::function<bool(const SeenEvent&)>& match) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, kEventWait, [&] {
        for (const SeenEvent& e : events_)
            if (match(e))
                return true;
        return false;
    });
}

SdkBaseRef SeenEvents::TakePicture() {
    std::unique_lock lock(mutex_);
    SdkBaseRef taken = nullptr;
    changed_.wait_for(lock, kEventWait, [&] {
        for (SeenEvent& e : events_)
            if (e.event == kObjectEventDirItemRequestTransfer && e.object != nullptr) {
                std::swap(taken, e.object);
                return true;
            }
        return false;
    });
    return taken;
}

SdkError SeenEvents::OnProperty(SdkPropertyEvent event, SdkPropertyId id, uint32_t, void* self) {
    static_cast<SeenEvents*>(self)->Add({event, id, nullptr});
    return kSdkOk;
}

SdkError SeenEvents::OnObject(SdkObjectEvent event, SdkBaseRef object, void* self) {
    static_cast<SeenEvents*>(self)->Add({event, 0, object});
    return kSdkOk;
}

SdkError SeenEvents::OnState(SdkStateEvent event, uint32_t param, void* self) {
    static_cast<SeenEvents*>(self)->Add({event, param, nullptr});
    return kSdkOk;
}

void SeenEvents::Add(SeenEvent e) {
    {
        std::lock_guard lock(mutex_);
        events_.push_back(e);
    }
    changed_.notify_all();
}

void ServedCameraTest::Serve(const std::string& settings) {
    std::string error;
    ASSERT_TRUE(server_.Start(settings, &error)) << error;
    SdkUseBackend(std::make_shared<Gphoto2Backend>("", server_.GphotoPort()));
    ASSERT_EQ(SdkInitialize(), kSdkOk);
    initialized_ = true;
    SdkCameraListRef list = nullptr;
    int32_t count = 0;
    ASSERT_EQ(SdkGetCameraList(&list), kSdkOk);
    ASSERT_EQ(SdkGetChildCount(list, &count), kSdkOk);
    ASSERT_EQ(count, 1) << server_.Output();
    ASSERT_EQ(SdkGetChildAtIndex(list, 0, &camera_), kSdkOk);
    SdkRelease(list);
    ASSERT_EQ(SdkOpenSession(camera_), kSdkOk);
    events_.Register(camera_);
}

void ServedCameraTest::TearDown() {
    if (camera_ != nullptr)
        SdkRelease(camera_);
    if (initialized_)
        SdkTerminate();
    SdkUseBackend(nullptr);
}

std::optional<std::string> ServedCameraTest::ReadText(SdkPropertyId id) {
    SdkDataType type;
    uint32_t size;
    char text[256] = {};
    if (SdkGetPropertySize(camera_, id, 0, &type, &size) != kSdkOk || type != kDataTypeString ||
        SdkGetPropertyData(camera_, id, 0, std::min<uint32_t>(size, sizeof text), text) != kSdkOk)
        return std::nullopt;
    return std::string(text);
}

std::optional<uint32_t> ServedCameraTest::ReadValue(SdkPropertyId id) {
    SdkDataType type;
    uint32_t size;
    uint32_t value = 0;
    if (SdkGetPropertySize(camera_, id, 0, &type, &size) != kSdkOk ||
        SdkGetPropertyData(camera_, id, 0, sizeof value, &value) != kSdkOk)
        return std::nullopt;
    return value;
}

SdkError ServedCameraTest::WriteText(SdkPropertyId id, const std::string& text) {
    return SdkSetPropertyData(camera_, id, 0, static_cast<uint32_t>(text.size() + 1), text.c_str());
}

SdkError ServedCameraTest::WriteValue(SdkPropertyId id, uint32_t value) {
    return SdkSetPropertyData(camera_, id, 0, sizeof value, &value);
}

}  // namespace talbex::gphoto::testing
