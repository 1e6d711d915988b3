// A camera backend for tests: records every call with its arguments as one line of text
// and answers from a script (per operation, a queue of result codes; property values and
// descriptions; pictures and live-view frames).
//
// Install with Install() (SdkUseBackend + SdkInitialize); Camera() is the one camera.
// Call lines look like "SetPropertyData 0x405 size=4 value=0x58"; ids are hexadecimal.
// All members may be used from any thread.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "camera/sdk/sdk.h"
#include "camera/sdk/sdk_backend.h"

namespace talbex::testing {

class ScriptedSdk : public SdkBackend, public std::enable_shared_from_this<ScriptedSdk> {
  public:
    /// A picture waiting on the camera: its record and its bytes.
    struct Picture {
        std::string fileName;
        std::vector<unsigned char> bytes;
    };

    /// One live-view frame as the camera would deliver it.
    struct Frame {
        std::vector<unsigned char> jpeg{0xFF, 0xD8, 0xFF, 0xD9};
        uint32_t zoom = 1;
        SdkRect zoomRect{};
        tagSdkPoint imagePosition{};
        uint32_t histogramFirst = 0;
        SdkSize coordinateSystem{};
    };

    /// Makes the backend, installs it and initialises the library.
    static std::shared_ptr<ScriptedSdk> Install(uint32_t deviceSubType = 1);
    /// Ends the library (every nest) and uninstalls the backend.
    static void Uninstall();

    explicit ScriptedSdk(uint32_t deviceSubType) : deviceSubType_(deviceSubType) {}

    SdkCameraRef Camera();
    SdkDeviceInfo DeviceInfo() const;

    // ---- Script ---------------------------------------------------------------------
    /// Queues result codes for an operation: key "Op" or "Op 0xID" (the id form wins).
    void Answer(const std::string& key, std::vector<SdkError> codes);
    void SetUInt32(SdkPropertyId id, uint32_t value);
    void SetString(SdkPropertyId id, const std::string& text);
    void SetRaw(SdkPropertyId id, SdkDataType type, std::vector<unsigned char> bytes,
                uint32_t reportedSize);
    void SetDesc(SdkPropertyId id, const SdkPropertyDesc& desc);
    void SetFrame(const Frame& frame);
    /// Bytes the Download writes before a scripted failure is answered.
    void SetDownloadChunk(size_t bytes);
    /// Runs `hook` (outside the backend's lock) whenever operation `op` is called.
    void SetHook(const std::string& op, std::function<void()> hook);

    // ---- Events, as the camera would send them -----------------------------------------
    SdkError FirePropertyEvent(SdkPropertyEvent event, SdkPropertyId id);
    /// Registers a new directory item for `picture` and hands it to the object handler.
    SdkError FireObjectEvent(SdkObjectEvent event, const Picture& picture);
    SdkError FireStateEvent(SdkStateEvent event);
    /// A reference to a new directory item (one count), as an object event would carry it.
    SdkDirectoryItemRef MakeItem(const Picture& picture);

    // ---- Record ---------------------------------------------------------------------
    std::vector<std::string> Calls() const;
    /// The calls whose line starts with `prefix`.
    std::vector<std::string> Calls(const std::string& prefix) const;
    void ClearCalls();
    /// Waits up to `timeout` until a call line equal to `line` has been recorded.
    bool WaitForCall(const std::string& line,
                     std::chrono::milliseconds timeout = std::chrono::seconds(5)) const;

