// Little-endian reading and writing of the protocol's fields: integers, arrays and its
// strings (a count byte, then UTF-16 code units ending in zero).
//
// ByteReader never reads past its bytes: a read that does not fit marks the reader
// failed and answers zero, so a parser checks ok() once at the end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace talbex::ptpip {

class ByteReader {
  public:
    explicit ByteReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}

    uint8_t U8();
    uint16_t U16();
    uint32_t U32();
    uint64_t U64();
    /// A protocol string as UTF-8; unpaired surrogates become U+FFFD.
    std::string String();
    void Skip(size_t count);

    bool ok() const { return ok_; }
    size_t remaining() const { return bytes_.size() - pos_; }

  private:
    bool Take(size_t count, const uint8_t** out);

    std::span<const uint8_t> bytes_;
    size_t pos_ = 0;
    bool ok_ = true;
};

class ByteWriter {
  public:
    void U8(uint8_t v) { bytes_.push_back(v); }
    void U16(uint16_t v);
    void U32(uint32_t v);
    void U64(uint64_t v);
    /// A protocol string from UTF-8, cut to the 254 code units the count byte allows
    /// (never inside a character); invalid bytes become U+FFFD.
    void String(std::string_view utf8);
    void Array16(std::span<const uint16_t> values);
    void Array32(std::span<const uint32_t> values);
    void Bytes(std::span<const uint8_t> bytes);
    /// Overwrites a 32-bit field written earlier (a length known only at the end).
    void PatchU32(size_t offset, uint32_t v);

    size_t size() const { return bytes_.size(); }
    const std::vector<uint8_t>& bytes() const { return bytes_; }
    std::vector<uint8_t> Take() { return std::move(bytes_); }

  private:
    std::vector<uint8_t> bytes_;
};

/// UTF-8 to UTF-16 code units and back; invalid input becomes U+FFFD.
std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

}  // namespace talbex::ptpip
