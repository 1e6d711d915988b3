// Host-side streams and live-view images, and the backend's default host operations.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "camera/sdk/sdk_backend.h"

void SdkStream::SetProgressCallback(SdkProgressCallback callback, SdkProgressOption option,
                                    void* context) {
    std::lock_guard lock(mutex_);
    callback_ = callback;
    option_ = option;
    context_ = context;
}

bool SdkStream::ReportProgress(uint32_t percent) {
    SdkProgressCallback callback;
    void* context;
    {
        std::lock_guard lock(mutex_);
        callback = callback_;
        context = context_;
    }
    if (callback == nullptr)
        return false;
    bool cancel = false;
    callback(percent, context, &cancel);
    return cancel;
}

namespace {

// A file written straight through its descriptor, a part at a time as it arrives. Every
// few megabytes the parts written are handed to the disk at once rather than when the
// system gets round to it, so the flush that ends a transfer (FlushToDisk) finds little
// left to write and a picture is safe sooner after its last byte.
class FileStream : public SdkStream {
  public:
    explicit FileStream(int fd) : fd_(fd) {}
    ~FileStream() override { ::close(fd_); }

    SdkError Write(const void* data, uint64_t length) override {
        const auto* bytes = static_cast<const char*>(data);
        uint64_t left = length;
        while (left > 0) {
            const ssize_t n = ::write(fd_, bytes, left);
            if (n < 0 && errno == EINTR)
                continue;
            // A full disk shows here, with this write.
            if (n <= 0)
                return kSdkErrFileIo;
            bytes += n;
            left -= static_cast<uint64_t>(n);
        }
        length_ += length;
        if (length_ - handedToDisk_ >= kHandToDiskBytes) {
            // Only starts the writing; never waits for it.
            ::sync_file_range(fd_, static_cast<off_t>(handedToDisk_),
                              static_cast<off_t>(length_ - handedToDisk_), SYNC_FILE_RANGE_WRITE);
            handedToDisk_ = length_;
        }
        return kSdkOk;
    }
    const void* Data() const override { return nullptr; }
    uint64_t Length() const override { return length_; }
    void Truncate() override {}

  private:
    static constexpr uint64_t kHandToDiskBytes = 4u << 20;

    const int fd_;
    uint64_t length_ = 0;
    uint64_t handedToDisk_ = 0;
};

class MemoryStream : public SdkStream {
  public:
    explicit MemoryStream(uint64_t capacity) { bytes_.reserve(capacity); }

    SdkError Write(const void* data, uint64_t length) override {
        const auto* p = static_cast<const unsigned char*>(data);
        bytes_.insert(bytes_.end(), p, p + length);
        return kSdkOk;
    }
    const void* Data() const override { return bytes_.empty() ? nullptr : bytes_.data(); }
    uint64_t Length() const override { return bytes_.size(); }
    void Truncate() override { bytes_.clear(); }

  private:
    std::vector<unsigned char> bytes_;
};

}  // namespace

std::shared_ptr<SdkStream> MakeFileStream(const std::string& path,
                                          SdkFileCreateDisposition disposition, SdkAccess access,
                                          SdkError* error) {
    // Never through a link placed where the file should be, and never waiting on a FIFO.
    int flags = O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY;
    switch (access) {
        case kAccessRead:
            flags |= O_RDONLY;
            break;
        case kAccessWrite:
            flags |= O_WRONLY;
            break;
        case kAccessReadWrite:
            flags |= O_RDWR;
            break;
        default:
            *error = kSdkErrInvalidParameter;
            return nullptr;
    }
    switch (disposition) {
        case kFileCreateAlways:
            flags |= O_CREAT | O_TRUNC;
            break;
        case kFileCreateNew:
            flags |= O_CREAT | O_EXCL;
            break;
        case kFileOpenExisting:
            break;
        default:
            *error = kSdkErrInvalidParameter;
            return nullptr;
    }
    *error = kSdkErrFileIo;
    const int fd = ::open(path.c_str(), flags, 0644);
    if (fd < 0)
        return nullptr;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    *error = kSdkOk;
    return std::make_shared<FileStream>(fd);
}

