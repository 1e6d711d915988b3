#include "camera/sdk/gphoto2/control_widgets.h"

namespace talbex::gphoto {

namespace {

struct ControlWidget {
    Control control;
    const char* name;
};

// libgphoto2's widget names.
constexpr ControlWidget kWidgets[] = {
    {Control::kViewfinder, "viewfinder"},
    {Control::kRemoteRelease, "eosremoterelease"},
    {Control::kAutofocusDrive, "autofocusdrive"},
    {Control::kManualFocusDrive, "manualfocusdrive"},
    {Control::kZoom, "eoszoom"},
    {Control::kZoomPosition, "eoszoomposition"},
    {Control::kCaptureTarget, "capturetarget"},
};
static_assert(std::size(kWidgets) == kControlCount);

constexpr uint32_t kFar = 0x8000;

std::optional<uint32_t> StepSize(uint32_t step) {
    const uint32_t size = step & ~kFar;
    if (size < 1 || size > 3 || (step & ~(kFar | 3u)) != 0)
        return std::nullopt;
    return size;
}

}  // namespace

const char* WidgetNameOf(Control control) {
    for (const ControlWidget& w : kWidgets)
        if (w.control == control)
            return w.name;
    return "";
}

std::optional<std::string> FocusChoiceOf(uint32_t step) {
    const auto size = StepSize(step);
    if (!size)
        return std::nullopt;
    return std::string((step & kFar) != 0 ? "Far " : "Near ") + std::to_string(*size);
}

std::optional<float> FocusRangeValueOf(uint32_t step) {
    const auto size = StepSize(step);
    if (!size)
        return std::nullopt;
    const float magnitude = *size == 1 ? 10.0f : *size == 2 ? 100.0f : 1000.0f;
    return (step & kFar) != 0 ? magnitude : -magnitude;
}

}  // namespace talbex::gphoto
