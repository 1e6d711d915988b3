#include "platform/ui/printable_text.h"

namespace talbex::ui {

std::string PrintableText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const bool c1 = byte == 0xC2 && i + 1 < text.size() &&
                        static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
                        static_cast<unsigned char>(text[i + 1]) <= 0x9F;
        if (c1) {
            out += '?';
            ++i;
        } else if (byte < 0x20 || byte == 0x7F) {
            out += '?';
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace talbex::ui
