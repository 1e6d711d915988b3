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

// What every call on a reference does first: the library must be open, the reference
// live and each out-pointer given. Then `call` gets the backend and the object.
using Object = std::shared_ptr<SdkObject>;

template <typename Call, typename... Out>
SdkError WithObject(SdkBaseRef ref, Call call, const Out*... outs) {
    if ((!outs || ...))
        return kSdkErrInvalidPointer;
    std::shared_ptr<SdkBackend> backend = Backend();
    if (!backend)
        return kSdkErrNotInitialized;
    std::shared_ptr<SdkObject> object = Lookup(ref);
    if (!object)
        return kSdkErrInvalidHandle;
    return call(*backend, object);
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
    return WithObject(
        list, [&](SdkBackend& b, Object& o) { return b.GetChildCount(*o, outCount); }, outCount);
}

SdkError SdkGetChildAtIndex(SdkBaseRef list, int32_t index, SdkBaseRef* outChild) {
    return WithObject(
        list,
        [&](SdkBackend& b, Object& o) {
            std::shared_ptr<SdkObject> child;
            return Hand(b.GetChildAtIndex(*o, index, &child), child, outChild);
        },
        outChild);
}

SdkError SdkGetDeviceInfo(SdkCameraRef camera, SdkDeviceInfo* outInfo) {
    return WithObject(
        camera, [&](SdkBackend& b, Object& o) { return b.GetDeviceInfo(*o, outInfo); }, outInfo);
}

SdkError SdkOpenSession(SdkCameraRef camera) {
    return WithObject(camera, [](SdkBackend& b, Object& o) { return b.OpenSession(*o); });
}

SdkError SdkCloseSession(SdkCameraRef camera) {
    return WithObject(camera, [](SdkBackend& b, Object& o) { return b.CloseSession(*o); });
}

SdkError SdkGetPropertySize(SdkBaseRef ref, SdkPropertyId property, int32_t param,
                            SdkDataType* outType, uint32_t* outSize) {
    return WithObject(
        ref,
        [&](SdkBackend& b, Object& o) {
            if (auto* image = dynamic_cast<SdkEvfImage*>(o.get()))
                return b.GetEvfImagePropertySize(*image, property, outType, outSize);
            return b.GetPropertySize(*o, property, param, outType, outSize);
        },
        outType, outSize);
}

SdkError SdkGetPropertyData(SdkBaseRef ref, SdkPropertyId property, int32_t param, uint32_t size,
                            void* outData) {
    return WithObject(
        ref,
        [&](SdkBackend& b, Object& o) {
            if (auto* image = dynamic_cast<SdkEvfImage*>(o.get()))
                return b.GetEvfImagePropertyData(*image, property, size, outData);
            return b.GetPropertyData(*o, property, param, size, outData);
        },
        outData);
}

SdkError SdkSetPropertyData(SdkBaseRef ref, SdkPropertyId property, int32_t param, uint32_t size,
                            const void* data) {
    return WithObject(
        ref,
        [&](SdkBackend& b, Object& o) {
            return b.SetPropertyData(*o, property, param, size, data);
        },
        data);
}

SdkError SdkGetPropertyDesc(SdkBaseRef ref, SdkPropertyId property, SdkPropertyDesc* outDesc) {
    return WithObject(
        ref, [&](SdkBackend& b, Object& o) { return b.GetPropertyDesc(*o, property, outDesc); },
        outDesc);
}

SdkError SdkSendCommand(SdkCameraRef camera, SdkCameraCommand command, int32_t param) {
    return WithObject(camera,
                      [&](SdkBackend& b, Object& o) { return b.SendCommand(*o, command, param); });
}

SdkError SdkSendStatusCommand(SdkCameraRef camera, SdkStatusCommand command, int32_t param) {
    return WithObject(
        camera, [&](SdkBackend& b, Object& o) { return b.SendStatusCommand(*o, command, param); });
}

SdkError SdkSetCapacity(SdkCameraRef camera, SdkCapacity capacity) {
    return WithObject(camera,
                      [&](SdkBackend& b, Object& o) { return b.SetCapacity(*o, capacity); });
}

