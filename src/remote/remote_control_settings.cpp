// The remote-control window's own setting lists: a pick writes the row's code into the
// camera property at once, on the window thread, and tells the user whether the camera
// took it; the current values are read one second after the window opens.
#include "camera/control_lock.h"
#include "camera/sdk/sdk.h"
#include "platform/ui/language.h"
#include "platform/ui/prompts.h"
#include "remote/camera_offers.h"
#include "remote/direct_settings.h"
#include "remote/remote_control_dialog.h"
#include "shell/camera_connection.h"

namespace talbex::remote {

const CVellmoraDlg::Rows* CVellmoraDlg::rowsOf(int listId) const {
    switch (listId) {
        case 1035:
            return &driveModes_;
        case 1059:
            return &tvs_;
        case 1060:
            return &avs_;
        case 1061:
            return &isos_;
        case 1062:
            return &meterings_;
        case 1063:
            return &afModes_;
        case kImageQualityList:
            return &imageQualities_;
        case 1036:
            return &colourSpaces_;
        case 1037:
        case 1042:
            return &offOn_;
        case 1038:
        case 1058:
            return &exposureSteps_;
        case 1039:
            return &whiteBalances_;
        case 1040:
            return &noiseReductions_;
        default:
            return nullptr;
    }
}

ui::LResult CVellmoraDlg::OnCommand(ui::WParam wparam, ui::LParam) {
    if (ui::CommandCode(wparam) == ui::kCbnSelChange)
        OnSettingPicked(ui::CommandControlId(wparam));
    return 0;  // row labels and everything else: nothing
}

void CVellmoraDlg::OnSettingPicked(int listId) {
    const DirectSetting* setting = FindDirectSetting(listId);
    const Rows* rows = rowsOf(listId);
    if (setting == nullptr || rows == nullptr)
        return;
    ui::Window& list = Item(listId);
    const int index = list.GetCurSel();
    if (index < 0 || static_cast<size_t>(index) >= rows->size())
        return;  // past the table's end: nothing to write
    uint32_t code = (*rows)[static_cast<size_t>(index)].first;
    if (listId == kImageQualityList) {
        if (static_cast<size_t>(index) >= imageQualityIndex_.size())
            return;
        code = imageQualityIndex_[static_cast<size_t>(index)].first;
    }
    // A size that is not a 32-bit value's counts as a refused write.
    const bool taken = camera::withControlLock(commander_->getModel(), [&] {
                           return shell::WriteUInt32Property(camera_, setting->property, code);
                       }) == kSdkOk;
    const SettingMessages& m = setting->messages;
    if (taken) {
        ui::ShowMessageBox(ui::ByLanguage(language_, m.successEnglish, m.successChinese));
    } else {
        ui::ShowMessageBox(ui::ByLanguage(language_, m.failureEnglish, m.failureChinese));
        list.SetCurSel(-1);
    }
}

void CVellmoraDlg::disableWhatTheCameraLacks() {
    auto lacks = [&](SdkPropertyId id) {
        SdkDataType type = 0;
        uint32_t size = 0;
        return shell::IsAbsentProperty(SdkGetPropertySize(camera_, id, 0, &type, &size));
    };
    for (const DirectSetting& setting : DirectSettings())
        if (lacks(setting.property))
            Item(setting.listId).EnableWindow(false);
    if (lacks(kPropAeMode))
        Item(kAeModeList).EnableWindow(false);
    if (lacks(kPropEvfAfMode))
        Item(kEvfAfModeList).EnableWindow(false);
    for (Offer offer : kOffers)
        if (const std::optional<SdkPropertyId> property = PropertyOf(offer);
            property && lacks(*property))
            for (int id : ControlsOf(offer))
                Item(id).EnableWindow(false);
}

void CVellmoraDlg::refreshCameraValues() {
    disableWhatTheCameraLacks();
    for (const DirectSetting& setting : DirectSettings()) {
        if (setting.listId == kImageQualityList) {
            refreshImageQuality();
            continue;
        }
        // Only a value of 32 bits is read; anything else leaves the list as it is.
        const auto value = shell::ReadUInt32Property(camera_, setting.property);
        const Rows* rows = rowsOf(setting.listId);
        if (!value || rows == nullptr)
            continue;
        for (const auto& [code, label] : *rows) {
            if (code == *value) {
                Item(setting.listId).SetWindowText(display(label, setting.translated));
                break;
            }
        }
    }
}

void CVellmoraDlg::refreshImageQuality() {
    const auto value = shell::ReadUInt32Property(camera_, kPropImageQuality);
    if (!value)
        return;
    for (const auto& [code, label] : imageQualityIndex_) {
        if (code == *value) {
            Item(kImageQualityList).SetWindowText(display(label, true));
            return;
        }
    }
}

}  // namespace talbex::remote
