#include "camera/sdk/sim/sim_settings.h"

#include <array>
#include <charconv>
#include <cstdio>
#include <ctime>
#include <utility>

#include "camera/sdk/sim/property_codes.h"

namespace talbex::sim {

namespace {

constexpr std::array<std::pair<Operation, std::string_view>, 18> kOperationNames{{
    {Operation::GetDeviceInfo, "get_device_info"},
    {Operation::OpenSession, "open_session"},
    {Operation::CloseSession, "close_session"},
    {Operation::GetPropertySize, "get_property_size"},
    {Operation::GetPropertyData, "get_property_data"},
    {Operation::SetPropertyData, "set_property_data"},
    {Operation::GetPropertyDesc, "get_property_desc"},
    {Operation::TakePicture, "take_picture"},
    {Operation::PressShutter, "press_shutter"},
    {Operation::DoEvfAf, "evf_af"},
    {Operation::DriveLens, "drive_lens"},
    {Operation::StatusCommand, "status_command"},
    {Operation::SetCapacity, "set_capacity"},
    {Operation::GetDirectoryItemInfo, "get_item_info"},
    {Operation::Download, "download"},
    {Operation::DownloadComplete, "download_complete"},
    {Operation::DownloadEvfImage, "download_evf"},
    {Operation::GetShutterCount, "get_shutter_count"},
}};

constexpr uint32_t kFallbackSerial = 420001234;

}  // namespace

std::string_view OperationName(Operation operation) {
    for (const auto& [op, name] : kOperationNames) {
        if (op == operation)
            return name;
    }
    return "?";
}

std::optional<Operation> OperationFromName(std::string_view name) {
    for (const auto& [op, n] : kOperationNames) {
        if (n == name)
            return op;
    }
    return std::nullopt;
}

std::optional<uint32_t> CameraSettings::ResolvedMakerNoteSerial() const {
    if (makerNoteSerial)
        return *makerNoteSerial;
    if (serial && !serial->empty() && serial->size() <= 10) {
        uint32_t value = 0;
        const char* end = serial->data() + serial->size();
        auto [ptr, ec] = std::from_chars(serial->data(), end, value);
        if (ec == std::errc() && ptr == end)
            return value;
    }
    return kFallbackSerial;
}

std::optional<std::string> CameraSettings::ResolvedBodySerial() const {
    if (exifBodySerial)
        return *exifBodySerial;
    if (auto number = ResolvedMakerNoteSerial()) {
        char text[16];
        std::snprintf(text, sizeof text, "%010u", *number);
        return std::string(text);
    }
    return serial;
}

std::string CheckSettings(const CameraSettings& settings) {
    auto hex = [](uint32_t code) {
        char text[16];
        std::snprintf(text, sizeof text, "0x%X", code);
        return std::string(text);
    };
    if (settings.imageQuality &&
        !Contains(ImageQualityCodes(settings.legacy), *settings.imageQuality))
        return "image_quality " + hex(*settings.imageQuality) + " is not a quality of " +
               (settings.legacy ? "the older" : "the current") + " protocol";
    if (!Contains(AvCodes(), settings.widestAperture))
        return "widest_aperture " + hex(settings.widestAperture) + " is not an aperture code";
    if (!Contains(AvCodes(), settings.narrowestAperture))
        return "narrowest_aperture " + hex(settings.narrowestAperture) + " is not an aperture code";
    if (settings.widestAperture > settings.narrowestAperture)
        return "widest_aperture is narrower than narrowest_aperture";
    if (!Contains(ColorSpaceCodes(), settings.colorSpace))
        return "color_space " + hex(settings.colorSpace) + " is neither 1 (sRGB) nor 2 (Adobe RGB)";
    if (settings.liveViewFps == 0)
        return "live_view_fps must be at least 1";
    return "";
}

SdkTime CameraSettings::LocalTimeNow() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return SdkTime{static_cast<uint32_t>(local.tm_year + 1900),
                   static_cast<uint32_t>(local.tm_mon + 1),
                   static_cast<uint32_t>(local.tm_mday),
                   static_cast<uint32_t>(local.tm_hour),
                   static_cast<uint32_t>(local.tm_min),
                   static_cast<uint32_t>(local.tm_sec),
                   0};
}

}  // namespace talbex::sim
