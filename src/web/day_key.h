// The day key: which day the last camera report was sent on, kept in "log.txt" in the
// program directory as its decimal digits with no line end.
#pragma once

#include <functional>
#include <string>

namespace talbex::web {

struct LocalDate {
    int year = 0;
    int month = 0;  // 1 to 12
    int day = 0;    // 1 to 31
};

/// Answers today's local date; replaced in tests.
using DateSource = std::function<LocalDate()>;

/// Today in the local time zone, by the program's clock (os::Now).
LocalDate TodayLocal();

/// year × 100 + month × 10 + day. Not a calendar number: January 11 and February 1 of a
/// year share a key. "log.txt" files already in use hold keys made this way.
int DayKey(const LocalDate& date);

inline constexpr char kDayKeyFileName[] = "log.txt";

/// The key stored in `directory` + "log.txt": at most its first 9 characters, read as a
/// decimal number of their leading digits. 0 when the file is missing, empty, not a
/// regular file or holds no number.
int ReadDayKey(const std::string& directory);

/// Replaces `directory` + "log.txt" with the decimal digits of `key`, never writing
/// through a link. False, with the reason in `error` when given, when it cannot be
/// written.
bool WriteDayKey(const std::string& directory, int key, std::string* error = nullptr);

}  // namespace talbex::web