    // ---- SdkBackend -----------------------------------------------------------------
    SdkError GetCameraList(std::shared_ptr<SdkObject>* outList) override;
    SdkError GetChildCount(SdkObject& list, int32_t* outCount) override;
    SdkError GetChildAtIndex(SdkObject& list, int32_t index,
                             std::shared_ptr<SdkObject>* outChild) override;
    SdkError GetDeviceInfo(SdkObject& camera, SdkDeviceInfo* outInfo) override;
    SdkError OpenSession(SdkObject& camera) override;
    SdkError CloseSession(SdkObject& camera) override;
    SdkError GetPropertySize(SdkObject& ref, SdkPropertyId property, int32_t param,
                             SdkDataType* outType, uint32_t* outSize) override;
    SdkError GetPropertyData(SdkObject& ref, SdkPropertyId property, int32_t param, uint32_t size,
                             void* outData) override;
    SdkError SetPropertyData(SdkObject& ref, SdkPropertyId property, int32_t param, uint32_t size,
                             const void* data) override;
    SdkError GetPropertyDesc(SdkObject& ref, SdkPropertyId property,
                             SdkPropertyDesc* outDesc) override;
    SdkError SendCommand(SdkObject& camera, SdkCameraCommand command, int32_t param) override;
    SdkError SendStatusCommand(SdkObject& camera, SdkStatusCommand command, int32_t param) override;
    SdkError SetCapacity(SdkObject& camera, SdkCapacity capacity) override;
    SdkError GetDirectoryItemInfo(SdkObject& item, SdkDirectoryItemInfo* outInfo) override;
    SdkError Download(SdkObject& item, uint64_t size, SdkStream& stream) override;
    SdkError DownloadComplete(SdkObject& item) override;
    SdkError DownloadEvfImage(SdkObject& camera, SdkEvfImage& image) override;
    SdkError SetPropertyEventHandler(SdkObject& camera, SdkPropertyEvent event,
                                     SdkPropertyEventHandler handler, void* context) override;
    SdkError SetObjectEventHandler(SdkObject& camera, SdkObjectEvent event,
                                   SdkObjectEventHandler handler, void* context) override;
    SdkError SetCameraStateEventHandler(SdkObject& camera, SdkStateEvent event,
                                        SdkStateEventHandler handler, void* context) override;
    SdkError GetShutterCount(SdkObject& camera, uint32_t* outCount) override;
    SdkError CreateFileStream(const char* fileName, SdkFileCreateDisposition disposition,
                              SdkAccess access, std::shared_ptr<SdkObject>* outStream) override;
    SdkError CreateMemoryStream(uint64_t initialSize,
                                std::shared_ptr<SdkObject>* outStream) override;
    SdkError CreateEvfImageRef(SdkStream& stream, std::shared_ptr<SdkStream> shared,
                               std::shared_ptr<SdkObject>* outImage) override;
    SdkError SetProgressCallback(SdkObject& ref, SdkProgressCallback callback,
                                 SdkProgressOption option, void* context) override;
    SdkError GetPointer(SdkStream& stream, const void** outPointer) override;
    SdkError GetLength(SdkStream& stream, uint64_t* outLength) override;
    SdkError GetEvfImagePropertyData(SdkEvfImage& image, SdkPropertyId property, uint32_t size,
                                     void* outData) override;
    void OnRelease(SdkObject& object, uint32_t remaining) override;

  private:
    struct Property {
        SdkDataType type = kDataTypeUInt32;
        std::vector<unsigned char> bytes;
        uint32_t reportedSize = 0;
    };

    // Records `line`, runs the hook of `op`, answers the next scripted code for `key`.
    SdkError Call(const std::string& op, const std::string& line, const std::string& idKey = "");
    std::string NameOf(SdkObject& object) const;

    void Name(const SdkObject* object, std::string name);

    const uint32_t deviceSubType_;
    std::map<const SdkObject*, std::string> names_;  // guarded by mutex_
    mutable std::mutex mutex_;
    mutable std::condition_variable called_;
    std::shared_ptr<SdkObject> camera_;  // guarded by mutex_
    SdkCameraRef cameraRef_ = nullptr;
    std::vector<std::string> calls_;
    std::map<std::string, std::deque<SdkError>> answers_;
    std::map<std::string, std::function<void()>> hooks_;
    std::map<SdkPropertyId, Property> properties_;
    std::map<SdkPropertyId, SdkPropertyDesc> descs_;
    Frame frame_;
    size_t downloadChunk_ = 64 * 1024;
    SdkPropertyEventHandler propertyHandler_ = nullptr;
    void* propertyContext_ = nullptr;
    SdkObjectEventHandler objectHandler_ = nullptr;
    void* objectContext_ = nullptr;
    SdkStateEventHandler stateHandler_ = nullptr;
    void* stateContext_ = nullptr;
};

/// Hexadecimal with 0x, as the call lines write ids and codes.
std::string Hex(uint32_t value);

}  // namespace talbex::testing
