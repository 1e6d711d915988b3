#include "camera/sdk/sim/settings_file.h"

#include <charconv>
#include <cstdio>
#include <cstring>
#include <functional>
#include <set>

#include "camera/sdk/sim/camera_clock.h"
#include "camera/sdk/sim/property_codes.h"
#include "platform/os/file_io.h"

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
            const bool section = !line.empty() && line[0] == '[';
            // A camera is checked as a whole when its section ends.
            if (section && !CameraComplete()) {
                *error = name_ + ":" + std::to_string(sectionLine_) + ": " + why_;
                return false;
            }
            if (!Line(line)) {
                *error = name_ + ":" + std::to_string(number) + ": " + why_;
                return false;
            }
            if (section)
                sectionLine_ = number;
            if (text.empty())
                break;
        }
        if (!CameraComplete()) {
            *error = name_ + ":" + std::to_string(sectionLine_) + ": " + why_;
            return false;
        }
        *cameras = std::move(cameras_);
        return true;
    }

  private:
    bool CameraComplete() {
        if (cameras_.empty())
            return true;
        const std::string wrong = CheckSettings(cameras_.back());
        return wrong.empty() || Fail(wrong);
    }

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

    // One "key = value" line of a camera: the key's name, the value, and "absent" given
    // as a bare word.
    struct Entry {
        const std::string& key;
        std::string_view value;
        bool absent;
    };
    using KeyParser = std::function<bool(Parser&, const Entry&, CameraSettings&)>;
    struct KeyRule {
        std::string_view name;
        bool mayBeAbsent;
        KeyParser parse;
    };

    static KeyRule TextKey(std::string_view name,
                           std::optional<std::string> CameraSettings::*field) {
        return {name, true, [field](Parser& p, const Entry& e, CameraSettings& c) {
                    return p.Text(e.value, e.absent, &(c.*field));
                }};
    }

    static KeyRule NumberKey(std::string_view name,
                             std::optional<uint32_t> CameraSettings::*field) {
        return {name, true, [field](Parser& p, const Entry& e, CameraSettings& c) {
                    return p.Number(e.key, e.value, e.absent, &(c.*field));
                }};
    }

    template <typename T>
    static KeyRule PlainKey(std::string_view name, T limit, T CameraSettings::*field) {
        return {name, false, [field, limit](Parser& p, const Entry& e, CameraSettings& c) {
                    return p.Plain<T>(e.key, e.value, limit, &(c.*field));
                }};
    }

    // A key that is 0 or 1.
    static KeyRule FlagKey(std::string_view name, bool CameraSettings::*field) {
        return {
            name, false, [field](Parser& p, const Entry& e, CameraSettings& c) {
                if (e.value != "0" && e.value != "1")
                    return p.Fail(e.key + ": '" + std::string(e.value) + "' is neither 0 nor 1");
                c.*field = e.value == "1";
                return true;
            }};
    }

    static KeyRule SizeKey(std::string_view name, int limit, SdkSize CameraSettings::*field) {
        return {name, false, [field, limit](Parser& p, const Entry& e, CameraSettings& c) {
                    if (!ParseSize(e.value, limit, &(c.*field)))
                        return p.Fail(e.key + ": '" + std::string(e.value) +
                                      "' is not WxH (16 to " + std::to_string(limit) + ")");
                    return true;
                }};
    }

    static KeyRule FaultsKey(std::string_view name, bool withCode) {
        return {name, false, [withCode](Parser& p, const Entry& e, CameraSettings& c) {
                    for (std::string_view part : SplitList(e.value)) {
                        Fault fault;
                        std::string why;
                        if (!ParseFault(part, withCode, &fault, &why))
                            return p.Fail(e.key + ": " + why);
                        c.faults.push_back(fault);
                    }
                    return true;
                }};
    }

    static const std::vector<KeyRule>& Keys() {
        static const std::vector<KeyRule> keys = {
            TextKey("model", &CameraSettings::model),
            TextKey("lens", &CameraSettings::lens),
            TextKey("serial", &CameraSettings::serial),
            TextKey("owner", &CameraSettings::owner),
            TextKey("artist", &CameraSettings::artist),
            TextKey("copyright", &CameraSettings::copyright),
            TextKey("firmware", &CameraSettings::firmware),
            TextKey("current_folder", &CameraSettings::currentFolder),
            NumberKey("shutter_count", &CameraSettings::shutterCount),
            NumberKey("battery_level", &CameraSettings::batteryLevel),
            NumberKey("battery_quality", &CameraSettings::batteryQuality),
            {"exif_serial", true,
             [](Parser& p, const Entry& e, CameraSettings& c) {
                 std::optional<uint32_t> number;
                 if (!p.Number(e.key, e.value, e.absent, &number))
                     return false;
                 c.makerNoteSerial = number;
                 return true;
             }},
            {"exif_body_serial", true,
             [](Parser& p, const Entry& e, CameraSettings& c) {
                 std::optional<std::string> text;
                 if (!p.Text(e.value, e.absent, &text))
                     return false;
                 c.exifBodySerial = text;
                 return true;
             }},
            {"clock", false,
             [](Parser& p, const Entry& e, CameraSettings& c) {
                 SdkTime time;
                 if (!ParseClock(e.value, &time))
                     return p.Fail("clock: '" + std::string(e.value) +
                                   "' is not a date and time YYYY-MM-DD hh:mm:ss");
                 c.clock = time;
                 return true;
             }},
            FlagKey("legacy", &CameraSettings::legacy),
            {"mode_dial", false,
             [](Parser& p, const Entry& e, CameraSettings& c) {
                 uint32_t code = 0;
                 if (!ParseNumber(e.value, &code) || !Contains(AeModeCodes(), code))
                     return p.Fail("mode_dial: '" + std::string(e.value) +
                                   "' is not a position of the dial");
                 c.modeDial = code;
                 return true;
             }},
            SizeKey("live_view_size", 4096, &CameraSettings::liveViewSize),
            SizeKey("picture_size", 8192, &CameraSettings::pictureSize),
            PlainKey<uint64_t>("picture_bytes", uint64_t{1} << 30, &CameraSettings::pictureBytes),
            {"exif_byte_order", false,
             [](Parser& p, const Entry& e, CameraSettings& c) {
                 if (e.value != "little" && e.value != "big")
                     return p.Fail("exif_byte_order: '" + std::string(e.value) +
                                   "' is neither little nor big");
                 c.exifBigEndian = e.value == "big";
                 return true;
             }},
            {"served_properties", false,
             [](Parser&, const Entry& e, CameraSettings& c) {
                 std::vector<std::string> names;
                 for (std::string_view name : SplitList(e.value))
                     if (!name.empty())
                         names.emplace_back(name);
                 c.servedProperties = std::move(names);
                 return true;
             }},
            {"vendor", false,
             [](Parser& p, const Entry& e, CameraSettings& c) {
                 if (e.value != "standard" && e.value != "nikon")
                     return p.Fail("vendor: '" + std::string(e.value) +
                                   "' is neither standard nor nikon");
                 c.vendor = e.value == "nikon" ? CameraSettings::Vendor::kNikon
                                               : CameraSettings::Vendor::kStandard;
                 return true;
             }},
            FaultsKey("busy", false),
            FaultsKey("fail", true),
            PlainKey<int64_t>("unplug_after_ms", 86400000, &CameraSettings::unplugAfterMs),
            PlainKey<int64_t>("shutdown_after_ms", 86400000, &CameraSettings::shutdownAfterMs),
            PlainKey<uint32_t>("transfer_ms", 600000, &CameraSettings::transferMs),
            PlainKey<uint32_t>("busy_after_shot_ms", 600000, &CameraSettings::busyAfterShotMs),
            PlainKey<uint32_t>("live_view_fps", 120, &CameraSettings::liveViewFps),
            FlagKey("busy_while_transferring", &CameraSettings::busyWhileTransferring),
            FlagKey("mains_power", &CameraSettings::mainsPower),
            PlainKey<uint32_t>("battery_drain", 100, &CameraSettings::batteryDrainPerShot),
            PlainKey<uint32_t>("text_limit", kMaxCameraText, &CameraSettings::textLimit),
            PlainKey<uint32_t>("widest_aperture", 0xFF, &CameraSettings::widestAperture),
            PlainKey<uint32_t>("narrowest_aperture", 0xFF, &CameraSettings::narrowestAperture),
            PlainKey<uint32_t>("color_space", 0xFF, &CameraSettings::colorSpace),
            {"image_quality", false,
             [](Parser& p, const Entry& e, CameraSettings& c) {
                 uint32_t code = 0;
                 if (!ParseNumber(e.value, &code))
                     return p.Fail("image_quality: '" + std::string(e.value) + "' is not a number");
                 c.imageQuality = code;
                 return true;
             }},
        };
        return keys;
    }

    bool Key(const std::string& key, std::string_view value, bool absent, CameraSettings& c) {
        for (const KeyRule& rule : Keys()) {
            if (rule.name != key)
                continue;
            if (absent && !rule.mayBeAbsent)
                return Fail(key + " cannot be absent");
            return rule.parse(*this, Entry{key, value, absent}, c);
        }
        return Fail("unknown key '" + key + "'");
    }

    const std::string& name_;
    std::vector<CameraSettings> cameras_;
    std::set<std::string> seen_;
    std::string why_;
    int sectionLine_ = 0;  // where the current camera's section began
};

}  // namespace

bool ParseSettings(std::string_view text, const std::string& name,
                   std::vector<CameraSettings>* cameras, std::string* error) {
    // Editors on some systems start a UTF-8 file with a byte-order mark.
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark)
        text.remove_prefix(kByteOrderMark.size());
    return Parser(name).Run(text, cameras, error);
}

bool ReadSettingsFile(const std::string& path, std::vector<CameraSettings>* cameras,
                      std::string* error) {
    // Never waits on a FIFO or device and never takes more than a settings file needs.
    std::string why;
    const std::optional<std::string> text = os::ReadRegularFile(path, os::kMaxTextFileBytes, &why);
    if (!text) {
        if (why.rfind(path + ": ", 0) == 0)
            why.erase(0, path.size() + 2);
        *error = path + ": cannot be read (" + why + ")";
        return false;
    }
    return ParseSettings(*text, path, cameras, error);
}

}  // namespace talbex::sim
