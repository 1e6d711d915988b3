// Hand-made JPEG pictures with a TIFF structure in either byte order, for the EXIF reader's
// tests.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace talbex::exif::testing {

struct RawEntry {
    uint16_t tag;
    uint16_t type;
    uint32_t count;
    uint32_t value;  // written in the TIFF's byte order, like every entry field
};

/// TIFF data: header ("II" or "MM", 42, offset of the first directory) and whatever the
/// test appends. Offsets are relative to the header, as in the file.
class Tiff {
  public:
    explicit Tiff(bool littleEndian) : little_(littleEndian) {
        if (little_) {
            bytes.push_back('I');
            bytes.push_back('I');
        } else {
            bytes.push_back('M');
            bytes.push_back('M');
        }
        U16(42);
        U32(8);
    }

    uint32_t size() const { return static_cast<uint32_t>(bytes.size()); }

    void U16(uint16_t v) {
        if (little_) {
            bytes.push_back(static_cast<uint8_t>(v));
            bytes.push_back(static_cast<uint8_t>(v >> 8));
        } else {
            bytes.push_back(static_cast<uint8_t>(v >> 8));
            bytes.push_back(static_cast<uint8_t>(v));
        }
    }
    void U32(uint32_t v) {
        for (int i = 0; i < 4; ++i) {
            const int shift = little_ ? 8 * i : 8 * (3 - i);
            bytes.push_back(static_cast<uint8_t>(v >> shift));
        }
    }
    void Set32(uint32_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) {
            const int shift = little_ ? 8 * i : 8 * (3 - i);
            bytes[at + i] = static_cast<uint8_t>(v >> shift);
        }
    }

    /// Appends raw bytes (a text, values) and answers their offset.
    uint32_t Data(const std::string& raw) {
        const uint32_t at = size();
        bytes.insert(bytes.end(), raw.begin(), raw.end());
        return at;
    }
    uint32_t Data16(std::initializer_list<uint16_t> values) {
        const uint32_t at = size();
        for (uint16_t v : values)
            U16(v);
        return at;
    }
    uint32_t Data32(std::initializer_list<uint32_t> values) {
        const uint32_t at = size();
        for (uint32_t v : values)
            U32(v);
        return at;
    }

    /// Appends a directory and answers its offset.
    uint32_t Directory(const std::vector<RawEntry>& entries, uint32_t next = 0) {
        const uint32_t at = size();
        U16(static_cast<uint16_t>(entries.size()));
        for (const RawEntry& e : entries) {
            U16(e.tag);
            U16(e.type);
            U32(e.count);
            U32(e.value);
        }
        U32(next);
        return at;
    }

    void SetFirstDirectory(uint32_t offset) { Set32(4, offset); }

    /// The offset of the next-directory field of the directory at `at`.
    uint32_t NextFieldOf(uint32_t at) const {
        const uint32_t count =
            little_ ? (bytes[at] | (bytes[at + 1] << 8)) : ((bytes[at] << 8) | bytes[at + 1]);
        return at + 2 + 12 * count;
    }

    /// A value of up to four bytes held in the value field, as the entry's 32-bit value.
    uint32_t Inline(const std::string& raw) const {
        uint8_t field[4] = {0, 0, 0, 0};
        std::memcpy(field, raw.data(), raw.size() < 4 ? raw.size() : 4);
        return little_
                   ? (field[0] | (field[1] << 8) | (field[2] << 16) | (uint32_t{field[3]} << 24))
                   : ((uint32_t{field[0]} << 24) | (field[1] << 16) | (field[2] << 8) | field[3]);
    }

    std::vector<uint8_t> bytes;

  private:
    bool little_;
};

struct JpegLayout {
    bool app0 = false;               // a JFIF segment before the APP1 segment
    bool segmentBeforeApp1 = false;  // a DQT segment before it instead
    std::string exifHeader = std::string("Exif\0\0", 6);
    bool endMarker = true;
};

/// SOI, optional APP0/DQT, APP1 with the EXIF header and the TIFF data, a little scan
/// data, EOI.
inline std::vector<uint8_t> Jpeg(const std::vector<uint8_t>& tiff, const JpegLayout& layout = {}) {
    std::vector<uint8_t> out = {0xFF, 0xD8};
    if (layout.app0) {
        const uint8_t jfif[] = {0xFF, 0xE0, 0x00, 0x10, 'J',  'F',  'I',  'F',  0x00,
                                0x01, 0x01, 0x00, 0x00, 0x01, 0x00, 0x01, 0x00, 0x00};
        out.insert(out.end(), std::begin(jfif), std::end(jfif));
    }
    if (layout.segmentBeforeApp1) {
        const uint8_t dqt[] = {0xFF, 0xDB, 0x00, 0x04, 0x00, 0x01};
        out.insert(out.end(), std::begin(dqt), std::end(dqt));
    }
    const size_t length = 2 + layout.exifHeader.size() + tiff.size();
    out.push_back(0xFF);
    out.push_back(0xE1);
    out.push_back(static_cast<uint8_t>(length >> 8));
    out.push_back(static_cast<uint8_t>(length));
    out.insert(out.end(), layout.exifHeader.begin(), layout.exifHeader.end());
    out.insert(out.end(), tiff.begin(), tiff.end());
    const uint8_t scan[] = {0xFF, 0xDA, 0x00, 0x02, 0x12, 0x34};
    out.insert(out.end(), std::begin(scan), std::end(scan));
    if (layout.endMarker) {
        out.push_back(0xFF);
        out.push_back(0xD9);
    }
    return out;
}

}  // namespace talbex::exif::testing
