// Texts that come from the camera or the network: the report encoding, the answer lines,
// the version reading and the host setting must take any bytes without fault.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "web/answer_text.h"
#include "web/text_encoding.h"
#include "web/vendor_host.h"
#include "web/versions.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::string encoded = talbex::web::EncodeDoubleByteText(text);
    // The encoded form is plain ASCII and encoding it again changes nothing.
    for (char c : encoded) {
        if (static_cast<unsigned char>(c) >= 0x80)
            __builtin_trap();
    }
    if (talbex::web::EncodeDoubleByteText(encoded) != encoded)
        __builtin_trap();
    talbex::web::PercentEncode(text);
    talbex::web::AnswerText(text, size % 2 == 0);
    talbex::web::VersionNumber(text);
    talbex::web::ParseVendorHost(text);
    return 0;
}