std::shared_ptr<SdkStream> MakeMemoryStream(uint64_t initialCapacity) {
    // A live-view stream asks for 2 MiB; never reserve absurd amounts on a caller's word.
    constexpr uint64_t kMaxReserve = 64ull << 20;
    return std::make_shared<MemoryStream>(initialCapacity < kMaxReserve ? initialCapacity
                                                                        : kMaxReserve);
}

SdkError SdkEvfImage::GetPropertySize(SdkPropertyId property, SdkDataType* outType,
                                      uint32_t* outSize) const {
    switch (property) {
        case kPropEvfZoom:
            *outType = kDataTypeUInt32;
            *outSize = sizeof(uint32_t);
            return kSdkOk;
        case kPropEvfZoomRect:
            *outType = kDataTypeRect;
            *outSize = sizeof(SdkRect);
            return kSdkOk;
        case kPropEvfImagePosition:
            *outType = kDataTypePoint;
            *outSize = sizeof(tagSdkPoint);
            return kSdkOk;
        case kPropEvfHistogram:
            *outType = kDataTypeUInt32Array;
            *outSize = sizeof(histogram);
            return kSdkOk;
        case kPropEvfCoordinateSystem:
            *outType = kDataTypeSize;
            *outSize = sizeof(SdkSize);
            return kSdkOk;
        default:
            return kSdkErrPropertyUnavailable;
    }
}

SdkError SdkEvfImage::GetPropertyData(SdkPropertyId property, uint32_t size, void* outData) const {
    SdkDataType type;
    uint32_t needed;
    if (SdkError e = GetPropertySize(property, &type, &needed))
        return e;
    if (size < needed)
        return kSdkErrInvalidLength;
    const void* source = nullptr;
    switch (property) {
        case kPropEvfZoom:
            source = &zoom;
            break;
        case kPropEvfZoomRect:
            source = &zoomRect;
            break;
        case kPropEvfImagePosition:
            source = &imagePosition;
            break;
        case kPropEvfHistogram:
            source = histogram.data();
            break;
        default:
            source = &coordinateSystem;
            break;
    }
    std::memcpy(outData, source, needed);
    return kSdkOk;
}

SdkError SdkBackend::CreateFileStream(const char* fileName, SdkFileCreateDisposition disposition,
                                      SdkAccess access, std::shared_ptr<SdkObject>* outStream) {
    SdkError error = kSdkOk;
    auto stream = MakeFileStream(fileName, disposition, access, &error);
    if (!stream)
        return error;
    *outStream = std::move(stream);
    return kSdkOk;
}

SdkError SdkBackend::CreateMemoryStream(uint64_t initialSize,
                                        std::shared_ptr<SdkObject>* outStream) {
    *outStream = MakeMemoryStream(initialSize);
    return kSdkOk;
}

SdkError SdkBackend::CreateEvfImageRef(SdkStream& /*stream*/, std::shared_ptr<SdkStream> shared,
                                       std::shared_ptr<SdkObject>* outImage) {
    *outImage = std::make_shared<SdkEvfImage>(std::move(shared));
    return kSdkOk;
}

SdkError SdkBackend::GetPointer(SdkStream& stream, const void** outPointer) {
    *outPointer = stream.Data();
    return kSdkOk;
}

SdkError SdkBackend::GetLength(SdkStream& stream, uint64_t* outLength) {
    *outLength = stream.Length();
    return kSdkOk;
}

SdkError SdkBackend::SetProgressCallback(SdkObject& ref, SdkProgressCallback callback,
                                         SdkProgressOption option, void* context) {
    auto* stream = dynamic_cast<SdkStream*>(&ref);
    if (stream == nullptr)
        return kSdkErrInvalidHandle;
    stream->SetProgressCallback(callback, option, context);
    return kSdkOk;
}

SdkError SdkBackend::GetEvfImagePropertySize(SdkEvfImage& image, SdkPropertyId property,
                                             SdkDataType* outType, uint32_t* outSize) {
    return image.GetPropertySize(property, outType, outSize);
}

SdkError SdkBackend::GetEvfImagePropertyData(SdkEvfImage& image, SdkPropertyId property,
                                             uint32_t size, void* outData) {
    return image.GetPropertyData(property, size, outData);
}
