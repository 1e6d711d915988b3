#include "controls/property_combo_boxes.h"

#include "controls/property_label_tables.h"
#include "platform/ui/language.h"

namespace talbex::controls {

CAEMode::CAEMode() : PropertyComboAction(kPropAeMode, "set_AEMode") {}

void CAEMode::LoadLabels(int language) {
    for (const BilingualLabel& entry : AeModeLabels())
        addLabel(entry.code, ui::ByLanguage(language, entry.english, entry.chinese));
}

uint32_t CAEMode::currentValue(const camera::CameraModel& model) const {
    return model.getAEMode();
}

CTv::CTv() : PropertyComboAction(kPropTv, "set_Tv") {
    for (const PropertyLabel& entry : TvLabels())
        addLabel(entry.code, entry.label);
}

uint32_t CTv::currentValue(const camera::CameraModel& model) const {
    return model.getTv();
}

CAv::CAv() : PropertyComboAction(kPropAv, "set_Av") {
    for (const PropertyLabel& entry : AvLabels())
        addLabel(entry.code, entry.label);
}

uint32_t CAv::currentValue(const camera::CameraModel& model) const {
    return model.getAv();
}

CIso::CIso() : PropertyComboAction(kPropIsoSpeed, "set_ISOSpeed") {
    for (const PropertyLabel& entry : IsoSpeedLabels())
        addLabel(entry.code, entry.label);
}

uint32_t CIso::currentValue(const camera::CameraModel& model) const {
    return model.getIsoSpeed();
}

CMeteringMode::CMeteringMode() : PropertyComboAction(kPropMeteringMode, "set_MeteringMode") {
    for (const PropertyLabel& entry : MeteringModeLabels())
        addLabel(entry.code, entry.label);
}

uint32_t CMeteringMode::currentValue(const camera::CameraModel& model) const {
    return model.getMeteringMode();
}

CExposureComp::CExposureComp()
    : PropertyComboAction(kPropExposureCompensation, "set_ExposureCompensation") {
    for (const auto& [code, label] : ExposureStepLabels())
        addLabel(code, label.c_str());
}

uint32_t CExposureComp::currentValue(const camera::CameraModel& model) const {
    return model.getExposureCompensation();
}

CImageQuality::CImageQuality() : PropertyComboAction(kPropImageQuality, "set_ImageQuality") {
    for (const PropertyLabel& entry : ImageQualityLabels())
        addLabel(entry.code, entry.label);
}

uint32_t CImageQuality::currentValue(const camera::CameraModel& model) const {
    return model.getImageQuality();
}

CEvfAFMode::CEvfAFMode() : PropertyComboAction(kPropEvfAfMode, "set_EvfAFMode") {}

void CEvfAFMode::LoadLabels(int language) {
    for (const BilingualLabel& entry : EvfAfModeLabels())
        addLabel(entry.code, ui::ByLanguage(language, entry.english, entry.chinese));
    for (const BilingualLabel& entry : EvfAfModeLabels()) {
        const int index = AddString(ui::ByLanguage(language, entry.english, entry.chinese));
        if (index >= 0)
            SetItemData(index, entry.code);
    }
}

uint32_t CEvfAFMode::currentValue(const camera::CameraModel& model) const {
    return model.getEvfAFMode();
}

}  // namespace talbex::controls
