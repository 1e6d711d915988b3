#include "camera/sdk/gphoto2/property_routes.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "camera/sdk/exposure_scales.h"

namespace talbex::gphoto {

namespace {

// The labels the standard's bodies show through libgphoto2 (its tables' entries for no
// vendor in particular: config.c's exposure_program_modes around 3736, whitebalance
// around 1451, exposure_metering around 4267, focusmodes around 5810, capture_mode around
// 4065, flash_mode around 4286), and common names of the same settings. The families'
// own texts are in family_routes_*.cpp. A text with no fitting code is left out: the
// lists then do not offer it ("Creative", "One-push Automatic", "Average", "Timelapse").
constexpr Label kExposureProgram[] = {
    {"M", 3},
    {"Manual", 3},
    {"P", 0},
    {"Program", 0},
    {"Program AE", 0},
    {"A", 2},
    {"Av", 2},
    {"Aperture Priority", 2},
    {"S", 1},
    {"Tv", 1},
    {"Shutter Priority", 1},
    {"Bulb", 4},
    {"Auto", 9},
    {"Automatic", 9},
    {"Night Portrait", 0x0A},
    {"Action", 0x0B},
    {"Sports", 0x0B},
    {"Portrait", 0x0C},
    {"Landscape", 0x0D},
    {"Close-up", 0x0E},
    {"Macro", 0x0E},
};

constexpr Label kWhiteBalance[] = {
    {"Automatic", 0},
    {"Auto", 0},
    {"AWB", 0},
    {"Daylight", 1},
    {"Cloudy", 2},
    {"Tungsten", 3},
    {"Incandescent", 3},
    {"Fluorescent", 4},
    {"Flash", 5},
    {"Manual", 6},
    {"Custom", 6},
    {"Preset", 6},
    {"Shade", 8},
    {"Color Temperature", 9},
    {"Colour Temperature", 9},
    {"Kelvin", 9},
};

constexpr Label kMetering[] = {
    {"Multi Spot", 3},
    {"Multi-spot", 3},
    {"Evaluative", 3},
    {"Matrix", 3},
    {"Center Weighted", 5},
    {"Center-weighted", 5},
    {"Center Weighted Average", 5},
    {"Center-weighted average", 5},
    {"Center Spot", 1},
    {"Spot", 1},
    {"Partial", 4},
};

constexpr Label kFocusMode[] = {
    {"Automatic", 0},  {"One Shot", 0},     {"One-Shot AF", 0}, {"AF-S", 0},
    {"Single", 0},     {"AI Servo", 1},     {"AI Servo AF", 1}, {"AF-C", 1},
    {"Continuous", 1}, {"AI Focus", 2},     {"AI Focus AF", 2}, {"AF-A", 2},
    {"Manual", 3},     {"Manual Focus", 3}, {"MF", 3},
};

constexpr Label kDriveMode[] = {
    {"Single Shot", 0},
    {"Single", 0},
    {"Single Shooting", 0},
    {"Burst", 1},
    {"Continuous", 1},
    {"Continuous Shooting", 1},
    {"Continuous High Speed", 4},
    {"High-Speed Continuous Shooting", 4},
    {"Continuous Low Speed", 5},
    {"Low-Speed Continuous Shooting", 5},
    {"10-Sec Self-timer", 0x10},
    {"2-Sec Self-timer", 0x11},
};

constexpr Label kImageQuality[] = {
    {"RAW", 0x0064FF0F},
    {"RAW + Large Fine JPEG", 0x00640013},
    {"RAW + Medium Fine JPEG", 0x00640113},
    {"RAW + Small Fine JPEG", 0x00640213},
    {"Large Fine JPEG", 0x0013FF0F},
    {"Large Normal JPEG", 0x0012FF0F},
    {"Medium Fine JPEG", 0x0113FF0F},
    {"Middle Fine JPEG", 0x0113FF0F},
    {"Medium Normal JPEG", 0x0112FF0F},
    {"Middle Normal JPEG", 0x0112FF0F},
    {"Small Fine JPEG", 0x0213FF0F},
    {"Small Normal JPEG", 0x0212FF0F},
};

constexpr Label kColorSpace[] = {{"sRGB", 1}, {"AdobeRGB", 2}, {"Adobe RGB", 2}};

constexpr Label kFlash[] = {
    {"Flash off", 0}, {"Off", 0}, {"Fill flash", 1}, {"On", 1}, {"Flash on", 1},
};

// The standard's media-transfer extension names the device's owner-given name 0xD402,
// its artist and copyright texts 0x501E and 0x501F; libgphoto2 offers those under their
// hex codes where it has no common name for them.
constexpr Route kRoutes[] = {
    {kPropProductName, {"cameramodel", "model"}, Codec::kText, {}, false},
    {kPropOwnerName, {"ownername", "d402"}, Codec::kText, {}, true},
    {kPropFirmwareVersion, {"deviceversion", nullptr}, Codec::kText, {}, false},
    {kPropBodySerial, {"serialnumber", nullptr}, Codec::kText, {}, false},
    {kPropLensName, {"lensname", nullptr}, Codec::kText, {}, false},
    {kPropArtist, {"artist", "501e"}, Codec::kText, {}, true},
    {kPropCopyright, {"copyright", "501f"}, Codec::kText, {}, true},
    {kPropDateTime, {"datetime", nullptr}, Codec::kDateTime, {}, true},
    {kPropBatteryLevel, {"batterylevel", nullptr}, Codec::kPercent, {}, false},
    {kPropShutterCount, {"shuttercounter", nullptr}, Codec::kNumber, {}, false},
    {kPropAeMode, {"expprogram", nullptr}, Codec::kLabels, kExposureProgram, true},
    {kPropShootingMode, {"expprogram", nullptr}, Codec::kLabels, kExposureProgram, false},
    {kPropAv, {"f-number", "aperture"}, Codec::kAperture, {}, true},
    {kPropTv, {"shutterspeed", nullptr}, Codec::kShutterSpeed, {}, true},
    {kPropIsoSpeed, {"iso", nullptr}, Codec::kIso, {}, true},
    {kPropExposureCompensation, {"exposurecompensation", nullptr}, Codec::kExposureBias, {}, true},
    {kPropWhiteBalance, {"whitebalance", nullptr}, Codec::kLabels, kWhiteBalance, true},
    {kPropMeteringMode, {"exposuremetermode", "meteringmode"}, Codec::kLabels, kMetering, true},
    {kPropAfMode, {"focusmode", nullptr}, Codec::kLabels, kFocusMode, true},
    {kPropDriveMode, {"drivemode", "capturemode"}, Codec::kLabels, kDriveMode, true},
    {kPropImageQuality, {"imageformat", "imagequality"}, Codec::kLabels, kImageQuality, true},
    {kPropColorSpace, {"colorspace", nullptr}, Codec::kLabels, kColorSpace, true},
    {kPropFlashOn, {"flashmode", nullptr}, Codec::kLabels, kFlash, true},
};

// Exposure times at or beyond this are the standard's "no time" value: bulb.
constexpr double kBulbSeconds = 100000;

std::string Trimmed(std::string_view text) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && std::isspace(static_cast<unsigned char>(text[begin])))
        ++begin;
    while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1])))
        --end;
    return std::string(text.substr(begin, end - begin));
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// A decimal number taking all of `text`; a comma counts as the decimal point.
std::optional<double> Number(std::string text) {
    std::replace(text.begin(), text.end(), ',', '.');
    if (text.empty())
        return std::nullopt;
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

// "1/3", "1 2/3", "-1 1/3", "+2", "0.667": a number with an optional fraction.
std::optional<double> Fraction(const std::string& text) {
    const size_t slash = text.find('/');
    if (slash == std::string::npos)
        return Number(text);
    const std::string left = Trimmed(text.substr(0, slash));
    auto denominator = Number(Trimmed(text.substr(slash + 1)));
    if (!denominator || *denominator == 0)
        return std::nullopt;
    const size_t space = left.rfind(' ');
    if (space == std::string::npos) {
        auto numerator = Number(left);
        if (!numerator)
            return std::nullopt;
        return *numerator / *denominator;
    }
    auto whole = Number(Trimmed(left.substr(0, space)));
    auto numerator = Number(Trimmed(left.substr(space + 1)));
    if (!whole || !numerator || *numerator < 0)
        return std::nullopt;
    const double part = *numerator / *denominator;
    return (std::signbit(*whole) || left[0] == '-') ? *whole - part : *whole + part;
}

std::optional<uint32_t> WholeNumber(const std::string& text) {
    if (text.empty() || text.size() > 10 ||
        text.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    const unsigned long long value = std::strtoull(text.c_str(), nullptr, 10);
    if (value > UINT32_MAX)
        return std::nullopt;
    return static_cast<uint32_t>(value);
}

// libgphoto2 prints a time it has no value for as the two 16-bit halves of an unset one
// ("65535/65535"); no exposure lasts 65535 s or 1/65535 s.
bool IsUnsetFraction(const std::string& text) {
    const size_t slash = text.find('/');
    if (slash == std::string::npos)
        return false;
    auto top = WholeNumber(Trimmed(text.substr(0, slash)));
    auto bottom = WholeNumber(Trimmed(text.substr(slash + 1)));
    return (top && *top >= 65535) || (bottom && *bottom >= 65535);
}

std::optional<uint32_t> ShutterCode(std::string text) {
    text = Lower(Trimmed(text));
    if (text == "bulb")
        return sdk::kTvBulb;
    if (!text.empty() && (text.back() == 's' || text.back() == '"'))
        text = Trimmed(text.substr(0, text.size() - 1));
    if (IsUnsetFraction(text))
        return std::nullopt;
    auto seconds = Fraction(text);
    if (!seconds || *seconds <= 0)
        return std::nullopt;
    if (*seconds >= kBulbSeconds)
        return sdk::kTvBulb;
    return sdk::TvForSeconds(*seconds);
}

std::vector<std::string> Words(const std::string& text) {
    std::vector<std::string> words;
    size_t at = 0;
    while (at < text.size()) {
        const size_t end = std::min(text.find(' ', at), text.size());
        if (end > at)
            words.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    return words;
}

// "400", "ISO 400", "Auto", "Auto ISO" and "ISO Auto 6400" (automatic up to a limit):
// the word ISO says nothing. Anything more ("Auto ISO Multi Frame Noise Reduction",
// "Low") is a setting of its own, with no code.
std::optional<uint32_t> IsoCode(const std::string& raw) {
    std::vector<std::string> words;
    for (std::string word : Words(Lower(Trimmed(raw)))) {
        if (word.rfind("iso", 0) == 0)
            word = word.substr(3);
        if (!word.empty())
            words.push_back(word);
    }
    if (words.empty() || words.size() > 2)
        return std::nullopt;
    if (words[0] == "auto" || words[0] == "automatic") {
        if (words.size() == 1 || WholeNumber(words[1]))
            return sdk::kIsoAuto;
        return std::nullopt;
    }
    if (words.size() != 1)
        return std::nullopt;
    if (words[0] == "65535")  // the standard's automatic speed
        return sdk::kIsoAuto;
    auto speed = Number(words[0]);
    if (!speed || *speed <= 0)
        return std::nullopt;
    return sdk::IsoForSpeed(*speed);
}

std::optional<uint32_t> LabelCode(std::span<const Label> labels, const std::string& text) {
    const std::string lower = Lower(text);
    for (const Label& label : labels)
        if (Lower(label.text) == lower)
            return label.code;
    return std::nullopt;
}

std::string Formatted(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

}  // namespace

std::span<const Route> Routes() {
    return kRoutes;
}

const Route* FindRoute(SdkPropertyId id) {
    for (const Route& r : kRoutes)
        if (r.id == id)
            return &r;
    return nullptr;
}

std::vector<SdkPropertyId> PropertiesOfEntry(std::string_view name) {
    std::vector<SdkPropertyId> ids;
    for (const Route& r : kRoutes)
        for (const char* entry : r.entries)
            if (entry != nullptr && name == entry)
                ids.push_back(r.id);
    return ids;
}

std::optional<uint32_t> CodeOfText(const Route& route, std::string_view raw) {
    const std::string text = Trimmed(raw);
    if (IsCoded(route.codec))
        if (auto code = LabelCode(route.labels, text))
            return code;
    switch (route.codec) {
        case Codec::kNumber:
            return WholeNumber(text);
        case Codec::kPercent: {
            std::string digits = text;
            if (!digits.empty() && digits.back() == '%')
                digits = Trimmed(digits.substr(0, digits.size() - 1));
            auto value = WholeNumber(digits);
            if (!value || *value > 100)
                return std::nullopt;
            return value;
        }
        case Codec::kAperture: {
            std::string number = Lower(text);
            if (number.rfind("f/", 0) == 0)
                number = number.substr(2);
            else if (number.rfind('f', 0) == 0)
                number = number.substr(1);
            auto f = Number(Trimmed(number));
            if (!f || *f <= 0)
                return std::nullopt;
            return sdk::AvForFNumber(*f);
        }
        case Codec::kShutterSpeed:
            return ShutterCode(text);
        case Codec::kIso:
            return IsoCode(text);
        case Codec::kExposureBias: {
            auto stops = Fraction(text);
            if (!stops)
                return std::nullopt;
            return sdk::StepForStops(*stops);
        }
        case Codec::kLabels:  // only its labels, looked up above
        case Codec::kText:
        case Codec::kDateTime:
            break;
    }
    return std::nullopt;
}

std::optional<std::string> TextOfCode(const Route& route, uint32_t code) {
    switch (route.codec) {
        case Codec::kNumber:
        case Codec::kPercent:
            return std::to_string(code);
        case Codec::kAperture:
            if (auto f = sdk::FNumberOfAv(code))
                return Formatted(*f);
            return std::nullopt;
        case Codec::kShutterSpeed: {
            if (code == sdk::kTvBulb)
                return "bulb";
            auto seconds = sdk::SecondsOfTv(code);
            if (!seconds)
                return std::nullopt;
            if (*seconds < 0.29)
                return "1/" + std::to_string(std::lround(1 / *seconds));
            return Formatted(*seconds);
        }
        case Codec::kIso:
            // Free-text and range entries hold the standard's number, which for the
            // automatic speed is 65535.
            if (code == sdk::kIsoAuto)
                return "65535";
            if (auto speed = sdk::SpeedOfIso(code))
                return std::to_string(*speed);
            return std::nullopt;
        case Codec::kExposureBias:
            if (auto milli = sdk::MilliStopsOfStep(code))
                return Formatted(*milli / 1000.0);
            return std::nullopt;
        case Codec::kLabels:
            for (const Label& label : route.labels)
                if (label.code == code)
                    return std::string(label.text);
            return std::nullopt;
        case Codec::kText:
        case Codec::kDateTime:
            break;
    }
    return std::nullopt;
}

std::string TextForPut(Route::Put put, std::string_view choice) {
    switch (put) {
        case Route::Put::kAsShown:
            break;
        case Route::Put::kTruncates: {
            const std::optional<double> value = Number(Trimmed(choice));
            if (!value || std::nearbyint(*value) == *value)
                break;
            char text[32];
            std::snprintf(text, sizeof text, "%.4f", *value + (*value < 0 ? -0.0001 : 0.0001));
            return text;
        }
        case Route::Put::kTenths: {
            unsigned x = 0, y = 0;
            char rest = 0;
            const std::string text(choice);
            if (std::sscanf(text.c_str(), "%u/%u%c", &x, &y, &rest) != 2 || x > 6553 || y > 6553)
                break;
            return std::to_string(x * 10) + '/' + std::to_string(y * 10);
        }
    }
    return std::string(choice);
}

std::string EntryOfChangeEvent(std::string_view text) {
    constexpr std::string_view kPrefix = "PTP Property ";
    if (text.substr(0, kPrefix.size()) != kPrefix)
        return "";
    const std::string_view rest = text.substr(kPrefix.size());
    const size_t quote = rest.find('"');
    if (quote != std::string_view::npos) {
        const size_t close = rest.find('"', quote + 1);
        if (close != std::string_view::npos && close > quote + 1)
            return std::string(rest.substr(quote + 1, close - quote - 1));
    }
    const size_t space = rest.find(' ');
    const std::string code = Lower(std::string(rest.substr(0, space)));
    if (code.size() != 4 || code.find_first_not_of("0123456789abcdef") != std::string::npos)
        return "";
    return code;
}

}  // namespace talbex::gphoto
