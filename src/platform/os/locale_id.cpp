#include "platform/os/locale_id.h"

#include <cstdlib>
#include <cstring>

namespace talbex::os {

namespace {

struct Entry {
    const char* name;
    uint32_t id;
};

constexpr Entry kLocales[] = {
    {"en_US", kLocaleEnglishUnitedStates},
    {"en_GB", 2057},
    {"en_AU", 3081},
    {"en_CA", 4105},
    {"zh_CN", kLocaleChinesePrc},
    {"zh_TW", kLocaleChineseTaiwan},
    {"zh_HK", 3076},
    {"zh_SG", 4100},
    {"zh_MO", 5124},
    {"de_DE", 1031},
    {"fr_FR", 1036},
    {"ja_JP", 1041},
    {"ko_KR", 1042},
    {"es_ES", 3082},
    {"it_IT", 1040},
    {"ru_RU", 1049},
    {"pt_BR", 1046},
};

}  // namespace

uint32_t LocaleIdFromName(const std::string& name) {
    // Drop the encoding and modifier: "zh_CN.UTF-8@pinyin" -> "zh_CN".
    std::string base = name.substr(0, name.find_first_of(".@"));
    if (base == "C" || base == "POSIX")
        return kLocaleEnglishUnitedStates;
    for (const Entry& e : kLocales) {
        if (base == e.name)
            return e.id;
    }
    return 0;
}

uint32_t SystemLocaleId() {
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0')
            return LocaleIdFromName(value);
    }
    return LocaleIdFromName("C");
}

}  // namespace talbex::os
