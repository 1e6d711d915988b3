// The camera's own clock: set from a date and time, then running with the computer's
// monotonic clock. Calendar arithmetic is proleptic Gregorian without time zones.
#pragma once

#include <chrono>
#include <cstdint>

#include "camera/sdk/sdk_types.h"

namespace talbex::sim {

/// True when the record is a real date and time (years 1970..9999).
bool IsValidTime(const SdkTime& time);

/// Milliseconds since 1970-01-01 00:00:00 of a valid record, and back.
int64_t TimeToMilliseconds(const SdkTime& time);
SdkTime MillisecondsToTime(int64_t milliseconds);

class CameraClock {
  public:
    explicit CameraClock(const SdkTime& start) { Set(start); }

    void Set(const SdkTime& time);
    SdkTime Now() const;

  private:
    int64_t setTo_ = 0;
    std::chrono::steady_clock::time_point setAt_;
};

}  // namespace talbex::sim
