#include "camera/sdk/sim/settings_file.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <set>

#include "camera/sdk/sim/camera_clock.h"
#include "camera/sdk/sim/property_codes.h"

namespace talbex::sim {

namespace {

std::string_view Trim(std::string_view s) {
    const char* space = " \t\r\n";
    const size_t first = s.find_first_not_of(space);
    if (first == std::string_view::npos)
        return {};
    const size_t last = s.find_last_not_of(space);
    return s.substr(first, last - first + 1);
}

// Decimal, or hexadecimal with 0x.
template <typename T>
bool ParseNumber(std::string_view text, T* out) {
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    if (text.empty())
        return false;
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, *out, base);
    return ec == std::errc() && ptr == end;
}

bool ParseSize(std::string_view text, int limit, SdkSize* out) {
    const size_t x = text.find_first_of("xX");
    if (x == std::string_view::npos)
        return false;
    int w = 0, h = 0;
    if (!ParseNumber(Trim(text.substr(0, x)), &w) || !ParseNumber(Trim(text.substr(x + 1)), &h))
        return false;
    if (w < 16 || h < 16 || w > limit || h > limit)
        return false;
    *out = {w, h};
    return true;
}

bool ParseClock(std::string_view text, SdkTime* out) {
    unsigned y, mo, d, h, mi, s;
    char tail;
    const std::string copy(text);
    if (std::sscanf(copy.c_str(), "%4u-%2u-%2u %2u:%2u:%2u%c", &y, &mo, &d, &h, &mi, &s, &tail) !=
        6)
        return false;
    SdkTime time{y, mo, d, h, mi, s, 0};
    if (!IsValidTime(time))
        return false;
    *out = time;
    return true;
}

std::vector<std::string_view> SplitList(std::string_view text) {
    std::vector<std::string_view> parts;
    while (true) {
        const size_t comma = text.find(',');
        parts.push_back(Trim(text.substr(0, comma)));
        if (comma == std::string_view::npos)
            break;
        text.remove_prefix(comma + 1);
    }
    return parts;
}

// OPERATION[@PROPERTY]:COUNT (busy) or OPERATION[@PROPERTY]:COUNT:CODE (fail).
bool ParseFault(std::string_view text, bool withCode, Fault* out, std::string* why) {
    std::vector<std::string_view> fields;
    while (true) {
        const size_t colon = text.find(':');
        fields.push_back(Trim(text.substr(0, colon)));
        if (colon == std::string_view::npos)
            break;
        text.remove_prefix(colon + 1);
    }
    const size_t expected = withCode ? 3 : 2;
    if (fields.size() != expected) {
        *why = withCode ? "expected OPERATION[@PROPERTY]:COUNT:CODE"
                        : "expected OPERATION[@PROPERTY]:COUNT";
        return false;
    }
    std::string_view name = fields[0];
    const size_t at = name.find('@');
    Fault fault;
    if (at != std::string_view::npos) {
        SdkPropertyId property = 0;
        if (!ParseNumber(Trim(name.substr(at + 1)), &property)) {
            *why = "bad property id '" + std::string(name.substr(at + 1)) + "'";
            return false;
        }
        fault.property = property;
        name = Trim(name.substr(0, at));
    }
    auto operation = OperationFromName(name);
    if (!operation) {
        *why = "unknown operation '" + std::string(name) + "'";
        return false;
    }
    fault.operation = *operation;
    if (!ParseNumber(fields[1], &fault.count) || fault.count == 0) {
        *why = "bad count '" + std::string(fields[1]) + "'";
        return false;
    }
    if (withCode) {
        if (!ParseNumber(fields[2], &fault.code) || fault.code == kSdkOk) {
            *why = "bad result code '" + std::string(fields[2]) + "'";
            return false;
        }
    } else {
        fault.code = kSdkErrDeviceBusy;
    }
    *out = fault;
    return true;
}

class Parser {
  public:
    explicit Parser(const std::string& name) : name_(name) {}

