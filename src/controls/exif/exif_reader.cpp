#include "controls/exif/exif_reader.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <optional>
#include <vector>

#include "platform/os/diagnostics.h"

namespace talbex::exif {

namespace {

// The most value bytes listed for one entry. A genuine serial tag holds a few dozen bytes;
// the bound keeps a forged count from turning into megabytes of listing.
constexpr uint64_t kMaxListedBytes = 64 * 1024;

void AppendFormat(std::string& out, const char* format, ...) __attribute__((format(printf, 2, 3)));

void AppendFormat(std::string& out, const char* format, ...) {
    char buffer[64];
    va_list args;
    va_start(args, format);
    int length = std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    if (length > 0)
        out.append(buffer, std::min(static_cast<size_t>(length), sizeof buffer - 1));
}

// Text up to the first zero byte.
std::string TextOf(const uint8_t* bytes, size_t count) {
    const uint8_t* end = std::find(bytes, bytes + count, uint8_t{0});
    return std::string(bytes, end);
}

}  // namespace

bool ExifReader::HasUsableSerial() const {
    if (serialFound_ != 1 || serialText_.empty())
        return false;
    const auto first = static_cast<unsigned char>(serialText_[0]);
    return first >= 1 && first <= 127;
}

bool ExifReader::Open(const std::string& path, std::string* error) {
    FileByteSource file;
    std::string reason;
    if (!file.Open(path, &reason)) {
        os::Trace("Fail to open file: %s\n", path.c_str());
        if (error)
            *error = "cannot open: " + reason;
        return false;
    }
    return ReadPicture(file, path, error);
}

bool ExifReader::OpenBytes(std::span<const uint8_t> bytes, const std::string& name,
                           std::string* error) {
    MemoryByteSource memory(bytes);
    return ReadPicture(memory, name, error);
}

bool ExifReader::ReadPicture(const ByteSource& source, const std::string& name,
                             std::string* error) {
    jfifSegmentSeen_ = exifParsed_ = littleEndian_ = exifHeaderValid_ = false;
    tiffBase_ = 0;
    mainImage_.clear();
    thumbnail_.clear();
    exif_.clear();
    makerNote_.clear();
    source_ = &source;
    position_ = 0;

    uint8_t marker[2];
    bool isJpeg = true;
    if (!source.ReadAt(0, marker, 2) || marker[0] != 0xFF || marker[1] != 0xD8) {
        os::Trace("SOI(Start Of Image) error\n");
        isJpeg = false;
    } else if (source.Size() < 2 || !source.ReadAt(source.Size() - 2, marker, 2) ||
               marker[0] != 0xFF || marker[1] != 0xD9) {
        os::Trace("EOI(End Of Image) error\n");
        isJpeg = false;
    }
    if (!isJpeg) {
        os::Trace("%s is not a JPEG image.\n", name.c_str());
        if (error)
            *error = "not a JPEG image";
        source_ = nullptr;
        return false;
    }

    position_ = 2;
    jfifSegmentSeen_ = ReadApp0();
    exifParsed_ = ReadApp1();
    source_ = nullptr;
    return true;
}

// Like reading a file: the position moves on by `count` even when the bytes are missing,
// so stepping back always returns to where the read started.
bool ExifReader::ReadBytes(uint8_t* out, size_t count) {
    const bool ok = source_->ReadAt(position_, out, count);
    position_ += count;
    return ok;
}

uint16_t ExifReader::Get16(const uint8_t* b) const {
    return littleEndian_ ? static_cast<uint16_t>(b[0] | (b[1] << 8))
                         : static_cast<uint16_t>((b[0] << 8) | b[1]);
}

uint32_t ExifReader::Get32(const uint8_t* b) const {
    const uint32_t b0 = b[0], b1 = b[1], b2 = b[2], b3 = b[3];
    return littleEndian_ ? (b0 | (b1 << 8) | (b2 << 16) | (b3 << 24))
                         : ((b0 << 24) | (b1 << 16) | (b2 << 8) | b3);
}

bool ExifReader::ReadApp0() {
    uint8_t marker[2];
    if (!ReadBytes(marker, 2) || marker[0] != 0xFF || marker[1] != 0xE0) {
        position_ -= 2;
        return false;
    }
    uint8_t length[2];
    if (ReadBytes(length, 2)) {
        const unsigned segmentLength = (length[0] << 8) | length[1];
        // The length counts its own two bytes; a smaller one skips nothing.
        if (segmentLength > 2)
            position_ += segmentLength - 2;
    }
    return true;
}

bool ExifReader::ReadApp1() {
    uint8_t marker[2];
    if (!ReadBytes(marker, 2) || marker[0] != 0xFF || marker[1] != 0xE1) {
        position_ -= 2;
        return false;
    }
    position_ += 2;  // segment length, not needed

    static constexpr uint8_t kExifHeader[6] = {'E', 'x', 'i', 'f', 0, 0};
    uint8_t header[6];
    exifHeaderValid_ = ReadBytes(header, 6) && std::equal(header, header + 6, kExifHeader);

    tiffBase_ = position_;
    uint8_t order[2];
    const bool haveOrder = ReadBytes(order, 2);
    if (haveOrder && order[0] == 'I' && order[1] == 'I') {
        littleEndian_ = true;
    } else if (haveOrder && order[0] == 'M' && order[1] == 'M') {
        littleEndian_ = false;
    } else {
        os::Trace("ERROR: byte order is neither \"II\" or \"MM\"");
    }
    position_ += 2;  // TIFF identifier, not examined

    uint8_t offset[4];
    if (ReadBytes(offset, 4)) {
        const uint32_t next = ReadDirectory(tiffBase_ + Get32(offset), mainImage_);
        if (next != 0 && ReadDirectory(tiffBase_ + next, thumbnail_) != 0)
            os::Trace("WARNING: Next IFD Offset of IFD1ThumbnailImage != 0\n");
    }
    if (auto it = mainImage_.find(kExifDirectoryTag); it != mainImage_.end()) {
        if (ReadDirectory(tiffBase_ + it->second.value, exif_) != 0)
            os::Trace("WARNING: Next IFD Offset of ExifSubIFD != 0\n");
    }
    if (auto it = exif_.find(kMakerNoteTag); it != exif_.end())
        ReadDirectory(tiffBase_ + it->second.value, makerNote_);

    os::Trace("Main Image Information:\n");
    ListTable(mainImage_);
    os::Trace("\n");
    os::Trace("Exif sub IFD Information:\n");
    ListTable(exif_);
    os::Trace("\n");
    os::Trace("Maker Note Information:\n");
    ListTable(makerNote_);
    os::Trace("\n");
    os::Trace("Thumbnail Image Information:\n");
    ListTable(thumbnail_);
    return true;
}

// Reads the directory at `offset` into `table` and answers its next-directory offset. A
// directory cut short by the end of the file keeps the entries read whole and has no next
// directory. At most 65535 entries, and each must be in the file, so this is bounded.
uint32_t ExifReader::ReadDirectory(uint64_t offset, DirectoryTable& table) {
    const uint64_t remembered = position_;
    position_ = offset;
    uint32_t next = 0;
    uint8_t countBytes[2];
    if (ReadBytes(countBytes, 2)) {
        const unsigned count = Get16(countBytes);
        bool whole = true;
        for (unsigned i = 0; i < count; ++i) {
            uint8_t raw[12];
            if (!ReadBytes(raw, sizeof raw)) {
                whole = false;
                break;
            }
            DirectoryEntry entry;
            entry.tag = Get16(raw);
            entry.type = Get16(raw + 2);
            entry.count = Get32(raw + 4);
            entry.value = Get32(raw + 8);
            table.emplace(entry.tag, entry);
        }
        uint8_t nextBytes[4];
        if (whole && ReadBytes(nextBytes, 4))
            next = Get32(nextBytes);
    }
    position_ = remembered;
    return next;
}

void ExifReader::ListTable(const DirectoryTable& table) {
    for (const auto& [tag, entry] : table)
        ListEntry(entry);
}

void ExifReader::ListEntry(const DirectoryEntry& entry) {
    if (entry.tag != kCameraSerialTag && entry.tag != kBodySerialTag)
        return;
    std::string line;
    AppendFormat(line, "0x%04X %6u %12u %12u\t", entry.tag, entry.type, entry.count, entry.value);

    // The value field's four bytes in file order.
    uint8_t field[4];
    if (littleEndian_) {
        for (int i = 0; i < 4; ++i)
            field[i] = static_cast<uint8_t>(entry.value >> (8 * i));
    } else {
        for (int i = 0; i < 4; ++i)
            field[i] = static_cast<uint8_t>(entry.value >> (8 * (3 - i)));
    }

    // Values stored at TIFF base + value: all `count` of them must lie in the file, else
    // they are missing and nothing is listed or stored.
    std::vector<uint8_t> data;
    auto readValues = [&](uint64_t elementSize) {
        const uint64_t total = uint64_t{entry.count} * elementSize;
        const uint64_t start = tiffBase_ + entry.value;
        const uint64_t size = source_->Size();
        if (start > size || total > size - start)
            return false;
        const uint64_t listed = std::min(total, kMaxListedBytes / elementSize * elementSize);
        data.resize(static_cast<size_t>(listed));
        return source_->ReadAt(start, data.data(), data.size());
    };
    auto joinValues = [&](size_t elementSize, auto&& appendOne) {
        for (size_t at = 0; at + elementSize <= data.size(); at += elementSize) {
            if (at != 0)
                line += ',';
            appendOne(data.data() + at);
        }
    };

    switch (entry.type) {
        case 2:
            if (entry.count >= 5) {
                if (readValues(1)) {
                    std::string text = TextOf(data.data(), data.size());
                    line += text;
                    StoreSerial(std::move(text), false);
                }
            } else {
                line += TextOf(field, sizeof field);
            }
            break;
        case 3:
            if (entry.count == 1) {
                AppendFormat(line, "%u", unsigned{Get16(field)});
            } else if (entry.count == 0 || entry.count == 2) {
                AppendFormat(line, "%u,%u", unsigned{Get16(field)}, unsigned{Get16(field + 2)});
            } else if (readValues(2)) {
                joinValues(2,
                           [&](const uint8_t* v) { AppendFormat(line, "%u", unsigned{Get16(v)}); });
            }
            break;
        case 4:
            if (entry.count == 1) {
                std::string text;
                AppendFormat(text, "%10u", entry.value);
                StoreSerial(std::move(text), true);
            } else if (readValues(4)) {
                joinValues(4, [&](const uint8_t* v) { AppendFormat(line, "%u", Get32(v)); });
            }
            break;
        case 5:
            if (readValues(8)) {
                joinValues(8, [&](const uint8_t* v) {
                    AppendFormat(line, "%u/%u", Get32(v), Get32(v + 4));
                });
            }
            break;
        case 7:
            if (entry.count <= 4) {
                for (uint32_t i = 0; i < entry.count; ++i)
                    AppendFormat(line, i == 0 ? "%02X" : ",%02X", unsigned{field[i]});
            } else if (readValues(1)) {
                joinValues(1, [&](const uint8_t* v) { AppendFormat(line, "%02X", unsigned{*v}); });
            }
            break;
        case 10:
            if (readValues(8)) {
                joinValues(8, [&](const uint8_t* v) {
                    AppendFormat(line, "%d/%d", static_cast<int32_t>(Get32(v)),
                                 static_cast<int32_t>(Get32(v + 4)));
                });
            }
            break;
        default:  // type 1 and unknown types list no values
            break;
    }
    line += '\n';
    os::Trace("%s", line.c_str());
}

// A text is stored only while none is; a number always replaces what is there. Texts are
// cut to the serial field's length, and blanks become '0' (a number is right-aligned).
void ExifReader::StoreSerial(std::string text, bool replace) {
    if (serialFound_ != 0 && !replace)
        return;
    if (text.size() > kMaxSerialLength)
        text.resize(kMaxSerialLength);
    std::replace(text.begin(), text.end(), ' ', '0');
    serialText_ = std::move(text);
    serialFound_ = 1;
}

}  // namespace talbex::exif
