// What stands behind the SDK boundary: a backend (the built-in simulated camera, "no
// camera", or a scripted backend in tests) and the host-side objects every backend shares.
//
// The free functions of sdk.h check every reference against the live-object registry
// and then call the backend with the object itself, so a backend never sees a null or
// released reference. Backends must accept calls from several threads at once.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "camera/sdk/sdk_types.h"

/// Base of everything a reference can point to.
class SdkObject {
  public:
    virtual ~SdkObject() = default;
};

/// Host-side stream: a file or a block of memory. Downloads are written into it.
class SdkStream : public SdkObject {
  public:
    /// Appends bytes at the end; kSdkErrFileIo when the medium refuses them (e.g. disk full).
    virtual SdkError Write(const void* data, uint64_t length) = 0;
    /// Start of the data for memory streams; null for file streams.
    virtual const void* Data() const = 0;
    virtual uint64_t Length() const = 0;
    /// Empties a memory stream so that it can take the next frame.
    virtual void Truncate() = 0;

    void SetProgressCallback(SdkProgressCallback callback, SdkProgressOption option, void* context);
    /// Calls the progress callback, if any; answers true when it asked to cancel.
    bool ReportProgress(uint32_t percent);

  private:
    std::mutex mutex_;
    SdkProgressCallback callback_ = nullptr;
    SdkProgressOption option_ = kProgressDone;
    void* context_ = nullptr;
};

/// Creates a stream writing to a file; a link at `path` is never followed and only a regular
/// file is opened (kFileCreateNew: only a file made now). Answers null and sets *error when
/// it cannot be made.
std::shared_ptr<SdkStream> MakeFileStream(const std::string& path,
                                          SdkFileCreateDisposition disposition, SdkAccess access,
                                          SdkError* error);
std::shared_ptr<SdkStream> MakeMemoryStream(uint64_t initialCapacity);

/// One live-view frame: the stream that receives the JPEG and the frame's properties,
/// which the backend fills in SdkDownloadEvfImage and the program reads with
/// SdkGetPropertyData on the image reference.
class SdkEvfImage : public SdkObject {
  public:
    explicit SdkEvfImage(std::shared_ptr<SdkStream> stream) : stream(std::move(stream)) {}

    std::shared_ptr<SdkStream> stream;
    uint32_t zoom = 1;
    SdkRect zoomRect{};
    tagSdkPoint imagePosition{};
    std::array<uint32_t, kHistogramValues> histogram{};
    SdkSize coordinateSystem{};

    SdkError GetPropertySize(SdkPropertyId property, SdkDataType* outType, uint32_t* outSize) const;
    SdkError GetPropertyData(SdkPropertyId property, uint32_t size, void* outData) const;
};

/// The camera library as the boundary sees it. Objects are handed in already checked.
class SdkBackend {
  public:
    virtual ~SdkBackend() = default;

    /// First SdkInitialize of a nest; a non-zero answer fails SdkInitialize.
    virtual SdkError Initialize() { return kSdkOk; }
    /// Last SdkTerminate of a nest: stop delivering events.
    virtual void Terminate() {}

    virtual SdkError GetCameraList(std::shared_ptr<SdkObject>* outList) = 0;
    virtual SdkError GetChildCount(SdkObject& list, int32_t* outCount) = 0;
    virtual SdkError GetChildAtIndex(SdkObject& list, int32_t index,
                                     std::shared_ptr<SdkObject>* outChild) = 0;
    virtual SdkError GetDeviceInfo(SdkObject& camera, SdkDeviceInfo* outInfo) = 0;
    virtual SdkError OpenSession(SdkObject& camera) = 0;
    virtual SdkError CloseSession(SdkObject& camera) = 0;

    virtual SdkError GetPropertySize(SdkObject& ref, SdkPropertyId property, int32_t param,
                                     SdkDataType* outType, uint32_t* outSize) = 0;
    virtual SdkError GetPropertyData(SdkObject& ref, SdkPropertyId property, int32_t param,
                                     uint32_t size, void* outData) = 0;
    virtual SdkError SetPropertyData(SdkObject& ref, SdkPropertyId property, int32_t param,
                                     uint32_t size, const void* data) = 0;
    virtual SdkError GetPropertyDesc(SdkObject& ref, SdkPropertyId property,
                                     SdkPropertyDesc* outDesc) = 0;

