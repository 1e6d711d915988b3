// Feeds arbitrary bytes to the EXIF reader as a picture. With the diagnostic output on, the
// listing of every value is formatted too.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "controls/exif/exif_reader.h"
#include "platform/os/diagnostics.h"

namespace {

size_t gListed = 0;  // keeps the sink from being optimised away

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool kSinkSet = [] {
        talbex::os::SetDiagnosticSink([](std::string_view text) { gListed += text.size(); });
        return true;
    }();
    (void)kSinkSet;
    talbex::exif::ExifReader reader;
    reader.OpenBytes(std::span<const uint8_t>(data, size), "fuzz.jpg");
    if (reader.serialText().size() > talbex::exif::kMaxSerialLength)
        __builtin_trap();
    return 0;
}
