#include "codecs.h"

#include <gphoto2/gphoto2-result.h>
#include <gphoto2/gphoto2-setting.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "camera_state.h"
#include "config_walk.h"
#include "shooting.h"

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

CameraWidget* New(CameraWidgetType type, const Entry& e) {
    CameraWidget* w = nullptr;
    gp_widget_new(type, Tr(e.label), &w);
    gp_widget_set_name(w, e.name);
    return w;
}

void SetText(CameraWidget* w, const std::string& v) {
    gp_widget_set_value(w, v.c_str());
}

std::string Text(CameraWidget* w) {
    const char* v = nullptr;
    gp_widget_get_value(w, &v);
    return v != nullptr ? v : "";
}

int Toggle(CameraWidget* w) {
    int v = 0;
    gp_widget_get_value(w, &v);
    return v;
}

float Float(CameraWidget* w) {
    float v = 0;
    gp_widget_get_value(w, &v);
    return v;
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

// ---- Panasonic: lists and values through its own operations (config.c 8771-9590) -------

std::string PanasonicShutterText(int64_t raw) {
    const uint32_t v = static_cast<uint32_t>(raw);
    if (v == 0xFFFFFFFF)
        return "bulb";
    if (v & 0x80000000u) {
        const uint32_t ms = v & ~0x80000000u;
        return ms % 1000 == 0 ? Printf("%.0f", ms / 1000.0) : Printf("%.1f", ms / 1000.0);
    }
    return v % 1000 == 0 ? Printf("1/%.0f", v / 1000.0) : Printf("1/%.1f", v / 1000.0);
}

std::string PanasonicFNumberText(int64_t v) {
    return v % 10 == 0 ? Printf("%.0f", v / 10.0) : Printf("%.1f", v / 10.0);
}

std::string PanasonicExposureText(int64_t raw) {
    int v = static_cast<int>(raw);
    if (v & 0x8000)
        v = -(v & 0x7fff);
    return Printf("%f", v / 3.0);
}

const char* const kPanasonicWb[][2] = {
    {"Automatic", "0002"},      {"Daylight", "0004"},      {"Tungsten", "0006"},
    {"Flourescent", "0005"},    {"Flash", "0007"},         {"Cloudy", "8008"},
    {"White set", "8009"},      {"Black White", "800A"},   {"Preset 1", "800B"},
    {"Preset 2", "800C"},       {"Preset 3", "800D"},      {"Preset 4", "800E"},
    {"Shadow", "800F"},         {"Temperature 1", "8010"}, {"Temperature 2", "8011"},
    {"Temperature 3", "8012"},  {"Temperature 4", "8013"}, {"Automatic Cool", "8014"},
    {"Automatic Warm", "8015"},
};
const char* const kPanasonicAf[] = {"AF", "AF macro", "AF macro (D)", "MF", "AF_S", "AF_C", "AF_F"};
const char* const kPanasonicModes[] = {"P", "A", "S", "M"};

int64_t Hex(const char* text) {
    return std::strtol(text, nullptr, 16);
}

int RenderPanasonic(const Entry& e, const Property& p, CameraWidget** out) {
    CameraWidget* w = New(GP_WIDGET_RADIO, e);
    std::string current;
    switch (e.codec) {
        case Codec::kPanasonicFNumber:
            for (int64_t v : p.values)
                gp_widget_add_choice(w, PanasonicFNumberText(v).c_str());
            current = PanasonicFNumberText(p.value);
            break;
        case Codec::kPanasonicShutter:
            for (int64_t v : p.values)
                gp_widget_add_choice(w, PanasonicShutterText(v).c_str());
            current = PanasonicShutterText(p.value);
            break;
        case Codec::kPanasonicIso:
        case Codec::kPanasonicImageFormat: {
            const char* format = e.codec == Codec::kPanasonicIso ? "%d" : "%u";
            for (int64_t v : p.values)
                gp_widget_add_choice(w, Printf(format, static_cast<unsigned>(v)).c_str());
            current = Printf(format, static_cast<unsigned>(p.value));
            break;
        }
        case Codec::kPanasonicExposure:
            for (int64_t v : p.values) {
                gp_widget_add_choice(w, PanasonicExposureText(v).c_str());
                if (v == p.value)
                    current = PanasonicExposureText(v);
            }
            break;
        case Codec::kPanasonicWhiteBalance: {
            bool set = false;
            for (int64_t v : p.values) {
                std::string text = Printf(Tr("Unknown 0x%04x"), static_cast<unsigned>(v));
                for (const auto& wb : kPanasonicWb)
                    if (Hex(wb[1]) == v) {
                        text = Tr(wb[0]);
                        break;
                    }
                if (v == p.value) {
                    current = text;
                    set = true;
                }
                gp_widget_add_choice(w, text.c_str());
            }
            if (!set)
                current = Printf(Tr("Unknown 0x%04x"), static_cast<unsigned>(p.value));
            break;
        }
        case Codec::kPanasonicAfMode:
        case Codec::kPanasonicExpMode: {
            // ptp2 names the value by its index in its own untranslated table, and offers
            // the whole table whatever the body lists (config.c around 9087, 9181).
            const bool af = e.codec == Codec::kPanasonicAfMode;
            const size_t n = af ? std::size(kPanasonicAf) : std::size(kPanasonicModes);
            if (!af)
                for (size_t j = 0; j < n; ++j)
                    gp_widget_add_choice(w, kPanasonicModes[j]);
            if (Contains(p, p.value) && p.value >= 0 && static_cast<size_t>(p.value) < n)
                current = af ? kPanasonicAf[p.value] : kPanasonicModes[p.value];
            else
                current = Printf(Tr("Unknown 0x%04x"), static_cast<unsigned>(p.value));
            if (af)
                for (size_t j = 0; j < n; ++j)
                    gp_widget_add_choice(w, kPanasonicAf[j]);
            break;
        }
        default:
            gp_widget_free(w);
            return GP_ERROR;
    }
    if (!current.empty())
        SetText(w, current);
    *out = w;
    return GP_OK;
}

int ParsePanasonic(const Entry& e, CameraWidget* w, int64_t* v) {
    const std::string value = Text(w);
    float f = 0;
    int i = 0;
    switch (e.codec) {
        case Codec::kPanasonicFNumber:
            std::sscanf(value.c_str(), "%f", &f);
            *v = static_cast<uint32_t>(f * 10);
            return GP_OK;
        case Codec::kPanasonicShutter:
            if (value == "bulb") {
                *v = 0xFFFFFFFF;
            } else if (value.rfind("1/", 0) == 0) {
                std::sscanf(value.c_str() + 2, "%f", &f);
                *v = static_cast<uint32_t>(f * 1000);
            } else {
                std::sscanf(value.c_str(), "%f", &f);
                *v = static_cast<uint32_t>(f * 1000) | 0x80000000u;
            }
            return GP_OK;
        case Codec::kPanasonicIso:
        case Codec::kPanasonicImageFormat:
            std::sscanf(value.c_str(), "%d", &i);
            *v = static_cast<uint32_t>(i);
            return GP_OK;
        case Codec::kPanasonicExposure:
            std::sscanf(value.c_str(), "%f", &f);
            *v = f < 0 ? (0x8000 | static_cast<int>(-f * 3)) : static_cast<int>(f * 3);
            return GP_OK;
        case Codec::kPanasonicWhiteBalance: {
            unsigned int x = 0;
            *v = 0;
            if (std::sscanf(value.c_str(), Tr("Unknown 0x%04x"), &x) == 1)
                *v = x;
            for (const auto& wb : kPanasonicWb)
                if (value == Tr(wb[0])) {
                    *v = Hex(wb[1]);
                    break;
                }
            return GP_OK;
        }
        case Codec::kPanasonicAfMode:
            // An unknown text leaves ptp2's value unset; the body refuses what arrives.
            *v = -1;
            for (size_t j = 0; j < std::size(kPanasonicAf); ++j)
                if (value == kPanasonicAf[j])
                    *v = static_cast<int64_t>(j);
            return GP_OK;
        case Codec::kPanasonicExpMode:
            // An unknown text becomes 0, which is "P".
            *v = 0;
            for (size_t j = 0; j < std::size(kPanasonicModes); ++j)
                if (value == kPanasonicModes[j])
                    *v = static_cast<int64_t>(j);
            return GP_OK;
        default:
            return GP_ERROR;
    }
}

// ---- Virtual entries ------------------------------------------------------------------

std::string Setting(const char* key, const char* otherwise) {
    char value[1024] = {};
    if (gp_setting_get(const_cast<char*>("ptp2"), const_cast<char*>(key), value) != GP_OK)
        return otherwise;
    return value;
}

void Store(const char* key, const char* value) {
    gp_setting_set(const_cast<char*>("ptp2"), const_cast<char*>(key), const_cast<char*>(value));
}

// config.c around 9717: the names the setting keeps and the labels shown.
const char* const kTargets[][2] = {{"sdram", "Internal RAM"}, {"card", "Memory card"}};
const char* const kOnOff[][2] = {{"on", "On"}, {"off", "Off"}};

int RenderSettingRadio(const Entry& e, const char* key, const char* otherwise,
                       const char* const (*pairs)[2], CameraWidget** out) {
    CameraWidget* w = New(GP_WIDGET_RADIO, e);
    const std::string current = Setting(key, otherwise);
    for (int i = 0; i < 2; ++i) {
        gp_widget_add_choice(w, Tr(pairs[i][1]));
        if (current == pairs[i][0])
            gp_widget_set_value(w, Tr(pairs[i][1]));
    }
    *out = w;
    return GP_OK;
}

// A put compares with the translated labels only; another text is silently ignored.
void PutSettingRadio(CameraWidget* w, const char* key, const char* const (*pairs)[2]) {
    const std::string value = Text(w);
    for (int i = 0; i < 2; ++i)
        if (value == Tr(pairs[i][1])) {
            Store(key, pairs[i][0]);
            break;
        }
}

CameraWidget* Radio(const Entry& e, std::initializer_list<const char*> choices, const char* value) {
    CameraWidget* w = New(GP_WIDGET_RADIO, e);
    for (const char* c : choices)
        gp_widget_add_choice(w, Tr(c));
    gp_widget_set_value(w, Tr(value));
    return w;
}

CameraWidget* ToggleWidget(const Entry& e, int value, bool set) {
    CameraWidget* w = New(GP_WIDGET_TOGGLE, e);
    if (set)
        gp_widget_set_value(w, &value);
    return w;
}

// The device information's manufacturer as the family's bodies give it; programs tell
// the families by it, as ptp2 itself does where the extension is not named. The eos
// family's bodies are told by their own entries.
const char* Manufacturer(Kind kind) {
    switch (kind) {
        case Kind::kNikon:
            return "Nikon Corporation";
        case Kind::kSony:
            return "Sony Corporation";
        case Kind::kFuji:
            return "FUJIFILM";
        case Kind::kPanasonic:
            return "Panasonic";
        case Kind::kOlympus:
            return "OLYMPUS CORPORATION";
        default:
            return "Talbex";
    }
}

int RenderVirtual(const Entry& e, CameraWidget** out) {
    State& s = Body();
    switch (e.codec) {
        case Codec::kDeviceText: {
            std::string value;
            const std::string name = e.name;
            if (name == "serialnumber")
                value = DeviceSerial();
            else if (name == "manufacturer")
                value = Manufacturer(s.family->kind);
            else if (name == "cameramodel")
                value = s.family->model;
            else if (name == "deviceversion")
                value = s.family->version;
            else
                value =
                    s.family->vendorExtension != nullptr ? s.family->vendorExtension : Tr("None");
            *out = New(GP_WIDGET_TEXT, e);
            SetText(*out, value);
            return GP_OK;
        }
        case Codec::kViewfinderEos:
        case Codec::kViewfinderNikon:
            *out = ToggleWidget(e, s.liveView ? 1 : 0, true);
            return GP_OK;
        case Codec::kViewfinderPanasonic:
        case Codec::kAfDriveFuji:
            // ptp2 sets 2, so any write counts as a change (config.c around 2890, 8033).
            *out = ToggleWidget(e, 2, true);
            return GP_OK;
        case Codec::kAfDriveNikon:
        case Codec::kAfDriveEos:
            *out = ToggleWidget(e, 0, false);
            return GP_OK;
        case Codec::kRemoteRelease:
            *out = Radio(
                e,
                {"None", "Press Half", "Press Full", "Release Half", "Release Full", "Immediate",
                 "Press 1", "Press 2", "Press 3", "Release 1", "Release 2", "Release 3"},
                "None");
            return GP_OK;
        case Codec::kMfDriveNearFar3:
            *out =
                Radio(e, {"Near 1", "Near 2", "Near 3", "None", "Far 1", "Far 2", "Far 3"}, "None");
            return GP_OK;
        case Codec::kMfDriveNearFar2:
            *out = Radio(e, {"Near 1", "Near 2", "None", "Far 1", "Far 2"}, "None");
            return GP_OK;
        case Codec::kMfDriveRange:
            *out = New(GP_WIDGET_RANGE, e);
            gp_widget_set_range(*out, -32767.0f, 32767.0f, 1.0f);
            return GP_OK;
        case Codec::kEosZoom:
            *out = New(GP_WIDGET_TEXT, e);
            SetText(*out, "0");
            return GP_OK;
        case Codec::kEosZoomPosition:
            *out = New(GP_WIDGET_TEXT, e);
            SetText(*out, "0,0");
            return GP_OK;
        case Codec::kCaptureTarget:
            return RenderSettingRadio(e, "capturetarget", "sdram", kTargets, out);
        case Codec::kAutofocusSetting:
            return RenderSettingRadio(e, "autofocus", "on", kOnOff, out);
        default:
            return GP_ERROR;
    }
}

// The near and far steps of the radio drives, in the frames' focus units.
int Step(int n) {
    return n <= 1 ? 10 : n == 2 ? 50 : 200;
}

int PutNearFar(const std::string& value) {
    if (value == Tr("None"))
        return GP_OK;
    int n = 0;
    int sign = -1;
    if (std::sscanf(value.c_str(), Tr("Near %d"), &n) != 1) {
        if (std::sscanf(value.c_str(), Tr("Far %d"), &n) != 1)
            return GP_ERROR;
        sign = 1;
    }
    const State& s = Body();
    // The eos family drives the lens only in live view (the body refuses otherwise).
    if (s.family->kind == Kind::kEos && !s.liveView)
        return GP_ERROR;
    DriveFocus(sign * Step(n), Printf("focus %s %d", sign < 0 ? "near" : "far", n));
    return GP_OK;
}

int PutVirtual(const Entry& e, CameraWidget* w) {
    State& s = Body();
    const bool reachesBody =
        e.codec != Codec::kCaptureTarget && e.codec != Codec::kAutofocusSetting;
    if (reachesBody && s.faults.Take("busy", "set", e.name))
        return GP_ERROR_CAMERA_BUSY;
    switch (e.codec) {
        case Codec::kDeviceText:
            return GP_ERROR_NOT_SUPPORTED;
        case Codec::kViewfinderEos:
        case Codec::kViewfinderNikon:
        case Codec::kViewfinderPanasonic:
            s.liveView = Toggle(w) != 0;
            return GP_OK;
        case Codec::kRemoteRelease: {
            // config.c around 7496: the written text against the translated ones only.
            const std::string v = Text(w);
            if (v == Tr("None") || v == Tr("Release Half") || v == Tr("Release Full") ||
                v == Tr("Release 1") || v == Tr("Release 2") || v == Tr("Release 3"))
                return GP_OK;
            if (v == Tr("Press Half") || v == Tr("Press 1")) {
                Autofocus();
                return GP_OK;
            }
            if (v == Tr("Press Full") || v == Tr("Immediate")) {
                Autofocus();
                ShootForEvents();
                return GP_OK;
            }
            if (v == Tr("Press 2") || v == Tr("Press 3")) {
                ShootForEvents();
                return GP_OK;
            }
            return GP_ERROR_NOT_SUPPORTED;
        }
        case Codec::kAfDriveNikon:
        case Codec::kAfDriveFuji:
            // Whatever the value written, an autofocus cycle (config.c around 7261, 2897).
            Autofocus();
            return GP_OK;
        case Codec::kAfDriveEos:
            if (Toggle(w) != 0) {
                Autofocus();
            } else {
                s.focusFound = false;
                Log("autofocus cancel");
            }
            return GP_OK;
        case Codec::kMfDriveNearFar3:
        case Codec::kMfDriveNearFar2:
            return PutNearFar(Text(w));
        case Codec::kMfDriveRange: {
            const float val = Float(w);
            // Nikon drives the lens only in live view (config.c around 7374).
            if (!s.liveView)
                return GP_ERROR;
            int steps = static_cast<int>(std::fabs(val));
            if (steps == 0)
                steps = 1;
            const int delta = std::max(1, steps / 10) * (val < 0 ? -1 : 1);
            if (!DriveFocus(delta, Printf("focus %s %d", val < 0 ? "near" : "far", steps)))
                return GP_ERROR_CAMERA_ERROR;  // "Nikon manual focus at limit."
            return GP_OK;
        }
        case Codec::kEosZoom: {
            int zoom = 0;
            if (std::sscanf(Text(w).c_str(), "%d", &zoom) != 1)
                return GP_ERROR;
            if (!s.liveView || (zoom != 1 && zoom != 5 && zoom != 10))
                return GP_ERROR;
            s.zoom = zoom;
            return GP_OK;
        }
        case Codec::kEosZoomPosition: {
            int x = 0, y = 0;
            if (std::sscanf(Text(w).c_str(), "%d,%d", &x, &y) != 2)
                return GP_ERROR;
            if (!s.liveView)
                return GP_ERROR;
            s.zoomPosition = Printf("%d,%d", x, y);
            return GP_OK;
        }
        case Codec::kCaptureTarget:
            PutSettingRadio(w, "capturetarget", kTargets);
            if (s.family->kind == Kind::kPanasonic)
                s.panasonicToMemory = Setting("capturetarget", "sdram") == "sdram";
            return GP_OK;
        case Codec::kAutofocusSetting:
            PutSettingRadio(w, "autofocus", kOnOff);
            return GP_OK;
        default:
            return GP_ERROR;
    }
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

// Sony's presses and focus are written through its control operations; the entry is a
// property only for ptp2 to find it (config.c around 8593-8680).
int PutSonyControl(const Entry& e, CameraWidget* w) {
    State& s = Body();
    if (s.faults.Take("busy", "set", e.name))
        return GP_ERROR_CAMERA_BUSY;
    switch (e.codec) {
        case Codec::kSonyAutofocus:
            if (Toggle(w) != 0)
                Autofocus();
            return GP_OK;
        case Codec::kSonyCapture:
            if (Toggle(w) != 0)
                ShootForEvents();
            return GP_OK;
        default: {
            const float val = Float(w);
            if (val != 0) {
                const int n = std::clamp(static_cast<int>(std::fabs(val)), 1, 7);
                DriveFocus((val < 0 ? -1 : 1) * n * 15,
                           Printf("focus %s %d", val < 0 ? "near" : "far", n));
            }
            return GP_OK;
        }
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