    virtual SdkError SendCommand(SdkObject& camera, SdkCameraCommand command, int32_t param) = 0;
    virtual SdkError SendStatusCommand(SdkObject& camera, SdkStatusCommand command,
                                       int32_t param) = 0;
    virtual SdkError SetCapacity(SdkObject& camera, SdkCapacity capacity) = 0;

    virtual SdkError GetDirectoryItemInfo(SdkObject& item, SdkDirectoryItemInfo* outInfo) = 0;
    virtual SdkError Download(SdkObject& item, uint64_t size, SdkStream& stream) = 0;
    virtual SdkError DownloadComplete(SdkObject& item) = 0;

    virtual SdkError DownloadEvfImage(SdkObject& camera, SdkEvfImage& image) = 0;

    virtual SdkError SetPropertyEventHandler(SdkObject& camera, SdkPropertyEvent event,
                                             SdkPropertyEventHandler handler, void* context) = 0;
    virtual SdkError SetObjectEventHandler(SdkObject& camera, SdkObjectEvent event,
                                           SdkObjectEventHandler handler, void* context) = 0;
    virtual SdkError SetCameraStateEventHandler(SdkObject& camera, SdkStateEvent event,
                                                SdkStateEventHandler handler, void* context) = 0;

    virtual SdkError GetShutterCount(SdkObject& camera, uint32_t* outCount) = 0;

    // Host-side operations. The defaults do the work; a recording backend may override
    // them to see the calls, and then call the default.
    virtual SdkError CreateFileStream(const char* fileName, SdkFileCreateDisposition disposition,
                                      SdkAccess access, std::shared_ptr<SdkObject>* outStream);
    virtual SdkError CreateMemoryStream(uint64_t initialSize,
                                        std::shared_ptr<SdkObject>* outStream);
    virtual SdkError CreateEvfImageRef(SdkStream& stream, std::shared_ptr<SdkStream> shared,
                                       std::shared_ptr<SdkObject>* outImage);
    virtual SdkError GetPointer(SdkStream& stream, const void** outPointer);
    virtual SdkError GetLength(SdkStream& stream, uint64_t* outLength);
    virtual SdkError SetProgressCallback(SdkObject& ref, SdkProgressCallback callback,
                                         SdkProgressOption option, void* context);
    virtual SdkError GetEvfImagePropertySize(SdkEvfImage& image, SdkPropertyId property,
                                             SdkDataType* outType, uint32_t* outSize);
    virtual SdkError GetEvfImagePropertyData(SdkEvfImage& image, SdkPropertyId property,
                                             uint32_t size, void* outData);
    /// Told after every SdkRelease of a known reference, with the references left.
    virtual void OnRelease(SdkObject& /*object*/, uint32_t /*remaining*/) {}
};

/// Installs the backend that the next SdkInitialize uses (tests, the demonstration).
/// Null returns to the choice made from the environment (TALBEX_CAMERA).
void SdkUseBackend(std::shared_ptr<SdkBackend> backend);

/// The backend chosen from the environment: TALBEX_CAMERA unset gives one simulated
/// camera, "none" gives no camera, "sim:PATH" a simulator settings file. Answers null
/// and a message naming the file and line when the configuration is wrong.
std::shared_ptr<SdkBackend> MakeBackendFromEnvironment(std::string* error);

/// Message of the last failed SdkInitialize (empty when it succeeded).
std::string SdkLastInitializeError();

/// Registers an object created by a backend outside a call that returns it (e.g. the
/// directory item of an object event) and answers its reference, holding one count.
SdkBaseRef SdkRegisterObject(std::shared_ptr<SdkObject> object);

/// Number of live references; tests use it to prove nothing leaks.
size_t SdkLiveReferenceCount();

/// The backend that does not see any camera.
std::shared_ptr<SdkBackend> MakeNoCameraBackend();
