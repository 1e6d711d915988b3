#include "controls/property_combo_box.h"

#include <algorithm>
#include <string>

#include "camera/current_model.h"

namespace talbex::controls {

void CPropertyComboBox::ShowCurrentValue(uint32_t code) {
    auto it = labels_.find(code);
    if (it == labels_.end())
        return;
    current_ = code;
    SetWindowText(it->second);
}

void CPropertyComboBox::LoadAllowedValues(const SdkPropertyDesc& description) {
    const std::string shown = GetWindowText();
    ResetContent();
    SetWindowText(shown);
    // The record holds at most 128 values whatever its count says.
    const int count = std::clamp<int32_t>(description.numElements, 0, 128);
    EnableWindow(count != 0);
    for (int i = 0; i < count; ++i) {
        const uint32_t code = static_cast<uint32_t>(description.propDesc[i]);
        auto it = labels_.find(code);
        if (it == labels_.end())
            continue;
        const int index = InsertString(-1, it->second);
        if (index >= 0)
            SetItemData(index, code);
    }
    // A drop-down list shows only a text it holds as a row: a current value that came
    // before its row is shown again now.
    if (current_)
        SetWindowText(labels_.at(*current_));
}

void CPropertyComboBox::postIfMine(const camera::ModelEvent& event) {
    if (event.arg == nullptr)
        return;
    if (event.type != "PropertyChanged" && event.type != "PropertyDescChanged")
        return;
    if (*static_cast<const uint32_t*>(event.arg) != propertyId_)
        return;
    PostMessage(event.type == "PropertyChanged" ? kWmCurrentValueChanged : kWmAllowedValuesChanged);
}

const ui::MessageMap* CPropertyComboBox::GetMessageMap() const {
    static const ui::MessageMap map =
        ui::MessageMapBuilder<CPropertyComboBox>()
            .OnMessage(kWmCurrentValueChanged, &CPropertyComboBox::OnCurrentValueChanged)
            .OnMessage(kWmAllowedValuesChanged, &CPropertyComboBox::OnAllowedValuesChanged)
            .OnReflected(ui::kCbnSelChange, &CPropertyComboBox::OnSelectionChanged)
            .Build();
    return &map;
}

ui::LResult CPropertyComboBox::OnCurrentValueChanged(ui::WParam, ui::LParam) {
    if (camera::CameraModel* model = camera::currentModel)
        ShowCurrentValue(currentValue(*model));
    return 0;
}

ui::LResult CPropertyComboBox::OnAllowedValuesChanged(ui::WParam, ui::LParam) {
    if (camera::CameraModel* model = camera::currentModel) {
        const SdkPropertyDesc description = model->getPropertyDesc(propertyId_);
        LoadAllowedValues(description);
    }
    return 0;
}

void CPropertyComboBox::OnSelectionChanged() {
    const int index = GetCurSel();
    if (index < 0)
        return;  // nothing picked: there is no code to send
    firePick(GetItemData(index));
}

PropertyComboAction::PropertyComboAction(SdkPropertyId propertyId, const char* actionName)
    : CPropertyComboBox(propertyId) {
    setActionCommand(actionName);
}

void PropertyComboAction::update(camera::Observable*, camera::ModelEvent* event) {
    if (event != nullptr)
        postIfMine(*event);
}

void PropertyComboAction::firePick(uint32_t code) {
    uint32_t picked = code;  // valid only while the listeners run
    fireActionEvent(&picked);
}

}  // namespace talbex::controls
