#include "platform/ui/keys.h"

#include <strings.h>

namespace talbex::ui {

namespace {

struct Named {
    const char* name;
    Key key;
};
constexpr Named kNamed[] = {
    {"Space", kKeySpace},         {"Escape", kKeyEscape}, {"Tab", kKeyTab},
    {"Backspace", kKeyBackspace}, {"Return", kKeyReturn}, {"Insert", kKeyInsert},
    {"Delete", kKeyDelete},       {"Home", kKeyHome},     {"End", kKeyEnd},
    {"Left", kKeyLeft},           {"Up", kKeyUp},         {"Right", kKeyRight},
    {"Down", kKeyDown},           {"PageUp", kKeyPageUp}, {"PageDown", kKeyPageDown},
};
constexpr int kFunctionKeys = 12;

}  // namespace

std::optional<Key> KeyFromName(std::string_view name) {
    if (name.size() == 1) {
        const char c = name[0];
        if (c <= ' ' || c > '~')
            return std::nullopt;
        return static_cast<Key>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    }
    const std::string text(name);
    for (const Named& named : kNamed)
        if (strcasecmp(text.c_str(), named.name) == 0)
            return named.key;
    if (text.size() >= 2 && (text[0] == 'F' || text[0] == 'f')) {
        int number = 0;
        for (size_t i = 1; i < text.size(); ++i) {
            if (text[i] < '0' || text[i] > '9' || number > kFunctionKeys)
                return std::nullopt;
            number = number * 10 + (text[i] - '0');
        }
        if (number >= 1 && number <= kFunctionKeys && text[1] != '0')
            return kKeyF1 + static_cast<Key>(number - 1);
    }
    return std::nullopt;
}

std::string KeyName(Key key) {
    for (const Named& named : kNamed)
        if (named.key == key)
            return named.name;
    if (key > ' ' && key <= '~')
        return std::string(1, static_cast<char>(key));
    if (key >= kKeyF1 && key < kKeyF1 + kFunctionKeys)
        return "F" + std::to_string(key - kKeyF1 + 1);
    return "?";
}

}  // namespace talbex::ui
