#include "codecs.h"

#include <gphoto2/gphoto2-result.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "camera_state.h"
#include "config_walk.h"
#include "panasonic_codecs.h"
#include "shooting.h"
#include "virtual_entries.h"
#include "widget_helpers.h"

namespace tcam {

namespace {

// The body's answers to a property write (PTP response codes).
enum Answer : uint16_t {
    kOk = 0x2001,
    kAccessDenied = 0x200F,
    kDeviceBusy = 0x2019,
    kInvalidValue = 0x201C,
};

// ptp2's translate_ptp_result (library.c around 122).
int Translate(uint16_t answer) {
    switch (answer) {
        case kOk:
            return GP_OK;
        case kDeviceBusy:
            return GP_ERROR_CAMERA_BUSY;
        default:
            return GP_ERROR;
    }
}

// A value as the property's data type holds it.
int64_t Typed(Type t, int64_t v) {
    switch (t) {
        case Type::kU8:
            return static_cast<uint8_t>(v);
        case Type::kI8:
            return static_cast<int8_t>(v);
        case Type::kU16:
            return static_cast<uint16_t>(v);
        case Type::kI16:
            return static_cast<int16_t>(v);
        case Type::kU32:
            return static_cast<uint32_t>(v);
        case Type::kI32:
            return static_cast<int32_t>(v);
        case Type::kStr:
            return v;
    }
    return v;
}

bool Unsigned(Type t) {
    return t == Type::kU8 || t == Type::kU16 || t == Type::kU32;
}

// "%u" or "%d" as _get_INT prints the type.
std::string Number(Type t, int64_t v) {
    return Unsigned(t) ? Printf("%u", static_cast<unsigned>(v)) : Printf("%d", static_cast<int>(v));
}

// ptp2's "Unknown value %04x" of a value promoted to int.
std::string Unknown(Type t, int64_t v) {
    return Printf(Tr("Unknown value %04x"), static_cast<unsigned>(static_cast<int>(Typed(t, v))));
}

bool Contains(const Property& p, int64_t v) {
    return std::find(p.values.begin(), p.values.end(), v) != p.values.end();
}

Property* Of(const Entry& e) {
    return e.property != 0 ? FindProperty(e.property) : nullptr;
}

// What the body checks of a write; on success the body keeps the value and says so.
uint16_t BodySet(Property& p, int64_t value, const std::string& text, const std::string& name) {
    if (Body().faults.Take("busy", "set", name))
        return kDeviceBusy;
    if (!p.writable)
        return kAccessDenied;
    if (p.type == Type::kStr) {
        if (p.maxText != 0 && text.size() > p.maxText)
            return kInvalidValue;
        p.text = text;
    } else {
        const int64_t v = Typed(p.type, value);
        if (p.form == Form::kEnum && !Contains(p, v))
            return kInvalidValue;
        if (p.form == Form::kRange &&
            (v < p.min || v > p.max || (p.step > 0 && (v - p.min) % p.step != 0)))
            return kInvalidValue;
        p.value = v;
    }
    // The clocks: the body's wall clock text, its local and its UTC seconds.
    if (p.code == 0x5011) {
        std::tm t{};
        if (std::sscanf(p.text.c_str(), "%4d%2d%2dT%2d%2d%2d", &t.tm_year, &t.tm_mon, &t.tm_mday,
                        &t.tm_hour, &t.tm_min, &t.tm_sec) == 6) {
            t.tm_year -= 1900;
            t.tm_mon -= 1;
            SetCameraUtc(timegm(&t));
        }
    } else if (p.code == 0xD113 || p.code == 0xD17C) {
        SetCameraUtc(p.value);
    }
    RefreshLive();
    AnnounceProperty(p.code);
    for (const auto& [a, b] : Body().family->links) {
        if (p.code != a && p.code != b)
            continue;
        Property* other = FindProperty(p.code == a ? b : a);
        const auto at = std::find(p.values.begin(), p.values.end(), p.value);
        const size_t i = static_cast<size_t>(at - p.values.begin());
        if (other != nullptr && at != p.values.end() && i < other->values.size() &&
            other->value != other->values[i]) {
            other->value = other->values[i];
            AnnounceProperty(other->code);
        }
    }
    return kOk;
}

// ---- GENERIC tables (config.c around 690-860) --------------------------------------

int RenderTable(const Entry& e, const Property& p, CameraWidget** out) {
    if (p.type == Type::kStr)
        return GP_ERROR;
    const Table& tbl = *e.table;
    CameraWidget* w = New(GP_WIDGET_RADIO, e);
    bool isset2 = false;
    auto add = [&](int64_t v) {
        for (const Choice& c : tbl)
            if (Typed(p.type, c.value) == v) {
                gp_widget_add_choice(w, Tr(c.label));
                if (v == p.value) {
                    gp_widget_set_value(w, Tr(c.label));
                    isset2 = true;
                }
                return;
            }
        const std::string unknown = Unknown(p.type, v);
        gp_widget_add_choice(w, unknown.c_str());
        if (v == p.value) {
            isset2 = true;
            SetText(w, unknown);
        }
    };
    if (p.form == Form::kEnum) {
        if (p.values.empty())
            for (const Choice& c : tbl) {
                gp_widget_add_choice(w, Tr(c.label));
                if (Typed(p.type, c.value) == p.value) {
                    gp_widget_set_value(w, Tr(c.label));
                    isset2 = true;
                }
            }
        for (int64_t v : p.values)
            add(v);
    } else if (p.form == Form::kRange) {
        for (int64_t v = p.min; v <= p.max; v += std::max<int64_t>(p.step, 1))
            add(v);
    }
    if (!isset2) {
        for (const Choice& c : tbl)
            if (Typed(p.type, c.value) == p.value) {
                gp_widget_add_choice(w, Tr(c.label));
                gp_widget_set_value(w, Tr(c.label));
                isset2 = true;
            }
        if (!isset2) {
            const std::string unknown = Unknown(p.type, p.value);
            gp_widget_add_choice(w, unknown.c_str());
            SetText(w, unknown);
        }
    }
    *out = w;
    return GP_OK;
}

int ParseTable(const Entry& e, const Property& p, CameraWidget* w, int64_t* v) {
    const std::string value = Text(w);
    bool found = false;
    for (const Choice& c : *e.table) {
        if (value != Tr(c.label) && value != c.label)
            continue;
        *v = c.value;
        found = true;
        if (p.form != Form::kEnum || Contains(p, Typed(p.type, c.value)))
            return GP_OK;
        // Not in the enumeration: go on looking, with this one to fall back on.
    }
    if (found)
        return GP_OK;
    unsigned int x = 0;
    if (std::sscanf(value.c_str(), Tr("Unknown value %04x"), &x) != 1)
        return GP_ERROR;
    *v = x;
    return GP_OK;
}

// ---- Property getters ----------------------------------------------------------------

int RenderInt(const Entry& e, const Property& p, CameraWidget** out) {
    if (p.type == Type::kStr)
        return GP_ERROR;
    const std::string value = Number(p.type, p.value);
    CameraWidget* w = nullptr;
    if (p.form == Form::kEnum) {
        w = New(GP_WIDGET_RADIO, e);
        SetText(w, value);
        for (int64_t v : p.values)
            gp_widget_add_choice(w, Number(p.type, v).c_str());
    } else if (p.form == Form::kRange) {
        w = New(GP_WIDGET_RANGE, e);
        const float f = static_cast<float>(p.value);
        gp_widget_set_value(w, &f);
        gp_widget_set_range(w, static_cast<float>(p.min), static_cast<float>(p.max),
                            static_cast<float>(p.step));
    } else {
        w = New(GP_WIDGET_TEXT, e);
        SetText(w, value);
    }
    *out = w;
    return GP_OK;
}

std::string FNumberText(int64_t v) {
    return Printf("f/%g", static_cast<double>(v) / 100.0);
}

int RenderFNumber(const Entry& e, const Property& p, CameraWidget** out) {
    if (p.form == Form::kNone || p.type != Type::kU16)
        return GP_ERROR;
    CameraWidget* w = nullptr;
    if (p.form == Form::kEnum) {
        w = New(GP_WIDGET_RADIO, e);
        for (int64_t v : p.values) {
            gp_widget_add_choice(w, FNumberText(v).c_str());
            if (v == p.value)
                SetText(w, FNumberText(v));
        }
    } else {
        w = New(GP_WIDGET_RANGE, e);
        gp_widget_set_range(w, static_cast<float>(p.min / 100.0), static_cast<float>(p.max / 100.0),
                            static_cast<float>(p.step / 100.0));
        const float f = static_cast<float>(p.value / 100.0);
        gp_widget_set_value(w, &f);
    }
    *out = w;
    return GP_OK;
}

int ParseFNumber(const Property& p, CameraWidget* w, int64_t* v) {
    if (p.form != Form::kEnum) {
        *v = static_cast<int64_t>(Float(w) * 100);
        return GP_OK;
    }
    std::string value = Text(w);
    if (value.rfind("f/", 0) == 0)
        value.erase(0, 2);
    for (int64_t x : p.values)
        if (Printf("%g", static_cast<double>(x) / 100.0) == value) {
            *v = x;
            return GP_OK;
        }
    float f = 0;
    if (std::sscanf(value.c_str(), "%g", &f) == 1) {
        *v = static_cast<uint16_t>(f * 100);
        return GP_OK;
    }
    return GP_ERROR;
}

bool IsNikon() {
    return Body().family->kind == Kind::kNikon;
}

std::string ExpTimeText(int64_t v) {
    if (IsNikon() && v == 0xffffffff)
        return Tr("Bulb");
    if (IsNikon() && v == 0xfffffffd)
        return Tr("Time");
    return Printf(Tr("%0.4fs"), static_cast<double>(v) / 10000.0);
}

int RenderExpTime(const Entry& e, const Property& p, CameraWidget** out) {
    if (p.form != Form::kEnum || p.type != Type::kU32)
        return GP_ERROR;
    CameraWidget* w = New(GP_WIDGET_RADIO, e);
    for (int64_t v : p.values) {
        gp_widget_add_choice(w, ExpTimeText(v).c_str());
        if (v == p.value)
            SetText(w, ExpTimeText(v));
    }
    *out = w;
    return GP_OK;
}

int ParseExpTime(const Property& p, CameraWidget* w, int64_t* v) {
    const std::string value = Text(w);
    if (IsNikon() && value == Tr("Bulb")) {
        *v = 0xffffffff;
        return GP_OK;
    }
    if (IsNikon() && value == Tr("Time")) {
        *v = 0xfffffffd;
        return GP_OK;
    }
    int a = 0, b = 0, c = 0;
    float val = 0;
    if (std::sscanf(value.c_str(), Tr("%d %d/%d"), &a, &b, &c) == 3 && c != 0)
        val = static_cast<float>(a) + static_cast<float>(b) / static_cast<float>(c);
    else if (std::sscanf(value.c_str(), Tr("%d/%d"), &a, &b) == 2 && b != 0)
        val = static_cast<float>(a) / static_cast<float>(b);
    else if (std::sscanf(value.c_str(), Tr("%f"), &val) != 1)
        return GP_ERROR;
    val *= 10000.0f;
    // The closest value the body offers, the first of equals.
    int64_t best = static_cast<int64_t>(val);
    double delta = 1000000;
    for (int64_t x : p.values)
        if (std::abs(static_cast<double>(static_cast<int>(val - static_cast<float>(x)))) < delta) {
            best = x;
            delta = std::abs(static_cast<double>(static_cast<int>(val - static_cast<float>(x))));
        }
    *v = best;
    return GP_OK;
}

std::string Fraction(int64_t v, bool olympus) {
    int x = static_cast<int>((v >> 16) & 0xffff);
    int y = static_cast<int>(v & 0xffff);
    if (olympus && y % 10 == 0 && x % 10 == 0) {
        y /= 10;
        x /= 10;
    }
    if (!olympus && y == 10 && x % 10 == 0) {  // Sony's 300/10 for 30 s
        x /= 10;
        y = 1;
    }
    return y == 1 ? Printf("%d", x) : Printf("%d/%d", x, y);
}

std::string NikonShutterText(int64_t v) {
    if (v == 0xffffffff)
        return Tr("Bulb");
    if (v == 0xfffffffe)
        return Tr("x 200");
    if (v == 0xfffffffd)
        return Tr("Time");
    const int x = static_cast<int>(v >> 16), y = static_cast<int>(v & 0xffff);
    return y == 1 ? Printf("%d", x) : Printf("%d/%d", x, y);
}

std::string OlympusShutterText(int64_t v) {
    if (v == 0xfffffffc)
        return Tr("Bulb");
    if (v == 0xfffffffa)
        return Tr("Composite");
    if (v == 0xfffffffb)
        return Tr("Time");
    return Fraction(v, true);
}

int RenderShutterList(const Entry& e, const Property& p, CameraWidget** out,
                      std::string (*text)(int64_t)) {
    if (p.type != Type::kU32 || p.form != Form::kEnum)
        return GP_ERROR;
    CameraWidget* w = New(GP_WIDGET_RADIO, e);
    bool set = false;
    for (int64_t v : p.values) {
        gp_widget_add_choice(w, text(v).c_str());
        if (v == p.value) {
            SetText(w, text(v));
            set = true;
        }
    }
    if (!set) {
        const int x = static_cast<int>(p.value >> 16), y = static_cast<int>(p.value & 0xffff);
        SetText(w, y == 1 ? Printf("%d", x) : Printf("%d/%d", x, y));
    }
    *out = w;
    return GP_OK;
}

int ParseFraction(CameraWidget* w, int64_t* v, int64_t bulb, bool olympus) {
    const std::string value = Text(w);
    if (value == Tr("Bulb")) {
        *v = bulb;
        return GP_OK;
    }
    if (!olympus && value == Tr("x 200")) {
        *v = 0xfffffffe;
        return GP_OK;
    }
    if (value == Tr("Time")) {
        *v = olympus ? 0xfffffffb : 0xfffffffd;
        return GP_OK;
    }
    int x = 0, y = 1;
    if (value.find('/') != std::string::npos) {
        if (std::sscanf(value.c_str(), "%d/%d", &x, &y) != 2)
            return GP_ERROR;
    } else {
        if (std::sscanf(value.c_str(), "%d", &x) != 1)
            return GP_ERROR;
        if (olympus) {
            y = 10;
            x *= 10;
        }
    }
    *v = (static_cast<int64_t>(x) << 16) | y;
    return GP_OK;
}

int RenderSonyShutter(const Entry& e, const Property& p, CameraWidget** out) {
    if (p.type != Type::kU32)
        return GP_ERROR;
    CameraWidget* w = New(GP_WIDGET_RADIO, e);
    for (int64_t v : p.values)
        gp_widget_add_choice(w, Fraction(v, false).c_str());
    gp_widget_add_choice(w, Tr("Bulb"));
    SetText(w, p.value == 0 ? std::string(Tr("Bulb")) : Fraction(p.value, false));
    *out = w;
    return GP_OK;
}

// config.c around 2985: Sony's ISO with its automatic value.
std::string SonyIsoText(int64_t raw) {
    const uint32_t base = static_cast<uint32_t>(raw) & 0x00ffffffu;
    std::string text = base == 0x00ffffffu ? std::string(Tr("Auto ISO")) : Printf("%d", base);
    const uint32_t nr = static_cast<uint32_t>(raw) >> 24;
    if (nr != 0) {
        text += std::string(" ") + Tr("Multi Frame Noise Reduction");
        if (nr == 2)
            text += "+";
    }
    return text;
}

int ParseSonyIso(CameraWidget* w, int64_t* v) {
    const std::string value = Text(w);
    const char* buf = value.c_str();
    int len = 0;
    uint32_t raw = 0;
    if (std::sscanf(buf, "%u%n", &raw, &len) != 1) {
        const char* s = Tr("Auto ISO");
        len = static_cast<int>(std::strlen(s));
        if (std::strncmp(buf, s, static_cast<size_t>(len)) != 0)
            return GP_ERROR_BAD_PARAMETERS;
        raw = 0x00ffffffu;
    }
    buf += len;
    if (*buf != '\0') {
        if (*buf != ' ')
            return GP_ERROR_BAD_PARAMETERS;
        ++buf;
        const char* s = Tr("Multi Frame Noise Reduction");
        const size_t n = std::strlen(s);
        if (std::strncmp(buf, s, n) != 0)
            return GP_ERROR_BAD_PARAMETERS;
        buf += n;
        uint32_t nr = 1;
        if (*buf == '+') {
            nr = 2;
            ++buf;
        }
        if (*buf != '\0')
            return GP_ERROR_BAD_PARAMETERS;
        raw |= nr << 24;
    }
    *v = raw;
    return GP_OK;
}

int RenderSonyIso(const Entry& e, const Property& p, CameraWidget** out) {
    if (p.form != Form::kEnum || p.type != Type::kU32)
        return GP_ERROR;
    CameraWidget* w = New(GP_WIDGET_RADIO, e);
    for (int64_t v : p.values)
        gp_widget_add_choice(w, SonyIsoText(v).c_str());
    SetText(w, SonyIsoText(p.value));
    *out = w;
    return GP_OK;
}

std::string OlympusIsoText(int64_t v) {
    if (v == 0xffff)
        return Tr("Auto");
    if (v == 0xfffd)
        return Tr("Low");
    return Printf("%d", static_cast<int>(v));
}

std::string ExpCompText(int64_t v) {
    return Printf("%g", static_cast<double>(static_cast<int16_t>(v)) / 1000.0);
}

int RenderExpComp(const Entry& e, const Property& p, CameraWidget** out) {
    if (p.form != Form::kEnum)
        return GP_ERROR;
    CameraWidget* w = New(GP_WIDGET_RADIO, e);
    for (int64_t v : p.values)
        gp_widget_add_choice(w, ExpCompText(v).c_str());
    SetText(w, ExpCompText(p.value));
    *out = w;
    return GP_OK;
}

int ParseExpComp(const Property& p, CameraWidget* w, int64_t* v) {
    float x = 0;
    if (std::sscanf(Text(w).c_str(), "%g", &x) != 1)
        return GP_ERROR;
    const int val = static_cast<int16_t>(x * 1000.0f);
    int64_t target = 0;
    int mindist = 65535;
    for (int64_t s : p.values) {
        const int d = std::abs(static_cast<int16_t>(s) - val);
        if (d < mindist) {
            mindist = d;
            target = s;
        }
    }
    *v = target;
    return GP_OK;
}

// The date entries: DATE widgets hold seconds as an int.
void SetDate(CameraWidget* w, std::time_t t) {
    const int v = static_cast<int>(t);
    gp_widget_set_value(w, &v);
}

int RenderDateString(const Entry& e, const Property& p, CameraWidget** out) {
    std::tm t{};
    if (p.type != Type::kStr || p.text.size() < 15)
        return GP_ERROR;
    t.tm_year = std::atoi(p.text.substr(0, 4).c_str()) - 1900;
    t.tm_mon = std::atoi(p.text.substr(4, 2).c_str()) - 1;
    t.tm_mday = std::atoi(p.text.substr(6, 2).c_str());
    t.tm_hour = std::atoi(p.text.substr(9, 2).c_str());
    t.tm_min = std::atoi(p.text.substr(11, 2).c_str());
    t.tm_sec = std::atoi(p.text.substr(13, 2).c_str());
    t.tm_isdst = -1;
    CameraWidget* w = New(GP_WIDGET_DATE, e);
    SetDate(w, std::mktime(&t));
    *out = w;
    return GP_OK;
}

// ---- Battery --------------------------------------------------------------------------

int RenderBattery(const Entry& e, const Property& p, CameraWidget** out) {
    if (p.type != Type::kU8)
        return GP_ERROR;
    CameraWidget* w = nullptr;
    // ptp2 names the entry only for a range (config.c around 7073).
    gp_widget_new(GP_WIDGET_TEXT, Tr(e.label), &w);
    if (p.form == Form::kRange) {
        gp_widget_set_name(w, e.name);
        SetText(
            w, Printf("%d%%", static_cast<int>((p.value - p.min + 1) * 100 / (p.max - p.min + 1))));
    } else {
        SetText(w, Printf("%d%%", static_cast<int>(p.value)));
    }
    *out = w;
    return GP_OK;
}

int RenderSonyBattery(const Entry& e, const Property& p, CameraWidget** out) {
    if (p.type != Type::kI8)
        return GP_ERROR;
    CameraWidget* w = nullptr;
    gp_widget_new(GP_WIDGET_TEXT, Tr(e.label), &w);
    if (p.form == Form::kRange) {
        gp_widget_set_name(w, e.name);
        const int64_t start = p.min == -1 ? 0 : p.min;
        SetText(
            w, Printf("%d%%", static_cast<int>((p.value - start + 1) * 100 / (p.max - start + 1))));
    } else {
        SetText(w, p.value == -1 ? std::string(Tr("Unknown"))
                                 : Printf("%d%%", static_cast<int>(p.value)));
    }
    *out = w;
    return GP_OK;
}

int RenderEosBattery(const Entry& e, const Property& p, CameraWidget** out) {
    CameraWidget* w = New(GP_WIDGET_TEXT, e);
    switch (p.value) {
        case 0:
            SetText(w, Tr("Low"));
            break;
        case 1:
            SetText(w, Tr("50%"));
            break;
        case 2:
            SetText(w, Tr("100%"));
            break;
        case 4:
            SetText(w, Tr("75%"));
            break;
        case 5:
            SetText(w, Tr("25%"));
            break;
        default:
            SetText(w, Tr("Unknown value"));
    }
    *out = w;
    return GP_OK;
}

int RenderProperty(const Entry& e, const Property& p, CameraWidget** out) {
    switch (e.codec) {
        case Codec::kText:
            *out = New(GP_WIDGET_TEXT, e);
            SetText(*out, p.type == Type::kStr ? p.text : Printf(Tr("unexpected datatype %i"), 0));
            return GP_OK;
        case Codec::kInt:
            return RenderInt(e, p, out);
        case Codec::kTable:
            return RenderTable(e, p, out);
        case Codec::kFNumber:
            return RenderFNumber(e, p, out);
        case Codec::kExpTime:
            return RenderExpTime(e, p, out);
        case Codec::kNikonShutter:
            return RenderShutterList(e, p, out, NikonShutterText);
        case Codec::kOlympusShutter:
            return RenderShutterList(e, p, out, OlympusShutterText);
        case Codec::kSonyShutter:
            return RenderSonyShutter(e, p, out);
        case Codec::kSonyIso:
            return RenderSonyIso(e, p, out);
        case Codec::kOlympusIso: {
            if (p.form != Form::kEnum)
                return GP_ERROR;
            *out = New(GP_WIDGET_RADIO, e);
            for (int64_t v : p.values) {
                gp_widget_add_choice(*out, OlympusIsoText(v).c_str());
                if (v == p.value)
                    SetText(*out, OlympusIsoText(v));
            }
            return GP_OK;
        }
        case Codec::kExpComp:
            return RenderExpComp(e, p, out);
        case Codec::kOlympusAperture:
            if (p.form != Form::kEnum)
                return GP_ERROR;
            *out = New(GP_WIDGET_RADIO, e);
            for (int64_t v : p.values)
                gp_widget_add_choice(*out, Printf("%.1f", v * 0.1).c_str());
            SetText(*out, Printf("%.1f", p.value * 0.1));
            return GP_OK;
        case Codec::kBattery:
            return RenderBattery(e, p, out);
        case Codec::kSonyBattery:
            return RenderSonyBattery(e, p, out);
        case Codec::kEosBattery:
            return RenderEosBattery(e, p, out);
        case Codec::kShotCount:
            *out = New(GP_WIDGET_TEXT, e);
            SetText(*out, Printf("%d", static_cast<int>(static_cast<uint32_t>(p.value) >> 16)));
            return GP_OK;
        case Codec::kDateString:
            return RenderDateString(e, p, out);
        case Codec::kDateUtc:
            *out = New(GP_WIDGET_DATE, e);
            SetDate(*out, static_cast<std::time_t>(p.value));
            return GP_OK;
        case Codec::kDateLocal: {
            // config.c around 7191: the body's local seconds read as UTC, then as local.
            const std::time_t cam = static_cast<std::time_t>(p.value);
            std::tm t{};
            gmtime_r(&cam, &t);
            t.tm_isdst = -1;
            *out = New(GP_WIDGET_DATE, e);
            SetDate(*out, std::mktime(&t));
            return GP_OK;
        }
        case Codec::kSyncTime:
            *out = New(GP_WIDGET_TOGGLE, e);
            return GP_OK;
        case Codec::kSonyAutofocus:
        case Codec::kSonyCapture:
            *out = ToggleWidget(e, 2, true);
            return GP_OK;
        case Codec::kSonyManualFocus: {
            *out = New(GP_WIDGET_RANGE, e);
            gp_widget_set_range(*out, -7.0f, 7.0f, 1.0f);
            const float zero = 0;
            gp_widget_set_value(*out, &zero);
            return GP_OK;
        }
        default:
            return RenderPanasonic(e, p, out);
    }
}

// ptp2's putter for a property entry: the value to write, or an error.
int ParseProperty(const Entry& e, const Property& p, CameraWidget* w, int64_t* v,
                  std::string* text) {
    switch (e.codec) {
        case Codec::kText:
            *text = Text(w);
            return GP_OK;
        case Codec::kInt:
            if (p.form == Form::kRange) {
                *v = static_cast<int64_t>(Float(w));
                return GP_OK;
            }
            if (Unsigned(p.type)) {
                unsigned u = 0;
                if (std::sscanf(Text(w).c_str(), "%u", &u) != 1)
                    return GP_ERROR_BAD_PARAMETERS;
                *v = u;
            } else {
                int i = 0;
                if (std::sscanf(Text(w).c_str(), "%d", &i) != 1)
                    return GP_ERROR_BAD_PARAMETERS;
                *v = i;
            }
            return GP_OK;
        case Codec::kTable:
            return ParseTable(e, p, w, v);
        case Codec::kFNumber:
            return ParseFNumber(p, w, v);
        case Codec::kExpTime:
            return ParseExpTime(p, w, v);
        case Codec::kNikonShutter:
            return ParseFraction(w, v, 0xffffffff, false);
        case Codec::kOlympusShutter:
            return ParseFraction(w, v, 0xfffffffc, true);
        case Codec::kSonyShutter:
            return ParseFraction(w, v, 0, false);
        case Codec::kSonyIso:
            return ParseSonyIso(w, v);
        case Codec::kOlympusIso: {
            const std::string value = Text(w);
            unsigned u = 0;
            if (value == Tr("Auto"))
                *v = 0xffff;
            else if (value == Tr("Low"))
                *v = 0xfffd;
            else if (std::sscanf(value.c_str(), "%u", &u) == 1)
                *v = u;
            else
                return GP_ERROR;
            return GP_OK;
        }
        case Codec::kExpComp:
            return ParseExpComp(p, w, v);
        case Codec::kOlympusAperture: {
            float f = 0;
            std::sscanf(Text(w).c_str(), "%f", &f);
            *v = static_cast<int64_t>(10 * f);
            return GP_OK;
        }
        case Codec::kDateString: {
            int secs = 0;
            gp_widget_get_value(w, &secs);
            const std::time_t t = secs;
            std::tm local{};
            localtime_r(&t, &local);
            *text = Printf("%04d%02d%02dT%02d%02d%02d", local.tm_year + 1900, local.tm_mon + 1,
                           local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
            if (p.text.find('.') != std::string::npos)
                *text += ".0";
            return GP_OK;
        }
        case Codec::kDateUtc: {
            int secs = 0;
            gp_widget_get_value(w, &secs);
            *v = secs;
            return GP_OK;
        }
        case Codec::kDateLocal: {
            // config.c around 7207: local fields of the value, read as UTC.
            int secs = 0;
            gp_widget_get_value(w, &secs);
            const std::time_t t = secs;
            std::tm local{};
            localtime_r(&t, &local);
            *v = timegm(&local);
            return GP_OK;
        }
        case Codec::kSyncTime:
            *v = std::time(nullptr);
            return GP_OK;
        default:
            return ParsePanasonic(e, w, v);
    }
}

}  // namespace

int Render(const Entry& e, CameraWidget** widget, bool faults) {
    *widget = nullptr;
    State& s = Body();
    if (faults && s.faults.Take("error", "get", e.name))
        return GP_ERROR;
    const Property* p = Of(e);
    int ret = GP_ERROR;
    if (e.path == Path::kVirtual && e.property == 0)
        ret = RenderVirtual(e, widget);
    else if (p != nullptr)
        ret = RenderProperty(e, *p, widget);
    // A property the body lists as read-only is shown so (config.c around 11180); an
    // announced one or an operation only when ptp2 has no putter for it.
    if (ret == GP_OK && ((e.path == Path::kListed && !p->writable) || e.putNone))
        gp_widget_set_readonly(*widget, 1);
    return ret;
}

int Put(const Entry& e, CameraWidget* w) {
    Log(std::string("set ") + e.name + "=" + WidgetText(w));
    if (e.putNone)
        return GP_ERROR_NOT_SUPPORTED;
    if (e.path == Path::kVirtual && e.property == 0)
        return PutVirtual(e, w);
    Property* p = Of(e);
    if (p == nullptr)
        return GP_ERROR;
    if (e.codec == Codec::kSonyAutofocus || e.codec == Codec::kSonyCapture ||
        e.codec == Codec::kSonyManualFocus)
        return PutSonyControl(e, w);
    if (e.path == Path::kListed && !p->writable)
        return GP_ERROR_NOT_SUPPORTED;  // "Sorry, the property ... is currently read-only."
    int64_t value = 0;
    std::string text;
    const int parsed = ParseProperty(e, *p, w, &value, &text);
    if (parsed != GP_OK)
        return parsed;
    if (e.codec == Codec::kPanasonicAfMode && value < 0)
        return Translate(kInvalidValue);
    return Translate(BodySet(*p, value, text, e.name));
}

std::string HexName(const Property& p) {
    return Printf("%04x", p.code & 0xffff);
}

std::string HexLabel(const Property& p) {
    return p.description != nullptr ? Tr(p.description)
                                    : Tr(Printf("PTP Property 0x%04x", p.code & 0xffff).c_str());
}

// config.c around 11330-11460: the generic entries, typed by the property's form.
int RenderHex(const Property& p, CameraWidget** widget) {
    CameraWidgetType type = GP_WIDGET_TEXT;
    if (p.form == Form::kRange)
        type = p.type != Type::kStr && p.max - p.min < 128 && p.step == 1 ? GP_WIDGET_MENU
                                                                          : GP_WIDGET_RANGE;
    else if (p.form == Form::kEnum)
        type = GP_WIDGET_MENU;
    CameraWidget* w = nullptr;
    gp_widget_new(type, HexLabel(p).c_str(), &w);
    gp_widget_set_name(w, HexName(p).c_str());
    auto number = [&](int64_t v) {
        return Unsigned(p.type) && type != GP_WIDGET_MENU ? Printf("%u", static_cast<unsigned>(v))
                                                          : Printf("%d", static_cast<int>(v));
    };
    if (p.form == Form::kRange && type == GP_WIDGET_RANGE) {
        gp_widget_set_range(w, static_cast<float>(p.min), static_cast<float>(p.max),
                            static_cast<float>(p.step));
    } else if (p.form == Form::kRange) {
        for (int64_t k = p.min; k <= p.max; k += std::max<int64_t>(p.step, 1))
            gp_widget_add_choice(w, number(k).c_str());
    } else if (p.form == Form::kEnum) {
        for (int64_t v : p.values)
            gp_widget_add_choice(w, Printf("%d", static_cast<int>(v)).c_str());
    }
    if (p.type == Type::kStr) {
        SetText(w, p.text);
    } else if (type == GP_WIDGET_RANGE) {
        const float f = static_cast<float>(p.value);
        gp_widget_set_value(w, &f);
    } else {
        SetText(w, Printf("%d", static_cast<int>(p.value)));
    }
    if (!p.writable)
        gp_widget_set_readonly(w, 1);
    *widget = w;
    return GP_OK;
}

int PutHex(Property& p, CameraWidget* w) {
    Log("set " + HexName(p) + "=" + WidgetText(w));
    if (!p.writable)
        return GP_ERROR_NOT_SUPPORTED;
    CameraWidgetType type;
    gp_widget_get_type(w, &type);
    int64_t value = 0;
    std::string text;
    if (p.type == Type::kStr) {
        text = Text(w);
    } else if (type == GP_WIDGET_RANGE) {
        value = static_cast<int64_t>(Float(w));
    } else {
        long x = 0;
        std::sscanf(Text(w).c_str(), "%ld", &x);
        value = x;
    }
    // The body's answer is not looked at: a refused write reports success.
    if (BodySet(p, value, text, HexName(p)) != kOk)
        Log("refused " + HexName(p));
    return GP_OK;
}

std::string WidgetText(CameraWidget* w) {
    CameraWidgetType type;
    gp_widget_get_type(w, &type);
    switch (type) {
        case GP_WIDGET_TOGGLE:
        case GP_WIDGET_DATE: {
            int v = 0;
            gp_widget_get_value(w, &v);
            return std::to_string(v);
        }
        case GP_WIDGET_RANGE:
            return std::to_string(static_cast<int>(Float(w)));
        case GP_WIDGET_TEXT:
        case GP_WIDGET_RADIO:
        case GP_WIDGET_MENU:
            return Text(w);
        default:
            return "";
    }
}

}  // namespace tcam