    bool Run(std::string_view text, std::vector<CameraSettings>* cameras, std::string* error) {
        int number = 0;
        while (!text.empty() || number == 0) {
            ++number;
            const size_t end = text.find('\n');
            std::string_view line = Trim(text.substr(0, end));
            text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
            if (!Line(line)) {
                *error = name_ + ":" + std::to_string(number) + ": " + why_;
                return false;
            }
            if (text.empty())
                break;
        }
        *cameras = std::move(cameras_);
        return true;
    }

  private:
    bool Fail(std::string why) {
        why_ = std::move(why);
        return false;
    }

    bool Line(std::string_view line) {
        if (line.empty() || line[0] == '#' || line[0] == ';')
            return true;
        if (line[0] == '[') {
            if (line != "[camera]")
                return Fail("unknown section " + std::string(line) + " (only [camera])");
            cameras_.emplace_back();
            seen_.clear();
            return true;
        }
        const size_t eq = line.find('=');
        if (eq == std::string_view::npos)
            return Fail("expected 'key = value'");
        const std::string key(Trim(line.substr(0, eq)));
        std::string_view value = Trim(line.substr(eq + 1));
        // A value may be quoted (to keep spaces, '#' or the word absent as text); a
        // comment may follow it after " #".
        bool quoted = false;
        if (!value.empty() && value.front() == '"') {
            const size_t close = value.find('"', 1);
            if (close == std::string_view::npos)
                return Fail("missing closing quote");
            const std::string_view rest = Trim(value.substr(close + 1));
            if (!rest.empty() && rest.front() != '#')
                return Fail("text after the closing quote");
            value = value.substr(1, close - 1);
            quoted = true;
        } else if (const size_t hash = value.find(" #"); hash != std::string_view::npos) {
            value = Trim(value.substr(0, hash));
        }
        if (cameras_.empty())
            return Fail("'" + key + "' outside a [camera] section");
        if (!seen_.insert(key).second)
            return Fail("'" + key + "' given twice for this camera");
        // "absent" in quotes is the text itself.
        const std::string_view word = quoted ? std::string_view{} : value;
        return Key(key, value, word == "absent", cameras_.back());
    }

    bool Text(std::string_view value, bool absent, std::optional<std::string>* out) {
        if (value.size() > kMaxCameraText)
            return Fail("text longer than " + std::to_string(kMaxCameraText) + " bytes");
        *out = absent ? std::nullopt : std::optional<std::string>(std::string(value));
        return true;
    }

    bool Number(const std::string& key, std::string_view value, bool absent,
                std::optional<uint32_t>* out) {
        uint32_t number = 0;
        if (absent) {
            out->reset();
            return true;
        }
        if (!ParseNumber(value, &number))
            return Fail(key + ": '" + std::string(value) + "' is not a number");
        *out = number;
        return true;
    }

    template <typename T>
    bool Plain(const std::string& key, std::string_view value, T limit, T* out) {
        T number{};
        if (!ParseNumber(value, &number) || number > limit)
            return Fail(key + ": '" + std::string(value) + "' is not a number from 0 to " +
                        std::to_string(limit));
        *out = number;
        return true;
    }

