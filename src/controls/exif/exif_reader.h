// Reads a JPEG picture's EXIF block (the TIFF structure of its APP1 segment: main image,
// thumbnail, EXIF sub-directory and the camera's maker note) to find the camera body's
// serial number. Writes a listing of the two serial-number tags to the trace output.
//
// Pictures come from anywhere, so every offset and count is checked against the bytes
// there are: bytes past the end are missing data, and no input makes the reader crash,
// loop or read outside the picture.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <span>
#include <string>

#include "controls/exif/byte_source.h"

namespace talbex::exif {

/// One TIFF directory entry. `value` is the value field read as one 32-bit number in the
/// file's byte order: the value itself when it fits in four bytes, else an offset from the
/// TIFF header.
struct DirectoryEntry {
    uint16_t tag = 0;
    uint16_t type = 0;
    uint32_t count = 0;
    uint32_t value = 0;
};

/// Entries of one directory by tag; of a tag held twice the first entry stays.
using DirectoryTable = std::map<uint16_t, DirectoryEntry>;

inline constexpr uint16_t kCameraSerialTag = 0x000C;  // maker note, one 32-bit number
inline constexpr uint16_t kExifDirectoryTag = 0x8769;
inline constexpr uint16_t kMakerNoteTag = 0x927C;
inline constexpr uint16_t kBodySerialTag = 0xA431;  // EXIF, text

/// The longest serial text kept; longer texts are cut to it.
inline constexpr size_t kMaxSerialLength = 19;

/// Made for one picture and used once.
class ExifReader {
  public:
    /// Reads the file. False only when it cannot be opened or is not a JPEG file, with
    /// the reason in `error` ("cannot open: REASON" or "not a JPEG image"); true
    /// otherwise, whether or not a serial was found.
    bool Open(const std::string& path, std::string* error = nullptr);
    /// The same on bytes already in memory; `name` stands for the path in messages.
    bool OpenBytes(std::span<const uint8_t> bytes, const std::string& name,
                   std::string* error = nullptr);

    /// 1 once a serial text has been stored.
    int serialFound() const { return serialFound_; }
    /// At most kMaxSerialLength bytes.
    const std::string& serialText() const { return serialText_; }
    /// What callers rely on: a serial was stored and its first byte is 1..127.
    bool HasUsableSerial() const;

    bool jfifSegmentSeen() const { return jfifSegmentSeen_; }
    bool exifParsed() const { return exifParsed_; }
    bool littleEndian() const { return littleEndian_; }
    bool exifHeaderValid() const { return exifHeaderValid_; }
    uint64_t tiffBase() const { return tiffBase_; }
    const DirectoryTable& mainImageEntries() const { return mainImage_; }
    const DirectoryTable& thumbnailEntries() const { return thumbnail_; }
    const DirectoryTable& exifEntries() const { return exif_; }
    const DirectoryTable& makerNoteEntries() const { return makerNote_; }

  private:
    bool ReadPicture(const ByteSource& source, const std::string& name, std::string* error);
    bool ReadBytes(uint8_t* out, size_t count);
    bool ReadApp0();
    bool ReadApp1();
    uint32_t ReadDirectory(uint64_t offset, DirectoryTable& table);
    uint16_t Get16(const uint8_t* bytes) const;
    uint32_t Get32(const uint8_t* bytes) const;
    void ListTable(const DirectoryTable& table);
    void ListEntry(const DirectoryEntry& entry);
    void StoreSerial(std::string text, bool replace);

    std::string serialText_;
    int serialFound_ = 0;
    bool jfifSegmentSeen_ = false;
    bool exifParsed_ = false;
    bool littleEndian_ = false;
    bool exifHeaderValid_ = false;
    uint64_t tiffBase_ = 0;
    DirectoryTable mainImage_;
    DirectoryTable thumbnail_;
    DirectoryTable exif_;
    DirectoryTable makerNote_;

    // Only while a picture is read.
    const ByteSource* source_ = nullptr;
    uint64_t position_ = 0;
};

}  // namespace talbex::exif