SdkError SdkGetDirectoryItemInfo(SdkDirectoryItemRef item, SdkDirectoryItemInfo* outInfo) {
    return WithObject(
        item, [&](SdkBackend& b, Object& o) { return b.GetDirectoryItemInfo(*o, outInfo); },
        outInfo);
}

SdkError SdkDownload(SdkDirectoryItemRef item, uint64_t size, SdkStreamRef stream) {
    return WithObject(item, [&](SdkBackend& b, Object& o) {
        auto target = std::dynamic_pointer_cast<SdkStream>(Lookup(stream));
        if (!target)
            return kSdkErrInvalidHandle;
        return b.Download(*o, size, *target);
    });
}

SdkError SdkDownloadComplete(SdkDirectoryItemRef item) {
    return WithObject(item, [](SdkBackend& b, Object& o) { return b.DownloadComplete(*o); });
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
    return WithObject(
        stream,
        [&](SdkBackend& b, Object& o) {
            auto* s = dynamic_cast<SdkStream*>(o.get());
            return s == nullptr ? kSdkErrInvalidHandle : b.GetPointer(*s, outPointer);
        },
        outPointer);
}

SdkError SdkGetLength(SdkStreamRef stream, uint64_t* outLength) {
    return WithObject(
        stream,
        [&](SdkBackend& b, Object& o) {
            auto* s = dynamic_cast<SdkStream*>(o.get());
            return s == nullptr ? kSdkErrInvalidHandle : b.GetLength(*s, outLength);
        },
        outLength);
}

SdkError SdkSetProgressCallback(SdkBaseRef ref, SdkProgressCallback callback,
                                SdkProgressOption option, void* context) {
    return WithObject(ref, [&](SdkBackend& b, Object& o) {
        return b.SetProgressCallback(*o, callback, option, context);
    });
}

SdkError SdkCreateEvfImageRef(SdkStreamRef stream, SdkEvfImageRef* outImage) {
    return WithObject(
        stream,
        [&](SdkBackend& b, Object& o) {
            auto shared = std::dynamic_pointer_cast<SdkStream>(o);
            if (!shared)
                return kSdkErrInvalidHandle;
            std::shared_ptr<SdkObject> image;
            return Hand(b.CreateEvfImageRef(*shared, shared, &image), image, outImage);
        },
        outImage);
}

SdkError SdkDownloadEvfImage(SdkCameraRef camera, SdkEvfImageRef image) {
    return WithObject(camera, [&](SdkBackend& b, Object& o) {
        auto frame = std::dynamic_pointer_cast<SdkEvfImage>(Lookup(image));
        if (!frame)
            return kSdkErrInvalidHandle;
        return b.DownloadEvfImage(*o, *frame);
    });
}

SdkError SdkSetPropertyEventHandler(SdkCameraRef camera, SdkPropertyEvent event,
                                    SdkPropertyEventHandler handler, void* context) {
    return WithObject(camera, [&](SdkBackend& b, Object& o) {
        return b.SetPropertyEventHandler(*o, event, handler, context);
    });
}

SdkError SdkSetObjectEventHandler(SdkCameraRef camera, SdkObjectEvent event,
                                  SdkObjectEventHandler handler, void* context) {
    return WithObject(camera, [&](SdkBackend& b, Object& o) {
        return b.SetObjectEventHandler(*o, event, handler, context);
    });
}

SdkError SdkSetCameraStateEventHandler(SdkCameraRef camera, SdkStateEvent event,
                                       SdkStateEventHandler handler, void* context) {
    return WithObject(camera, [&](SdkBackend& b, Object& o) {
        return b.SetCameraStateEventHandler(*o, event, handler, context);
    });
}

SdkError SdkGetShutterCount(SdkCameraRef camera, uint32_t* outCount) {
    return WithObject(
        camera, [&](SdkBackend& b, Object& o) { return b.GetShutterCount(*o, outCount); },
        outCount);
}
