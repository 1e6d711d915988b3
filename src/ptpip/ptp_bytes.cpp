#include "ptpip/ptp_bytes.h"

namespace talbex::ptpip {

namespace {

constexpr char32_t kReplacement = 0xFFFD;
constexpr size_t kMaxStringUnits = 254;  // plus the terminating zero: 255 in the count byte

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Decodes one character at `i`, advancing it; malformed sequences give U+FFFD.
char32_t NextUtf8(std::string_view s, size_t& i) {
    const auto lead = static_cast<unsigned char>(s[i++]);
    if (lead < 0x80)
        return lead;
    int extra;
    char32_t c;
    char32_t min;
    if ((lead & 0xE0) == 0xC0) {
        extra = 1, c = lead & 0x1F, min = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2, c = lead & 0x0F, min = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3, c = lead & 0x07, min = 0x10000;
    } else {
        return kReplacement;
    }
    for (int k = 0; k < extra; ++k) {
        if (i >= s.size() || (static_cast<unsigned char>(s[i]) & 0xC0) != 0x80)
            return kReplacement;
        c = (c << 6) | (static_cast<unsigned char>(s[i++]) & 0x3F);
    }
    if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return kReplacement;
    return c;
}

}  // namespace

std::u16string Utf8ToUtf16(std::string_view utf8) {
    std::u16string out;
    for (size_t i = 0; i < utf8.size();) {
        const char32_t c = NextUtf8(utf8, i);
        if (c >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
    }
    return out;
}

std::string Utf16ToUtf8(std::u16string_view utf16) {
    std::string out;
    for (size_t i = 0; i < utf16.size(); ++i) {
        char32_t c = utf16[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
            utf16[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (utf16[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = kReplacement;
        }
        AppendUtf8(out, c);
    }
    return out;
}

bool ByteReader::Take(size_t count, const uint8_t** out) {
    if (!ok_ || count > remaining()) {
        ok_ = false;
        return false;
    }
    *out = bytes_.data() + pos_;
    pos_ += count;
    return true;
}

uint8_t ByteReader::U8() {
    const uint8_t* p;
    return Take(1, &p) ? p[0] : 0;
}

uint16_t ByteReader::U16() {
    const uint8_t* p;
    return Take(2, &p) ? static_cast<uint16_t>(p[0] | (p[1] << 8)) : 0;
}

uint32_t ByteReader::U32() {
    const uint8_t* p;
    if (!Take(4, &p))
        return 0;
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

uint64_t ByteReader::U64() {
    const uint64_t low = U32();
    const uint64_t high = U32();
    return low | (high << 32);
}

std::string ByteReader::String() {
    const uint8_t count = U8();
    std::u16string units;
    for (uint8_t k = 0; k < count && ok_; ++k) {
        const char16_t unit = U16();
        if (unit == 0) {
            // The terminator; anything the count claims beyond it is skipped.
            Skip(2u * (count - k - 1));
            break;
        }
        units += unit;
    }
    return ok_ ? Utf16ToUtf8(units) : std::string();
}

void ByteReader::Skip(size_t count) {
    const uint8_t* p;
    Take(count, &p);
}

void ByteWriter::U16(uint16_t v) {
    bytes_.push_back(static_cast<uint8_t>(v));
    bytes_.push_back(static_cast<uint8_t>(v >> 8));
}

void ByteWriter::U32(uint32_t v) {
    for (int shift = 0; shift < 32; shift += 8)
        bytes_.push_back(static_cast<uint8_t>(v >> shift));
}

void ByteWriter::U64(uint64_t v) {
    U32(static_cast<uint32_t>(v));
    U32(static_cast<uint32_t>(v >> 32));
}

void ByteWriter::String(std::string_view utf8) {
    std::u16string units = Utf8ToUtf16(utf8);
    if (units.size() > kMaxStringUnits) {
        size_t cut = kMaxStringUnits;
        if (units[cut - 1] >= 0xD800 && units[cut - 1] <= 0xDBFF)
            --cut;  // keep a surrogate pair whole
        units.resize(cut);
    }
    if (units.empty()) {
        U8(0);
        return;
    }
    U8(static_cast<uint8_t>(units.size() + 1));
    for (char16_t unit : units)
        U16(unit);
    U16(0);
}

void ByteWriter::Array16(std::span<const uint16_t> values) {
    U32(static_cast<uint32_t>(values.size()));
    for (uint16_t v : values)
        U16(v);
}

void ByteWriter::Array32(std::span<const uint32_t> values) {
    U32(static_cast<uint32_t>(values.size()));
    for (uint32_t v : values)
        U32(v);
}

void ByteWriter::Bytes(std::span<const uint8_t> bytes) {
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
}

void ByteWriter::PatchU32(size_t offset, uint32_t v) {
    for (int k = 0; k < 4 && offset + k < bytes_.size(); ++k)
        bytes_[offset + k] = static_cast<uint8_t>(v >> (8 * k));
}

}  // namespace talbex::ptpip