    bool Key(const std::string& key, std::string_view value, bool absent, CameraSettings& c) {
        const std::string shown(value);
        if (key == "model")
            return Text(value, absent, &c.model);
        if (key == "lens")
            return Text(value, absent, &c.lens);
        if (key == "serial")
            return Text(value, absent, &c.serial);
        if (key == "owner")
            return Text(value, absent, &c.owner);
        if (key == "artist")
            return Text(value, absent, &c.artist);
        if (key == "copyright")
            return Text(value, absent, &c.copyright);
        if (key == "firmware")
            return Text(value, absent, &c.firmware);
        if (key == "current_folder")
            return Text(value, absent, &c.currentFolder);
        if (key == "shutter_count")
            return Number(key, value, absent, &c.shutterCount);
        if (key == "battery_level")
            return Number(key, value, absent, &c.batteryLevel);
        if (key == "battery_quality")
            return Number(key, value, absent, &c.batteryQuality);
        if (key == "exif_serial") {
            std::optional<uint32_t> number;
            if (!Number(key, value, absent, &number))
                return false;
            c.makerNoteSerial = number;
            return true;
        }
        if (key == "exif_body_serial") {
            std::optional<std::string> text;
            if (!Text(value, absent, &text))
                return false;
            c.exifBodySerial = text;
            return true;
        }
        if (absent)
            return Fail(key + " cannot be absent");
        if (key == "clock") {
            SdkTime time;
            if (!ParseClock(value, &time))
                return Fail("clock: '" + shown + "' is not a date and time YYYY-MM-DD hh:mm:ss");
            c.clock = time;
            return true;
        }
        if (key == "legacy") {
            if (value != "0" && value != "1")
                return Fail("legacy: '" + shown + "' is neither 0 nor 1");
            c.legacy = value == "1";
            return true;
        }
        if (key == "mode_dial") {
            uint32_t code = 0;
            if (!ParseNumber(value, &code) || !Contains(AeModeCodes(), code))
                return Fail("mode_dial: '" + shown + "' is not a position of the dial");
            c.modeDial = code;
            return true;
        }
        if (key == "live_view_size") {
            if (!ParseSize(value, 4096, &c.liveViewSize))
                return Fail("live_view_size: '" + shown + "' is not WxH (16 to 4096)");
            return true;
        }
        if (key == "picture_size") {
            if (!ParseSize(value, 8192, &c.pictureSize))
                return Fail("picture_size: '" + shown + "' is not WxH (16 to 8192)");
            return true;
        }
        if (key == "picture_bytes")
            return Plain<uint64_t>(key, value, uint64_t{1} << 30, &c.pictureBytes);
        if (key == "exif_byte_order") {
            if (value != "little" && value != "big")
                return Fail("exif_byte_order: '" + shown + "' is neither little nor big");
            c.exifBigEndian = value == "big";
            return true;
        }
        if (key == "busy" || key == "fail") {
            for (std::string_view part : SplitList(value)) {
                Fault fault;
                std::string why;
                if (!ParseFault(part, key == "fail", &fault, &why))
                    return Fail(key + ": " + why);
                c.faults.push_back(fault);
            }
            return true;
        }
        if (key == "unplug_after_ms" || key == "shutdown_after_ms") {
            int64_t ms = 0;
            if (!Plain<int64_t>(key, value, 86400000, &ms))
                return false;
            (key == "unplug_after_ms" ? c.unplugAfterMs : c.shutdownAfterMs) = ms;
            return true;
        }
        if (key == "transfer_ms")
            return Plain<uint32_t>(key, value, 600000, &c.transferMs);
        return Fail("unknown key '" + key + "'");
    }

    const std::string& name_;
    std::vector<CameraSettings> cameras_;
    std::set<std::string> seen_;
    std::string why_;
};

}  // namespace

bool ParseSettings(std::string_view text, const std::string& name,
                   std::vector<CameraSettings>* cameras, std::string* error) {
    return Parser(name).Run(text, cameras, error);
}

bool ReadSettingsFile(const std::string& path, std::vector<CameraSettings>* cameras,
                      std::string* error) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        *error = path + ": cannot be read (" + std::strerror(errno) + ")";
        return false;
    }
    std::string text;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        text.append(buffer, n);
    const bool failed = std::ferror(file) != 0;
    const int reason = errno;
    std::fclose(file);
    if (failed) {
        // A folder opens but cannot be read.
        *error = path + ": cannot be read (" + std::strerror(reason) + ")";
        return false;
    }
    return ParseSettings(text, path, cameras, error);
}

}  // namespace talbex::sim
