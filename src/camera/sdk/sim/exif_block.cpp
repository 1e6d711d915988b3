#include "camera/sdk/sim/exif_block.h"

#include <algorithm>
#include <cstdio>

namespace talbex::sim {

namespace {

constexpr uint16_t kTypeAscii = 2;
constexpr uint16_t kTypeShort = 3;
constexpr uint16_t kTypeLong = 4;
constexpr uint16_t kTypeUndefined = 7;

class Writer {
  public:
    explicit Writer(bool bigEndian) : big_(bigEndian) {}

    void U16(std::vector<uint8_t>& out, uint16_t v) const {
        if (big_) {
            out.push_back(static_cast<uint8_t>(v >> 8));
            out.push_back(static_cast<uint8_t>(v));
        } else {
            out.push_back(static_cast<uint8_t>(v));
            out.push_back(static_cast<uint8_t>(v >> 8));
        }
    }
    void U32(std::vector<uint8_t>& out, uint32_t v) const {
        if (big_) {
            U16(out, static_cast<uint16_t>(v >> 16));
            U16(out, static_cast<uint16_t>(v));
        } else {
            U16(out, static_cast<uint16_t>(v));
            U16(out, static_cast<uint16_t>(v >> 16));
        }
    }

  private:
    bool big_;
};

struct Entry {
    uint16_t tag;
    uint16_t type;
    uint32_t count;
    std::vector<uint8_t> data;      // the value's bytes, already in the file's byte order
    std::optional<uint32_t> fixed;  // a value field given directly (offsets of sub-blocks)
};

class Ifd {
  public:
    explicit Ifd(const Writer& writer) : w_(writer) {}

    void Ascii(uint16_t tag, const std::string& text) {
        std::vector<uint8_t> data(text.begin(), text.end());
        data.push_back(0);
        const auto count = static_cast<uint32_t>(data.size());
        entries_.push_back({tag, kTypeAscii, count, std::move(data), std::nullopt});
    }
    void Short(uint16_t tag, uint16_t value) {
        std::vector<uint8_t> data;
        w_.U16(data, value);
        entries_.push_back({tag, kTypeShort, 1, std::move(data), std::nullopt});
    }
    void Long(uint16_t tag, uint32_t value) {
        std::vector<uint8_t> data;
        w_.U32(data, value);
        entries_.push_back({tag, kTypeLong, 1, std::move(data), std::nullopt});
    }
    /// An entry whose value field is filled in later by SetFixed.
    void Pointer(uint16_t tag, uint16_t type, uint32_t count) {
        entries_.push_back({tag, type, count, {}, 0u});
    }
    void SetFixed(uint16_t tag, uint32_t value) {
        for (auto& e : entries_) {
            if (e.tag == tag)
                e.fixed = value;
        }
    }
    void SetCount(uint16_t tag, uint32_t count) {
        for (auto& e : entries_) {
            if (e.tag == tag)
                e.count = count;
        }
    }

    uint32_t Size() const {
        uint32_t size = 2 + 12 * static_cast<uint32_t>(entries_.size()) + 4;
        for (const auto& e : entries_) {
            if (!e.fixed && e.data.size() > 4)
                size += static_cast<uint32_t>((e.data.size() + 1) & ~size_t{1});
        }
        return size;
    }

    /// Appends the directory at TIFF offset `offset` (== tiff.size() - 0 relative to base).
    void Write(std::vector<uint8_t>& tiff, uint32_t offset) {
        std::sort(entries_.begin(), entries_.end(),
                  [](const Entry& a, const Entry& b) { return a.tag < b.tag; });
        uint32_t dataOffset = offset + 2 + 12 * static_cast<uint32_t>(entries_.size()) + 4;
        std::vector<uint8_t> data;
        w_.U16(tiff, static_cast<uint16_t>(entries_.size()));
        for (const auto& e : entries_) {
            w_.U16(tiff, e.tag);
            w_.U16(tiff, e.type);
            w_.U32(tiff, e.count);
            if (e.fixed) {
                w_.U32(tiff, *e.fixed);
            } else if (e.data.size() <= 4) {
                std::vector<uint8_t> field = e.data;
                field.resize(4, 0);
                tiff.insert(tiff.end(), field.begin(), field.end());
            } else {
                w_.U32(tiff, dataOffset + static_cast<uint32_t>(data.size()));
                data.insert(data.end(), e.data.begin(), e.data.end());
                if (data.size() % 2 != 0)
                    data.push_back(0);
            }
        }
        w_.U32(tiff, 0);  // no next directory
        tiff.insert(tiff.end(), data.begin(), data.end());
    }

