// The free functions of the boundary: reference checks, then the current backend.
#include "camera/sdk/sdk.h"

#include <cstdlib>
#include <mutex>
#include <unordered_map>

#include "camera/sdk/sdk_backend.h"

namespace {

struct Entry {
    std::shared_ptr<SdkObject> object;
    uint32_t references = 0;
};

// Guards everything below. Backend calls are made without holding it, so a backend may
// deliver events (and register objects) while another thread is inside a call.
std::mutex gMutex;
std::unordered_map<SdkObject*, Entry> gObjects;
int gInitializeCount = 0;
std::shared_ptr<SdkBackend> gBackend;    // in use while initialised
std::shared_ptr<SdkBackend> gInstalled;  // chosen by SdkUseBackend
std::shared_ptr<SdkBackend> gFromEnvironment;
std::string gEnvironmentKey;
std::string gLastInitializeError;

SdkBaseRef RegisterLocked(std::shared_ptr<SdkObject> object) {
    SdkObject* raw = object.get();
    Entry& entry = gObjects[raw];
    if (!entry.object)
        entry.object = std::move(object);
    ++entry.references;
    return raw;
}

std::shared_ptr<SdkBackend> Backend() {
    std::lock_guard lock(gMutex);
    return gBackend;
}

std::shared_ptr<SdkObject> Lookup(SdkBaseRef ref) {
    if (ref == nullptr)
        return nullptr;
    std::lock_guard lock(gMutex);
    auto it = gObjects.find(ref);
    return it == gObjects.end() ? nullptr : it->second.object;
}

// Resolves the backend and one reference; answers the error to return, or 0.
SdkError Resolve(SdkBaseRef ref, std::shared_ptr<SdkBackend>* backend,
                 std::shared_ptr<SdkObject>* object) {
    *backend = Backend();
    if (!*backend)
        return kSdkErrNotInitialized;
    *object = Lookup(ref);
    if (!*object)
        return kSdkErrInvalidHandle;
    return kSdkOk;
}

// Takes `object` by reference: the backend call that fills it must run first.
SdkError Hand(SdkError result, std::shared_ptr<SdkObject>& object, SdkBaseRef* out) {
    if (result == kSdkOk) {
        if (!object)
            return kSdkErrInternal;
        std::lock_guard lock(gMutex);
        *out = RegisterLocked(std::move(object));
    }
    return result;
}

}  // namespace

SdkBaseRef SdkRegisterObject(std::shared_ptr<SdkObject> object) {
    if (!object)
        return nullptr;
    std::lock_guard lock(gMutex);
    return RegisterLocked(std::move(object));
}

size_t SdkLiveReferenceCount() {
    std::lock_guard lock(gMutex);
    return gObjects.size();
}

void SdkUseBackend(std::shared_ptr<SdkBackend> backend) {
    std::lock_guard lock(gMutex);
    gInstalled = std::move(backend);
}

std::string SdkLastInitializeError() {
    std::lock_guard lock(gMutex);
    return gLastInitializeError;
}

SdkError SdkInitialize() {
    std::unique_lock lock(gMutex);
    if (gInitializeCount > 0) {
        ++gInitializeCount;
        return kSdkOk;
    }
    std::shared_ptr<SdkBackend> backend = gInstalled;
    if (!backend) {
        // The simulated camera keeps its state (picture numbers, shutter count, clock)
        // for the whole process, as a real camera would across library restarts.
        const char* value = std::getenv("TALBEX_CAMERA");
        std::string key = value ? value : "";
        if (!gFromEnvironment || key != gEnvironmentKey) {
            std::string error;
            gFromEnvironment = MakeBackendFromEnvironment(&error);
            gEnvironmentKey = key;
            if (!gFromEnvironment) {
                gLastInitializeError = error;
                return kSdkErrInternal;
            }
        }
        backend = gFromEnvironment;
    }
    lock.unlock();
    SdkError result = backend->Initialize();
    lock.lock();
    if (result != kSdkOk) {
        gLastInitializeError = "the camera library could not be opened";
        return result;
    }
    gLastInitializeError.clear();
    gBackend = backend;
    ++gInitializeCount;
    return kSdkOk;
}

