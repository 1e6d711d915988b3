// The EXIF block a picture of the simulated camera carries: an APP1 segment directly
// after SOI holding a TIFF structure (IFD0 -> EXIF sub-directory -> maker note), with the
// body serial text (0xA431) and the maker-note serial number (0x000C, one 32-bit value).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "camera/sdk/sdk_types.h"

namespace talbex::sim {

struct ExifContent {
    bool bigEndian = false;
    std::string make;
    std::string model;
    std::string firmware;
    SdkTime dateTime{};
    uint32_t width = 0;
    uint32_t height = 0;
    uint16_t iso = 100;
    std::optional<std::string> bodySerial;
    std::optional<uint32_t> makerNoteSerial;
};

/// The whole APP1 segment, marker and length included.
std::vector<uint8_t> BuildExifSegment(const ExifContent& content);

/// The picture file: SOI, the APP1 segment, comment segments that pad the file to at
/// least `padTo` bytes, then the rest of `jpeg` (which starts with SOI).
std::vector<uint8_t> AssemblePicture(const std::vector<uint8_t>& jpeg,
                                     const std::vector<uint8_t>& app1, uint64_t padTo);

}  // namespace talbex::sim