  private:
    const Writer& w_;
    std::vector<Entry> entries_;
};

std::string ExifDate(const SdkTime& t) {
    char text[32];
    std::snprintf(text, sizeof text, "%04u:%02u:%02u %02u:%02u:%02u", t.year % 10000u,
                  t.month % 100u, t.day % 100u, t.hour % 100u, t.minute % 100u, t.second % 100u);
    return text;
}

}  // namespace

std::vector<uint8_t> BuildExifSegment(const ExifContent& c) {
    const Writer w(c.bigEndian);

    // The maker note holds the serial number only.
    Ifd maker(w);
    if (c.makerNoteSerial)
        maker.Long(0x000C, *c.makerNoteSerial);

    Ifd exif(w);
    exif.Short(0x8827, c.iso);
    exif.Ascii(0x9003, ExifDate(c.dateTime));
    exif.Pointer(0x927C, kTypeUndefined, 0);
    exif.Long(0xA002, c.width);
    exif.Long(0xA003, c.height);
    if (c.bodySerial)
        exif.Ascii(0xA431, *c.bodySerial);

    Ifd main(w);
    main.Ascii(0x010F, c.make);
    main.Ascii(0x0110, c.model);
    main.Ascii(0x0131, "Firmware " + c.firmware);
    main.Short(0x0112, 1);
    main.Ascii(0x0132, ExifDate(c.dateTime));
    main.Pointer(0x8769, kTypeLong, 1);

    const uint32_t mainOffset = 8;
    const uint32_t exifOffset = mainOffset + main.Size();
    const uint32_t makerOffset = exifOffset + exif.Size();
    main.SetFixed(0x8769, exifOffset);
    exif.SetFixed(0x927C, makerOffset);
    exif.SetCount(0x927C, maker.Size());

    std::vector<uint8_t> tiff;
    if (c.bigEndian) {
        tiff = {'M', 'M'};
    } else {
        tiff = {'I', 'I'};
    }
    w.U16(tiff, 42);
    w.U32(tiff, mainOffset);
    main.Write(tiff, mainOffset);
    exif.Write(tiff, exifOffset);
    maker.Write(tiff, makerOffset);

    std::vector<uint8_t> segment{0xFF, 0xE1};
    const size_t length = 2 + 6 + tiff.size();
    segment.push_back(static_cast<uint8_t>(length >> 8));
    segment.push_back(static_cast<uint8_t>(length));
    for (char ch : {'E', 'x', 'i', 'f', '\0', '\0'})
        segment.push_back(static_cast<uint8_t>(ch));
    segment.insert(segment.end(), tiff.begin(), tiff.end());
    return segment;
}

std::vector<uint8_t> AssemblePicture(const std::vector<uint8_t>& jpeg,
                                     const std::vector<uint8_t>& app1, uint64_t padTo) {
    if (jpeg.size() < 4)
        return {};
    const uint64_t natural = jpeg.size() + app1.size();
    std::vector<uint8_t> out;
    out.reserve(std::max<uint64_t>(natural, padTo) + 4);
    out.insert(out.end(), jpeg.begin(), jpeg.begin() + 2);
    out.insert(out.end(), app1.begin(), app1.end());
    if (padTo > natural) {
        uint64_t missing = padTo - natural;
        constexpr uint64_t kMaxPayload = 65533;
        while (missing > 0) {
            // A comment segment is at least 4 bytes (marker and length).
            uint64_t payload = std::min(kMaxPayload, missing > 4 ? missing - 4 : 0);
            const uint64_t length = payload + 2;
            out.push_back(0xFF);
            out.push_back(0xFE);
            out.push_back(static_cast<uint8_t>(length >> 8));
            out.push_back(static_cast<uint8_t>(length));
            out.insert(out.end(), payload, static_cast<uint8_t>('.'));
            missing = missing > payload + 4 ? missing - payload - 4 : 0;
        }
    }
    out.insert(out.end(), jpeg.begin() + 2, jpeg.end());
    return out;
}

}  // namespace talbex::sim
