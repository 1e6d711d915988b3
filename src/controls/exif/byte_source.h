// Random access to the bytes of a picture, so the EXIF reader can work on a file or on
// bytes already in memory. A read either delivers every byte asked for or nothing: bytes
// that lie past the end are missing data, never garbage.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace talbex::exif {

class ByteSource {
  public:
    virtual ~ByteSource() = default;
    /// Number of bytes when the source was opened.
    virtual uint64_t Size() const = 0;
    /// Copies `count` bytes from `offset` into `out`; false (and `out` unspecified) when
    /// not all of them exist.
    virtual bool ReadAt(uint64_t offset, uint8_t* out, size_t count) const = 0;
};

class MemoryByteSource final : public ByteSource {
  public:
    explicit MemoryByteSource(std::span<const uint8_t> bytes) : bytes_(bytes) {}
    uint64_t Size() const override { return bytes_.size(); }
    bool ReadAt(uint64_t offset, uint8_t* out, size_t count) const override;

  private:
    std::span<const uint8_t> bytes_;
};

/// A regular file opened read-only. The file may change while it is read (a picture still
/// being written): reads past its current end are missing data too.
class FileByteSource final : public ByteSource {
  public:
    FileByteSource() = default;
    ~FileByteSource() override;
    FileByteSource(const FileByteSource&) = delete;
    FileByteSource& operator=(const FileByteSource&) = delete;

    /// False with a reason ("No such file or directory", "is a folder", ...) when the
    /// path is not a readable regular file.
    bool Open(const std::string& path, std::string* reason);
    void Close();

    uint64_t Size() const override { return size_; }
    bool ReadAt(uint64_t offset, uint8_t* out, size_t count) const override;

  private:
    int fd_ = -1;
    uint64_t size_ = 0;
};

}  // namespace talbex::exif
