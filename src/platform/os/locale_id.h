// The system's default locale as the numeric locale id the windows choose their language
// by (1033 English (United States), 2052 Chinese (PRC), 1028 Chinese (Taiwan), ...).
#pragma once

#include <cstdint>
#include <string>

namespace talbex::os {

inline constexpr uint32_t kLocaleEnglishUnitedStates = 1033;
inline constexpr uint32_t kLocaleChinesePrc = 2052;
inline constexpr uint32_t kLocaleChineseTaiwan = 1028;

/// Maps a POSIX locale name ("zh_CN.UTF-8", "en_US", "C") to its locale id; 0 when unknown.
/// "C" and "POSIX" are the US-English locale.
uint32_t LocaleIdFromName(const std::string& name);

/// The locale id of the environment: LC_ALL, else LC_MESSAGES, else LANG (first non-empty).
uint32_t SystemLocaleId();

}  // namespace talbex::os
