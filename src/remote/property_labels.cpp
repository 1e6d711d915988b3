#include "remote/property_labels.h"

namespace talbex::remote {

const LabelTable& DriveModeLabels() {
    static const LabelTable table = {
        {0x00, "Single Shooting"},
        {0x01, "Continuous Shooting"},
        {0x02, "Video"},
        {0x04, "High-Speed Continuous Shooting"},
        {0x05, "Low-Speed Continuous Shooting"},
        {0x06, "Silent single shooting"},
        {0x07, "10-Sec Self-timer plus continuous shots"},
        {0x10, "10-Sec Self-timer"},
        {0x11, "2-Sec Self-timer"},
    };
    return table;
}

const LabelTable& AfModeLabels() {
    static const LabelTable table = {
        {0x00, "One-Shot AF"},
        {0x01, "AI Servo AF"},
        {0x02, "AI Focus AF"},
        {0x03, "Manual Focus"},
    };
    return table;
}

const LabelTable& WhiteBalanceLabels() {
    static const LabelTable table = {
        {0x00, "Auto"},
        {0x01, "Daylight"},
        {0x02, "Cloudy"},
        {0x03, "Tungsten"},
        {0x04, "Fluorescent"},
        {0x05, "Flash"},
        {0x06, "Manual(set by shooting a white card or paper)"},
        {0x08, "Shade"},
        {0x09, "Color temperature"},
        {0x0A, "Custom white balance: PC-1"},
        {0x0B, "Custom white balance: PC-2"},
        {0x0C, "Custom white balance: PC-3"},
        {0x0F, "Manual 2"},
        {0x10, "Manual 3"},
        {0x12, "Manual 4"},
        {0x13, "Manual 5"},
        {0x14, "Custom white balance: PC-4"},
        {0x15, "Custom white balance: PC-5"},
        {0xFFFFFFFE, "White balance copied from another image"},
        {0xFFFFFFFF, "Setting the white balance by clicking image coordinates"},
    };
    return table;
}

const LabelTable& OffOnLabels() {
    static const LabelTable table = {{0x00, "Off"}, {0x01, "On"}};
    return table;
}

const LabelTable& ColourSpaceLabels() {
    static const LabelTable table = {{0x01, "sRGB"}, {0x02, "Adobe RGB"}};
    return table;
}

const LabelTable& NoiseReductionLabels() {
    static const LabelTable table = {
        {0x00, "Off"}, {0x01, "On 1"}, {0x02, "On 2"}, {0x03, "On"}, {0x04, "Auto"},
    };
    return table;
}

}  // namespace talbex::remote
