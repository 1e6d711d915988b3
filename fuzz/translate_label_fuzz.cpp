// Any label text through the Chinese display form, with the remote-control window's
// dictionary: a text that is valid UTF-8 stays valid UTF-8 (blanks never split a
// character), and a text that is not a key as a whole comes back word by word, each word
// followed by one blank.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "remote/label_dictionary.h"
#include "remote/translate_label.h"

namespace {

bool IsUtf8(std::string_view text) {
    for (size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        size_t length = lead < 0x80             ? 1
                        : (lead & 0xE0) == 0xC0 ? 2
                        : (lead & 0xF0) == 0xE0 ? 3
                        : (lead & 0xF8) == 0xF0 ? 4
                                                : 0;
        if (length == 0 || i + length > text.size())
            return false;
        for (size_t k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
                return false;
        }
        i += length;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using talbex::remote::LabelDictionary;
    static LabelDictionary& dictionary = []() -> LabelDictionary& {
        LabelDictionary& d = LabelDictionary::Instance();
        talbex::remote::AddRemoteControlLabels(d);
        return d;
    }();
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::string shown = talbex::remote::translateLabel(text, dictionary);
    if (IsUtf8(text) && !IsUtf8(shown))
        __builtin_trap();
    if (!dictionary.Find(text) && !shown.empty() && shown.back() != ' ')
        __builtin_trap();
    return 0;
}