SdkError SdkTerminate() {
    std::shared_ptr<SdkBackend> backend;
    std::unordered_map<SdkObject*, Entry> dropped;
    {
        std::lock_guard lock(gMutex);
        if (gInitializeCount == 0)
            return kSdkErrNotInitialized;
        if (--gInitializeCount > 0)
            return kSdkOk;
        backend = std::move(gBackend);
        gBackend.reset();
        // Closing the library frees what it handed out; late releases are answered harmlessly.
        dropped.swap(gObjects);
    }
    backend->Terminate();
    return kSdkOk;
}

uint32_t SdkRelease(SdkBaseRef ref) {
    if (ref == nullptr)
        return 0xFFFFFFFF;
    std::shared_ptr<SdkObject> keep;
    uint32_t remaining = 0;
    std::shared_ptr<SdkBackend> backend;
    {
        std::lock_guard lock(gMutex);
        auto it = gObjects.find(ref);
        if (it == gObjects.end())
            return 0xFFFFFFFF;
        keep = it->second.object;
        remaining = --it->second.references;
        if (remaining == 0)
            gObjects.erase(it);
        backend = gBackend;
    }
    if (backend)
        backend->OnRelease(*keep, remaining);
    return remaining;
}

SdkError SdkGetCameraList(SdkCameraListRef* outList) {
    if (outList == nullptr)
        return kSdkErrInvalidPointer;
    auto backend = Backend();
    if (!backend)
        return kSdkErrNotInitialized;
    std::shared_ptr<SdkObject> list;
    return Hand(backend->GetCameraList(&list), list, outList);
}

SdkError SdkGetChildCount(SdkBaseRef list, int32_t* outCount) {
    if (outCount == nullptr)
        return kSdkErrInvalidPointer;
    std::shared_ptr<SdkBackend> backend;
    std::shared_ptr<SdkObject> object;
    if (SdkError e = Resolve(list, &backend, &object))
        return e;
    return backend->GetChildCount(*object, outCount);
}

SdkError SdkGetChildAtIndex(SdkBaseRef list, int32_t index, SdkBaseRef* outChild) {
    if (outChild == nullptr)
        return kSdkErrInvalidPointer;
    std::shared_ptr<SdkBackend> backend;
    std::shared_ptr<SdkObject> object;
    if (SdkError e = Resolve(list, &backend, &object))
        return e;
    std::shared_ptr<SdkObject> child;
    return Hand(backend->GetChildAtIndex(*object, index, &child), child, outChild);
}

SdkError SdkGetDeviceInfo(SdkCameraRef camera, SdkDeviceInfo* outInfo) {
    if (outInfo == nullptr)
        return kSdkErrInvalidPointer;
    std::shared_ptr<SdkBackend> backend;
    std::shared_ptr<SdkObject> object;
    if (SdkError e = Resolve(camera, &backend, &object))
        return e;
    return backend->GetDeviceInfo(*object, outInfo);
}

SdkError SdkOpenSession(SdkCameraRef camera) {
    std::shared_ptr<SdkBackend> backend;
    std::shared_ptr<SdkObject> object;
    if (SdkError e = Resolve(camera, &backend, &object))
        return e;
    return backend->OpenSession(*object);
}

SdkError SdkCloseSession(SdkCameraRef camera) {
    std::shared_ptr<SdkBackend> backend;
    std::shared_ptr<SdkObject> object;
    if (SdkError e = Resolve(camera, &backend, &object))
        return e;
    return backend->CloseSession(*object);
}

SdkError SdkGetPropertySize(SdkBaseRef ref, SdkPropertyId property, int32_t param,
                            SdkDataType* outType, uint32_t* outSize) {
    if (outType == nullptr || outSize == nullptr)
        return kSdkErrInvalidPointer;
    std::shared_ptr<SdkBackend> backend;
    std::shared_ptr<SdkObject> object;
    if (SdkError e = Resolve(ref, &backend, &object))
        return e;
    if (auto* image = dynamic_cast<SdkEvfImage*>(object.get())) {
        return backend->GetEvfImagePropertySize(*image, property, outType, outSize);
    }
    return backend->GetPropertySize(*object, property, param, outType, outSize);
}

SdkError SdkGetPropertyData(SdkBaseRef ref, SdkPropertyId property, int32_t param, uint32_t size,
                            void* outData) {
    if (outData == nullptr)
        return kSdkErrInvalidPointer;
    std::shared_ptr<SdkBackend> backend;
    std::shared_ptr<SdkObject> object;
    if (SdkError e = Resolve(ref, &backend, &object))
        return e;
    if (auto* image = dynamic_cast<SdkEvfImage*>(object.get())) {
        return backend->GetEvfImagePropertyData(*image, property, size, outData);
    }
    return backend->GetPropertyData(*object, property, param, size, outData);
}

