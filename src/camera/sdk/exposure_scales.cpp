#include "camera/sdk/exposure_scales.h"

#include <cmath>
#include <span>

namespace talbex::sdk {

namespace {

struct Step {
    uint32_t code;
    double value;
};

// Codes step in eighths of a stop: 3 and 5 are the thirds, 4 the half. Where a half
// and a third share a nominal value, the third comes first and wins.
constexpr Step kAperture[] = {
    {0x08, 1.0},  {0x0B, 1.1},  {0x0D, 1.2},  {0x0C, 1.2},  {0x10, 1.4},  {0x13, 1.6},
    {0x15, 1.8},  {0x14, 1.8},  {0x18, 2.0},  {0x1B, 2.2},  {0x1D, 2.5},  {0x1C, 2.5},
    {0x20, 2.8},  {0x23, 3.2},  {0x25, 3.5},  {0x24, 3.5},  {0x28, 4.0},  {0x2B, 4.5},
    {0x2C, 4.5},  {0x2D, 5.0},  {0x30, 5.6},  {0x33, 6.3},  {0x34, 6.7},  {0x35, 7.1},
    {0x38, 8.0},  {0x3B, 9.0},  {0x3C, 9.5},  {0x3D, 10.0}, {0x40, 11.0}, {0x43, 13.0},
    {0x44, 13.0}, {0x45, 14.0}, {0x48, 16.0}, {0x4B, 18.0}, {0x4C, 19.0}, {0x4D, 20.0},
    {0x50, 22.0}, {0x53, 25.0}, {0x54, 27.0}, {0x55, 29.0}, {0x58, 32.0}, {0x5B, 36.0},
    {0x5C, 38.0}, {0x5D, 40.0}, {0x60, 45.0}, {0x63, 51.0}, {0x64, 54.0}, {0x65, 57.0},
    {0x68, 64.0}, {0x6B, 72.0}, {0x6C, 76.0}, {0x6D, 80.0}, {0x70, 91.0},
};

constexpr Step kShutter[] = {
    {0x10, 30.0},        {0x13, 25.0},        {0x15, 20.0},        {0x14, 20.0},
    {0x18, 15.0},        {0x1B, 13.0},        {0x1D, 10.0},        {0x1C, 10.0},
    {0x20, 8.0},         {0x23, 6.0},         {0x24, 6.0},         {0x25, 5.0},
    {0x28, 4.0},         {0x2B, 3.2},         {0x2C, 3.0},         {0x2D, 2.5},
    {0x30, 2.0},         {0x33, 1.6},         {0x34, 1.5},         {0x35, 1.3},
    {0x38, 1.0},         {0x3B, 0.8},         {0x3C, 0.7},         {0x3D, 0.6},
    {0x40, 0.5},         {0x43, 0.4},         {0x45, 0.3},         {0x44, 0.3},
    {0x48, 1.0 / 4},     {0x4B, 1.0 / 5},     {0x4D, 1.0 / 6},     {0x4C, 1.0 / 6},
    {0x50, 1.0 / 8},     {0x53, 1.0 / 10},    {0x54, 1.0 / 10},    {0x55, 1.0 / 13},
    {0x58, 1.0 / 15},    {0x5B, 1.0 / 20},    {0x5C, 1.0 / 20},    {0x5D, 1.0 / 25},
    {0x60, 1.0 / 30},    {0x63, 1.0 / 40},    {0x64, 1.0 / 45},    {0x65, 1.0 / 50},
    {0x68, 1.0 / 60},    {0x6B, 1.0 / 80},    {0x6C, 1.0 / 90},    {0x6D, 1.0 / 100},
    {0x70, 1.0 / 125},   {0x73, 1.0 / 160},   {0x74, 1.0 / 180},   {0x75, 1.0 / 200},
    {0x78, 1.0 / 250},   {0x7B, 1.0 / 320},   {0x7C, 1.0 / 350},   {0x7D, 1.0 / 400},
    {0x80, 1.0 / 500},   {0x83, 1.0 / 640},   {0x84, 1.0 / 750},   {0x85, 1.0 / 800},
    {0x88, 1.0 / 1000},  {0x8B, 1.0 / 1250},  {0x8C, 1.0 / 1500},  {0x8D, 1.0 / 1600},
    {0x90, 1.0 / 2000},  {0x93, 1.0 / 2500},  {0x94, 1.0 / 3000},  {0x95, 1.0 / 3200},
    {0x98, 1.0 / 4000},  {0x9B, 1.0 / 5000},  {0x9C, 1.0 / 6000},  {0x9D, 1.0 / 6400},
    {0xA0, 1.0 / 8000},  {0xA3, 1.0 / 10000}, {0xA5, 1.0 / 12800}, {0xA8, 1.0 / 16000},
    {0xAB, 1.0 / 20000}, {0xAD, 1.0 / 25000}, {0xB0, 1.0 / 32000},
};

constexpr Step kIso[] = {
    {0x28, 6},      {0x30, 12},     {0x38, 25},     {0x40, 50},     {0x43, 64},    {0x45, 80},
    {0x48, 100},    {0x4B, 125},    {0x4D, 160},    {0x50, 200},    {0x53, 250},   {0x55, 320},
    {0x58, 400},    {0x5B, 500},    {0x5D, 640},    {0x60, 800},    {0x63, 1000},  {0x65, 1250},
    {0x68, 1600},   {0x6B, 2000},   {0x6D, 2500},   {0x70, 3200},   {0x73, 4000},  {0x75, 5000},
    {0x78, 6400},   {0x7B, 8000},   {0x7D, 10000},  {0x80, 12800},  {0x83, 16000}, {0x85, 20000},
    {0x88, 25600},  {0x8B, 32000},  {0x8D, 40000},  {0x90, 51200},  {0x93, 64000}, {0x95, 80000},
    {0x98, 102400}, {0xA0, 204800}, {0xA8, 409600}, {0xB0, 819200},
};

// Compensation codes are signed bytes in eighths of a stop, thirds written as 3 and 5;
// the steps beyond ±3 are those of bodies that reach five stops either way.
constexpr Step kCompensation[] = {
    {0x00, 0.0},       {0x03, 1 / 3.0},  {0x04, 0.5},       {0x05, 2 / 3.0},   {0x08, 1.0},
    {0x0B, 4 / 3.0},   {0x0C, 1.5},      {0x0D, 5 / 3.0},   {0x10, 2.0},       {0x13, 7 / 3.0},
    {0x14, 2.5},       {0x15, 8 / 3.0},  {0x18, 3.0},       {0xFD, -1 / 3.0},  {0xFC, -0.5},
    {0xFB, -2 / 3.0},  {0xF8, -1.0},     {0xF5, -4 / 3.0},  {0xF4, -1.5},      {0xF3, -5 / 3.0},
    {0xF0, -2.0},      {0xED, -7 / 3.0}, {0xEC, -2.5},      {0xEB, -8 / 3.0},  {0xE8, -3.0},
    {0x1B, 10 / 3.0},  {0x1C, 3.5},      {0x1D, 11 / 3.0},  {0x20, 4.0},       {0x23, 13 / 3.0},
    {0x24, 4.5},       {0x25, 14 / 3.0}, {0x28, 5.0},       {0xE5, -10 / 3.0}, {0xE4, -3.5},
    {0xE3, -11 / 3.0}, {0xE0, -4.0},     {0xDD, -13 / 3.0}, {0xDC, -4.5},      {0xDB, -14 / 3.0},
    {0xD8, -5.0},
};

std::optional<double> ValueOf(std::span<const Step> steps, uint32_t code) {
    for (const Step& s : steps)
        if (s.code == code)
            return s.value;
    return std::nullopt;
}

// The first code whose value lies nearest to `value` by `distance`, if within `limit`.
template <typename Distance>
std::optional<uint32_t> Nearest(std::span<const Step> steps, double value, double limit,
                                Distance distance) {
    if (!std::isfinite(value))
        return std::nullopt;
    std::optional<uint32_t> best;
    double bestDistance = limit + 1e-9;
    for (const Step& s : steps) {
        const double d = distance(value, s.value);
        if (d < bestDistance - 1e-9) {
            best = s.code;
            bestDistance = d;
        }
    }
    return best;
}

// Distance in stops between two values on a scale that doubles every `perStop`.
auto StopsApart(double perStop) {
    return [perStop](double a, double b) {
        if (a <= 0 || b <= 0)
            return HUGE_VAL;
        return std::fabs(std::log2(a / b)) / perStop;
    };
}

constexpr double kSixthOfAStop = 1.0 / 6;
// ISO speeds are named by their exact nominal values, and some bodies step in sixths of a
// stop (110, 140, 180): those lie between two codes and have none.
constexpr double kTwelfthOfAStop = 1.0 / 12;

}  // namespace

std::optional<double> FNumberOfAv(uint32_t avCode) {
    return ValueOf(kAperture, avCode);
}

std::optional<uint32_t> AvForFNumber(double fNumber) {
    // The f-number doubles every two stops.
    return Nearest(kAperture, fNumber, kSixthOfAStop, StopsApart(0.5));
}

std::optional<double> SecondsOfTv(uint32_t tvCode) {
    return ValueOf(kShutter, tvCode);
}

std::optional<uint32_t> TvForSeconds(double seconds) {
    return Nearest(kShutter, seconds, kSixthOfAStop, StopsApart(1.0));
}

std::optional<uint32_t> SpeedOfIso(uint32_t isoCode) {
    if (auto v = ValueOf(kIso, isoCode))
        return static_cast<uint32_t>(*v);
    return std::nullopt;
}

std::optional<uint32_t> IsoForSpeed(double speed) {
    return Nearest(kIso, speed, kTwelfthOfAStop, StopsApart(1.0));
}

std::optional<int32_t> MilliStopsOfStep(uint32_t stepCode) {
    if (auto v = ValueOf(kCompensation, stepCode))
        return static_cast<int32_t>(std::lround(*v * 1000));
    return std::nullopt;
}

std::optional<uint32_t> StepForStops(double stops) {
    return Nearest(kCompensation, stops, 1.0 / 8,
                   [](double a, double b) { return std::fabs(a - b); });
}

}  // namespace talbex::sdk
