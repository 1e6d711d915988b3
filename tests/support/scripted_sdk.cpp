#include "scripted_sdk.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>

namespace talbex::testing {

namespace {

class ScriptedCamera : public SdkObject {};
class ScriptedList : public SdkObject {};

class ScriptedItem : public SdkObject {
  public:
    explicit ScriptedItem(ScriptedSdk::Picture picture) : picture(std::move(picture)) {}
    ScriptedSdk::Picture picture;
};

}  // namespace

std::string Hex(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", value);
    return text;
}

std::shared_ptr<ScriptedSdk> ScriptedSdk::Install(uint32_t deviceSubType) {
    auto sdk = std::make_shared<ScriptedSdk>(deviceSubType);
    SdkUseBackend(sdk);
    SdkInitialize();
    return sdk;
}

void ScriptedSdk::Uninstall() {
    while (SdkTerminate() == kSdkOk) {
    }
    SdkUseBackend(nullptr);
}

void ScriptedSdk::Name(const SdkObject* object, std::string name) {
    std::lock_guard lock(mutex_);
    names_[object] = std::move(name);
}

std::string ScriptedSdk::NameOf(SdkObject& object) const {
    std::lock_guard lock(mutex_);
    auto it = names_.find(&object);
    return it == names_.end() ? "?" : it->second;
}

SdkCameraRef ScriptedSdk::Camera() {
    std::shared_ptr<SdkObject> camera;
    {
        std::lock_guard lock(mutex_);
        if (cameraRef_ != nullptr)
            return cameraRef_;
        camera_ = std::make_shared<ScriptedCamera>();
        camera = camera_;
        names_[camera.get()] = "camera";
    }
    SdkCameraRef ref = SdkRegisterObject(camera);
    std::lock_guard lock(mutex_);
    cameraRef_ = ref;
    return ref;
}

SdkDeviceInfo ScriptedSdk::DeviceInfo() const {
    SdkDeviceInfo info{};
    std::snprintf(info.deviceDescription, sizeof info.deviceDescription, "Scripted camera");
    info.deviceSubType = deviceSubType_;
    return info;
}

void ScriptedSdk::Answer(const std::string& key, std::vector<SdkError> codes) {
    std::lock_guard lock(mutex_);
    auto& queue = answers_[key];
    queue.insert(queue.end(), codes.begin(), codes.end());
}

void ScriptedSdk::SetUInt32(SdkPropertyId id, uint32_t value) {
    std::vector<unsigned char> bytes(sizeof value);
    std::memcpy(bytes.data(), &value, sizeof value);
    SetRaw(id, kDataTypeUInt32, bytes, sizeof value);
}

void ScriptedSdk::SetString(SdkPropertyId id, const std::string& text) {
    std::vector<unsigned char> bytes(text.begin(), text.end());
    bytes.push_back(0);
    SetRaw(id, kDataTypeString, bytes, static_cast<uint32_t>(bytes.size()));
}

void ScriptedSdk::SetRaw(SdkPropertyId id, SdkDataType type, std::vector<unsigned char> bytes,
                         uint32_t reportedSize) {
    std::lock_guard lock(mutex_);
    properties_[id] = Property{type, std::move(bytes), reportedSize};
}

void ScriptedSdk::SetDesc(SdkPropertyId id, const SdkPropertyDesc& desc) {
    std::lock_guard lock(mutex_);
    descs_[id] = desc;
}

void ScriptedSdk::SetFrame(const Frame& frame) {
    std::lock_guard lock(mutex_);
    frame_ = frame;
}

void ScriptedSdk::SetDownloadChunk(size_t bytes) {
    std::lock_guard lock(mutex_);
    downloadChunk_ = std::max<size_t>(bytes, 1);
}

void ScriptedSdk::SetHook(const std::string& op, std::function<void()> hook) {
    std::lock_guard lock(mutex_);
    hooks_[op] = std::move(hook);
}

SdkError ScriptedSdk::Call(const std::string& op, const std::string& line,
                           const std::string& idKey) {
    std::function<void()> hook;
    SdkError code = kSdkOk;
    {
        std::lock_guard lock(mutex_);
        calls_.push_back(line);
        auto found = hooks_.find(op);
        if (found != hooks_.end())
            hook = found->second;
        auto it = idKey.empty() ? answers_.end() : answers_.find(op + " " + idKey);
        if (it == answers_.end() || it->second.empty())
            it = answers_.find(op);
        if (it != answers_.end() && !it->second.empty()) {
            code = it->second.front();
            it->second.pop_front();
        }
    }
    called_.notify_all();
    if (hook)
        hook();
    return code;
}

std::vector<std::string> ScriptedSdk::Calls() const {
    std::lock_guard lock(mutex_);
    return calls_;
}

std::vector<std::string> ScriptedSdk::Calls(const std::string& prefix) const {
    std::vector<std::string> matching;
    std::lock_guard lock(mutex_);
    for (const auto& line : calls_) {
        if (line.rfind(prefix, 0) == 0)
            matching.push_back(line);
    }
    return matching;
}

void ScriptedSdk::ClearCalls() {
    std::lock_guard lock(mutex_);
    calls_.clear();
}

bool ScriptedSdk::WaitForCall(const std::string& line, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(mutex_);
    return called_.wait_for(lock, timeout, [&] {
        return std::find(calls_.begin(), calls_.end(), line) != calls_.end();
    });
}

// ---- Events -----------------------------------------------------------------------------

SdkError ScriptedSdk::FirePropertyEvent(SdkPropertyEvent event, SdkPropertyId id) {
    SdkPropertyEventHandler handler;
    void* context;
    {
        std::lock_guard lock(mutex_);
        handler = propertyHandler_;
        context = propertyContext_;
    }
    return handler ? handler(event, id, 0, context) : kSdkErrNotSupported;
}

SdkDirectoryItemRef ScriptedSdk::MakeItem(const Picture& picture) {
    auto item = std::make_shared<ScriptedItem>(picture);
    Name(item.get(), "item:" + picture.fileName);
    return SdkRegisterObject(item);
}

SdkError ScriptedSdk::FireObjectEvent(SdkObjectEvent event, const Picture& picture) {
    SdkObjectEventHandler handler;
    void* context;
    {
        std::lock_guard lock(mutex_);
        handler = objectHandler_;
        context = objectContext_;
    }
    if (!handler)
        return kSdkErrNotSupported;
    return handler(event, MakeItem(picture), context);
}

SdkError ScriptedSdk::FireStateEvent(SdkStateEvent event) {
    SdkStateEventHandler handler;
    void* context;
    {
        std::lock_guard lock(mutex_);
        handler = stateHandler_;
        context = stateContext_;
    }
    return handler ? handler(event, 0, context) : kSdkErrNotSupported;
}

// ---- Camera operations ---------------------------------------------------------------------

SdkError ScriptedSdk::GetCameraList(std::shared_ptr<SdkObject>* outList) {
    if (SdkError e = Call("GetCameraList", "GetCameraList"))
        return e;
    *outList = std::make_shared<ScriptedList>();
    Name(outList->get(), "list");
    return kSdkOk;
}

SdkError ScriptedSdk::GetChildCount(SdkObject&, int32_t* outCount) {
    *outCount = 1;
    return Call("GetChildCount", "GetChildCount");
}

SdkError ScriptedSdk::GetChildAtIndex(SdkObject&, int32_t index,
                                      std::shared_ptr<SdkObject>* outChild) {
    if (SdkError e = Call("GetChildAtIndex", "GetChildAtIndex " + std::to_string(index)))
        return e;
    if (index != 0)
        return kSdkErrInvalidIndex;
    std::lock_guard lock(mutex_);
    if (!camera_) {
        camera_ = std::make_shared<ScriptedCamera>();
        names_[camera_.get()] = "camera";
    }
    *outChild = camera_;
    return kSdkOk;
}

SdkError ScriptedSdk::GetDeviceInfo(SdkObject&, SdkDeviceInfo* outInfo) {
    *outInfo = DeviceInfo();
    return Call("GetDeviceInfo", "GetDeviceInfo");
}

SdkError ScriptedSdk::OpenSession(SdkObject&) {
    return Call("OpenSession", "OpenSession");
}

SdkError ScriptedSdk::CloseSession(SdkObject&) {
    return Call("CloseSession", "CloseSession");
}

SdkError ScriptedSdk::GetPropertySize(SdkObject&, SdkPropertyId property, int32_t param,
                                      SdkDataType* outType, uint32_t* outSize) {
    SdkError e =
        Call("GetPropertySize",
             "GetPropertySize " + Hex(property) + " param=" + std::to_string(param), Hex(property));
    if (e)
        return e;
    std::lock_guard lock(mutex_);
    auto it = properties_.find(property);
    if (it == properties_.end())
        return kSdkErrPropertyUnavailable;
    *outType = it->second.type;
    *outSize = it->second.reportedSize;
    return kSdkOk;
}

SdkError ScriptedSdk::GetPropertyData(SdkObject&, SdkPropertyId property, int32_t param,
                                      uint32_t size, void* outData) {
    SdkError e = Call("GetPropertyData",
                      "GetPropertyData " + Hex(property) + " param=" + std::to_string(param) +
                          " size=" + std::to_string(size),
                      Hex(property));
    if (e)
        return e;
    std::lock_guard lock(mutex_);
    auto it = properties_.find(property);
    if (it == properties_.end())
        return kSdkErrPropertyUnavailable;
    // Fills every byte asked for, as a camera would: a caller asking for more room than
    // it has is caught by the address sanitizer.
    auto* out = static_cast<unsigned char*>(outData);
    size_t n = std::min<size_t>(size, it->second.bytes.size());
    std::memcpy(out, it->second.bytes.data(), n);
    std::memset(out + n, 0xAB, size - n);
    return kSdkOk;
}

SdkError ScriptedSdk::SetPropertyData(SdkObject&, SdkPropertyId property, int32_t param,
                                      uint32_t size, const void* data) {
    std::string line = "SetPropertyData " + Hex(property) + " param=" + std::to_string(param) +
                       " size=" + std::to_string(size);
    if (size == 4) {
        uint32_t value;
        std::memcpy(&value, data, 4);
        line += " value=" + Hex(value);
    } else if (size == 8) {
        tagSdkPoint point;
        std::memcpy(&point, data, 8);
        line += " point=" + std::to_string(point.x) + "," + std::to_string(point.y);
    }
    return Call("SetPropertyData", line, Hex(property));
}

SdkError ScriptedSdk::GetPropertyDesc(SdkObject&, SdkPropertyId property,
                                      SdkPropertyDesc* outDesc) {
    if (SdkError e = Call("GetPropertyDesc", "GetPropertyDesc " + Hex(property), Hex(property)))
        return e;
    std::lock_guard lock(mutex_);
    auto it = descs_.find(property);
    if (it == descs_.end())
        return kSdkErrPropertyUnavailable;
    *outDesc = it->second;
    return kSdkOk;
}

SdkError ScriptedSdk::SendCommand(SdkObject&, SdkCameraCommand command, int32_t param) {
    return Call("SendCommand", "SendCommand " + Hex(command) + " param=" + Hex(param),
                Hex(command));
}

SdkError ScriptedSdk::SendStatusCommand(SdkObject&, SdkStatusCommand command, int32_t param) {
    return Call("SendStatusCommand",
                "SendStatusCommand " + std::to_string(command) + " param=" + std::to_string(param),
                std::to_string(command));
}

SdkError ScriptedSdk::SetCapacity(SdkObject&, SdkCapacity capacity) {
    return Call("SetCapacity", "SetCapacity " + Hex(capacity.numberOfFreeClusters) + " " +
                                   Hex(capacity.bytesPerSector) + " " +
                                   std::to_string(capacity.reset));
}

SdkError ScriptedSdk::GetDirectoryItemInfo(SdkObject& item, SdkDirectoryItemInfo* outInfo) {
    if (SdkError e = Call("GetDirectoryItemInfo", "GetDirectoryItemInfo " + NameOf(item)))
        return e;
    auto* scripted = dynamic_cast<ScriptedItem*>(&item);
    if (scripted == nullptr)
        return kSdkErrInvalidHandle;
    *outInfo = SdkDirectoryItemInfo{};
    outInfo->size = static_cast<uint32_t>(scripted->picture.bytes.size());
    // Copies all 256 bytes: a name that long has no terminating zero, as a camera may send.
    std::memcpy(outInfo->fileName, scripted->picture.fileName.data(),
                std::min(scripted->picture.fileName.size(), sizeof outInfo->fileName));
    return kSdkOk;
}

SdkError ScriptedSdk::Download(SdkObject& item, uint64_t size, SdkStream& stream) {
    SdkError scripted =
        Call("Download", "Download " + NameOf(item) + " size=" + std::to_string(size) +
                             " to=" + NameOf(stream));
    auto* picture = dynamic_cast<ScriptedItem*>(&item);
    if (picture == nullptr)
        return kSdkErrInvalidHandle;
    const auto& bytes = picture->picture.bytes;
    size_t chunk;
    {
        std::lock_guard lock(mutex_);
        chunk = downloadChunk_;
    }
    size_t total = std::min<size_t>(size, bytes.size());
    size_t done = 0;
    while (done < total) {
        size_t n = std::min(chunk, total - done);
        if (SdkError e = stream.Write(bytes.data() + done, n))
            return e;
        done += n;
        if (stream.ReportProgress(static_cast<uint32_t>(done * 100 / total)))
            return kSdkErrOperationCancelled;
        // A scripted failure breaks off after the first chunk, as a cable pulled mid-way.
        if (scripted != kSdkOk)
            return scripted;
    }
    return scripted;
}

SdkError ScriptedSdk::DownloadComplete(SdkObject& item) {
    return Call("DownloadComplete", "DownloadComplete " + NameOf(item));
}

SdkError ScriptedSdk::DownloadEvfImage(SdkObject&, SdkEvfImage& image) {
    if (SdkError e = Call("DownloadEvfImage", "DownloadEvfImage " + NameOf(image)))
        return e;
    Frame frame;
    {
        std::lock_guard lock(mutex_);
        frame = frame_;
    }
    image.stream->Truncate();
    image.stream->Write(frame.jpeg.data(), frame.jpeg.size());
    image.zoom = frame.zoom;
    image.zoomRect = frame.zoomRect;
    image.imagePosition = frame.imagePosition;
    image.histogram.fill(0);
    image.histogram[0] = frame.histogramFirst;
    image.coordinateSystem = frame.coordinateSystem;
    return kSdkOk;
}

SdkError ScriptedSdk::SetPropertyEventHandler(SdkObject&, SdkPropertyEvent event,
                                              SdkPropertyEventHandler handler, void* context) {
    {
        std::lock_guard lock(mutex_);
        propertyHandler_ = handler;
        propertyContext_ = context;
    }
    return Call("SetPropertyEventHandler", "SetPropertyEventHandler " + Hex(event));
}

SdkError ScriptedSdk::SetObjectEventHandler(SdkObject&, SdkObjectEvent event,
                                            SdkObjectEventHandler handler, void* context) {
    {
        std::lock_guard lock(mutex_);
        objectHandler_ = handler;
        objectContext_ = context;
    }
    return Call("SetObjectEventHandler", "SetObjectEventHandler " + Hex(event));
}

SdkError ScriptedSdk::SetCameraStateEventHandler(SdkObject&, SdkStateEvent event,
                                                 SdkStateEventHandler handler, void* context) {
    {
        std::lock_guard lock(mutex_);
        stateHandler_ = handler;
        stateContext_ = context;
    }
    return Call("SetCameraStateEventHandler", "SetCameraStateEventHandler " + Hex(event));
}

SdkError ScriptedSdk::GetShutterCount(SdkObject&, uint32_t* outCount) {
    *outCount = 0;
    return Call("GetShutterCount", "GetShutterCount");
}

// ---- Host operations: recorded, then done by the defaults -----------------------------------

SdkError ScriptedSdk::CreateFileStream(const char* fileName, SdkFileCreateDisposition disposition,
                                       SdkAccess access, std::shared_ptr<SdkObject>* outStream) {
    if (SdkError e = Call("CreateFileStream", std::string("CreateFileStream ") + fileName + " " +
                                                  std::to_string(disposition) + " " +
                                                  std::to_string(access)))
        return e;
    SdkError e = SdkBackend::CreateFileStream(fileName, disposition, access, outStream);
    if (e == kSdkOk)
        Name(outStream->get(), "filestream");
    return e;
}

SdkError ScriptedSdk::CreateMemoryStream(uint64_t initialSize,
                                         std::shared_ptr<SdkObject>* outStream) {
    if (SdkError e = Call("CreateMemoryStream", "CreateMemoryStream " + Hex(initialSize)))
        return e;
    SdkError e = SdkBackend::CreateMemoryStream(initialSize, outStream);
    if (e == kSdkOk)
        Name(outStream->get(), "memorystream");
    return e;
}

SdkError ScriptedSdk::CreateEvfImageRef(SdkStream& stream, std::shared_ptr<SdkStream> shared,
                                        std::shared_ptr<SdkObject>* outImage) {
    if (SdkError e = Call("CreateEvfImageRef", "CreateEvfImageRef " + NameOf(stream)))
        return e;
    SdkError e = SdkBackend::CreateEvfImageRef(stream, std::move(shared), outImage);
    if (e == kSdkOk)
        Name(outImage->get(), "evfimage");
    return e;
}

SdkError ScriptedSdk::SetProgressCallback(SdkObject& ref, SdkProgressCallback callback,
                                          SdkProgressOption option, void* context) {
    if (SdkError e = Call("SetProgressCallback",
                          "SetProgressCallback " + NameOf(ref) + " " + std::to_string(option)))
        return e;
    return SdkBackend::SetProgressCallback(ref, callback, option, context);
}

SdkError ScriptedSdk::GetPointer(SdkStream& stream, const void** outPointer) {
    if (SdkError e = Call("GetPointer", "GetPointer " + NameOf(stream)))
        return e;
    return SdkBackend::GetPointer(stream, outPointer);
}

SdkError ScriptedSdk::GetLength(SdkStream& stream, uint64_t* outLength) {
    if (SdkError e = Call("GetLength", "GetLength " + NameOf(stream)))
        return e;
    return SdkBackend::GetLength(stream, outLength);
}

SdkError ScriptedSdk::GetEvfImagePropertyData(SdkEvfImage& image, SdkPropertyId property,
                                              uint32_t size, void* outData) {
    if (SdkError e =
            Call("GetEvfImagePropertyData",
                 "GetEvfImagePropertyData " + Hex(property) + " size=" + std::to_string(size),
                 Hex(property)))
        return e;
    return SdkBackend::GetEvfImagePropertyData(image, property, size, outData);
}

void ScriptedSdk::OnRelease(SdkObject& object, uint32_t remaining) {
    std::string name = NameOf(object);
    {
        std::lock_guard lock(mutex_);
        calls_.push_back("Release " + name + " remaining=" + std::to_string(remaining));
        if (remaining == 0 && name != "camera")
            names_.erase(&object);
    }
    called_.notify_all();
}

}  // namespace talbex::testing
