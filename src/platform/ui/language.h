// The language code every window is handed: 3 means English, every other value Chinese.
// Windows choose their texts by it at the moment they show them.
#pragma once

namespace talbex::ui {

inline constexpr int kLanguageEnglish = 3;
/// What the main window's language switch sets for Chinese.
inline constexpr int kLanguageChinese = 1;

inline constexpr bool IsEnglish(int language) {
    return language == kLanguageEnglish;
}

/// The English or the Chinese text, by `language`.
inline constexpr const char* ByLanguage(int language, const char* english, const char* chinese) {
    return IsEnglish(language) ? english : chinese;
}

}  // namespace talbex::ui