SdkError SdkSetPropertyData(SdkBaseRef ref, SdkPropertyId property, int32_t param, uint32_t size,
                            const void* data) {
    if (data == nullptr)
        return kSdkErrInvalidPointer;
    std::shared_ptr<SdkBackend> backend;
    std::shared_ptr<SdkObject> object;
    if (SdkError e = Resolve(ref, &backend, &object))
        return e;
    return backend->SetPropertyData(*object, property, param, size, data);
}

SdkError SdkGetPropertyDesc(SdkBaseRef ref, SdkPropertyId property, SdkPropertyDesc* outDesc) {
    if (outDesc == nullptr)
        return kSdkErrInvalidPointer;
    std::shared_ptr<SdkBackend> backend;
    std::shared_ptr<SdkObject> object;
    if (SdkError e = Resolve(ref, &backend, &object))
        return e;
    return backend->GetPropertyDesc(*object, property, outDesc);
}

SdkError SdkSendCommand(SdkCameraRef camera, SdkCameraCommand command, int32_t param) {
    std::shared_ptr<SdkBackend> backend;
    std::shared_ptr<SdkObject> object;
    if (SdkError e = Resolve(camera, &backend, &object))
        return e;
    return backend->SendCommand(*object, command, param);
}

SdkError SdkSendStatusCommand(SdkCameraRef camera, SdkStatusCommand command, int32_t param) {
    std::shared_ptr<SdkBackend> backend;
    std::shared_ptr<SdkObject> object;
    if (SdkError e = Resolve(camera, &backend, &object))
        return e;
    return backend->SendStatusCommand(*object, command, param);
}

SdkError SdkSetCapacity(SdkCameraRef camera, SdkCapacity capacity) {
    std::shared_ptr<SdkBackend> backend;
    std::shared_ptr<SdkObject> object;
    if (SdkError e = Resolve(camera, &backend, &object))
        return e;
    return backend->SetCapacity(*object, capacity);
}

SdkError SdkGetDirectoryItemInfo(SdkDirectoryItemRef item, SdkDirectoryItemInfo* outInfo) {
    if (outInfo == nullptr)
        return kSdkErrInvalidPointer;
    std::shared_ptr<SdkBackend> backend;
    std::shared_ptr<SdkObject> object;
    if (SdkError e = Resolve(item, &backend, &object))
        return e;
    return backend->GetDirectoryItemInfo(*object, outInfo);
}

SdkError SdkDownload(SdkDirectoryItemRef item, uint64_t size, SdkStreamRef stream) {
    std::shared_ptr<SdkBackend> backend;
    std::shared_ptr<SdkObject> object;
    if (SdkError e = Resolve(item, &backend, &object))
        return e;
    auto target = std::dynamic_pointer_cast<SdkStream>(Lookup(stream));
    if (!target)
        return kSdkErrInvalidHandle;
    return backend->Download(*object, size, *target);
}

SdkError SdkDownloadComplete(SdkDirectoryItemRef item) {
    std::shared_ptr<SdkBackend> backend;
    std::shared_ptr<SdkObject> object;
    if (SdkError e = Resolve(item, &backend, &object))
        return e;
    return backend->DownloadComplete(*object);
}

SdkError SdkCreateFileStream(const char* fileName, SdkFileCreateDisposition disposition,
                             SdkAccess access, SdkStreamRef* outStream) {
    if (fileName == nullptr || outStream == nullptr)
        return kSdkErrInvalidPointer;
    auto backend = Backend();
    if (!backend)
        return kSdkErrNotInitialized;
    std::shared_ptr<SdkObject> stream;
    return Hand(backend->CreateFileStream(fileName, disposition, access, &stream), stream,
                outStream);
}

SdkError SdkCreateMemoryStream(uint64_t initialSize, SdkStreamRef* outStream) {
    if (outStream == nullptr)
        return kSdkErrInvalidPointer;
    auto backend = Backend();
    if (!backend)
        return kSdkErrNotInitialized;
    std::shared_ptr<SdkObject> stream;
    return Hand(backend->CreateMemoryStream(initialSize, &stream), stream, outStream);
}

