#include "panasonic_codecs.h"

#include <gphoto2/gphoto2-result.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>

#include "camera_state.h"
#include "widget_helpers.h"

namespace tcam {

namespace {

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

bool Contains(const Property& p, int64_t v) {
    return std::find(p.values.begin(), p.values.end(), v) != p.values.end();
}

}  // namespace

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

}  // namespace tcam
