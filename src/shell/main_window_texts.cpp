#include "shell/main_window_texts.h"

#include "platform/os/locale_id.h"

namespace talbex::shell {

int DetectSystemLanguage(uint32_t localeId) {
    switch (localeId) {
        case os::kLocaleChineseTaiwan:
        case os::kLocaleEnglishUnitedStates:
            return ui::kLanguageEnglish;
        case os::kLocaleChinesePrc:
            return 2;
        default:
            return 0;
    }
}

std::string AdvertisementPath(int language, const std::string& date) {
    return std::string(ui::IsEnglish(language) ? "/ad/index_en.htm?" : "/ad/index_cn.htm?") + date;
}

const char* OfflinePageName(int language) {
    return ui::IsEnglish(language) ? "index_en.htm" : "index_cn.htm";
}

}  // namespace talbex::shell