SdkError SdkGetPointer(SdkStreamRef stream, const void** outPointer) {
    if (outPointer == nullptr)
        return kSdkErrInvalidPointer;
    std::shared_ptr<SdkBackend> backend;
    std::shared_ptr<SdkObject> object;
    if (SdkError e = Resolve(stream, &backend, &object))
        return e;
    auto* s = dynamic_cast<SdkStream*>(object.get());
    if (s == nullptr)
        return kSdkErrInvalidHandle;
    return backend->GetPointer(*s, outPointer);
}

SdkError SdkGetLength(SdkStreamRef stream, uint64_t* outLength) {
    if (outLength == nullptr)
        return kSdkErrInvalidPointer;
    std::shared_ptr<SdkBackend> backend;
    std::shared_ptr<SdkObject> object;
    if (SdkError e = Resolve(stream, &backend, &object))
        return e;
    auto* s = dynamic_cast<SdkStream*>(object.get());
    if (s == nullptr)
        return kSdkErrInvalidHandle;
    return backend->GetLength(*s, outLength);
}

SdkError SdkSetProgressCallback(SdkBaseRef ref, SdkProgressCallback callback,
                                SdkProgressOption option, void* context) {
    std::shared_ptr<SdkBackend> backend;
    std::shared_ptr<SdkObject> object;
    if (SdkError e = Resolve(ref, &backend, &object))
        return e;
    return backend->SetProgressCallback(*object, callback, option, context);
}

SdkError SdkCreateEvfImageRef(SdkStreamRef stream, SdkEvfImageRef* outImage) {
    if (outImage == nullptr)
        return kSdkErrInvalidPointer;
    std::shared_ptr<SdkBackend> backend;
    std::shared_ptr<SdkObject> object;
    if (SdkError e = Resolve(stream, &backend, &object))
        return e;
    auto shared = std::dynamic_pointer_cast<SdkStream>(object);
    if (!shared)
        return kSdkErrInvalidHandle;
    std::shared_ptr<SdkObject> image;
    return Hand(backend->CreateEvfImageRef(*shared, shared, &image), image, outImage);
}

SdkError SdkDownloadEvfImage(SdkCameraRef camera, SdkEvfImageRef image) {
    std::shared_ptr<SdkBackend> backend;
    std::shared_ptr<SdkObject> object;
    if (SdkError e = Resolve(camera, &backend, &object))
        return e;
    auto frame = std::dynamic_pointer_cast<SdkEvfImage>(Lookup(image));
    if (!frame)
        return kSdkErrInvalidHandle;
    return backend->DownloadEvfImage(*object, *frame);
}

SdkError SdkSetPropertyEventHandler(SdkCameraRef camera, SdkPropertyEvent event,
                                    SdkPropertyEventHandler handler, void* context) {
    std::shared_ptr<SdkBackend> backend;
    std::shared_ptr<SdkObject> object;
    if (SdkError e = Resolve(camera, &backend, &object))
        return e;
    return backend->SetPropertyEventHandler(*object, event, handler, context);
}

SdkError SdkSetObjectEventHandler(SdkCameraRef camera, SdkObjectEvent event,
                                  SdkObjectEventHandler handler, void* context) {
    std::shared_ptr<SdkBackend> backend;
    std::shared_ptr<SdkObject> object;
    if (SdkError e = Resolve(camera, &backend, &object))
        return e;
    return backend->SetObjectEventHandler(*object, event, handler, context);
}

SdkError SdkSetCameraStateEventHandler(SdkCameraRef camera, SdkStateEvent event,
                                       SdkStateEventHandler handler, void* context) {
    std::shared_ptr<SdkBackend> backend;
    std::shared_ptr<SdkObject> object;
    if (SdkError e = Resolve(camera, &backend, &object))
        return e;
    return backend->SetCameraStateEventHandler(*object, event, handler, context);
}

SdkError SdkGetShutterCount(SdkCameraRef camera, uint32_t* outCount) {
    if (outCount == nullptr)
        return kSdkErrInvalidPointer;
    std::shared_ptr<SdkBackend> backend;
    std::shared_ptr<SdkObject> object;
    if (SdkError e = Resolve(camera, &backend, &object))
        return e;
    return backend->GetShutterCount(*object, outCount);
}
