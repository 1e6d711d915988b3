// A drop-down list bound to one camera property: it shows the label of the property's
// current value, offers the values the camera allows now, and turns a pick into an action
// event carrying the picked code.
//
// Threads: the camera model notifies on the worker thread; the combo then only posts
// itself WM_APP+1 (current value changed) or WM_APP+2 (allowed values changed). The
// handlers run on the window thread, read the model through `currentModel` and change
// the list; picks fire their action there too. The label table is filled before the
// worker starts and only read afterwards.
#pragma once

#include <cstdint>
#include <optional>

#include "camera/action_source.h"
#include "camera/camera_model.h"
#include "camera/observable.h"
#include "camera/sdk/sdk_types.h"
#include "controls/property_label_tables.h"
#include "platform/ui/window.h"

namespace talbex::controls {

inline constexpr ui::MessageId kWmCurrentValueChanged = ui::kWmApp + 1;
inline constexpr ui::MessageId kWmAllowedValuesChanged = ui::kWmApp + 2;

class CPropertyComboBox : public ui::Window {
  public:
    using LabelTable = controls::LabelTable;

    /// Shows the label of `code` in the edit field; an unknown code leaves it unchanged.
    void ShowCurrentValue(uint32_t code);
    /// Rebuilds the list from the allowed values, in the camera's order, leaving out
    /// values without a label; keeps the edit field's text; disables the list when the
    /// camera allows nothing.
    void LoadAllowedValues(const SdkPropertyDesc& description);

    /// The (code, label) pairs, for hosts that fill lists of their own from them.
    const LabelTable& labels() const { return labels_; }
    SdkPropertyId propertyId() const { return propertyId_; }

  protected:
    explicit CPropertyComboBox(SdkPropertyId propertyId) : propertyId_(propertyId) {}

    void addLabel(uint32_t code, const char* label) { labels_[code] = label; }

    /// The model's current value of this combo's property.
    virtual uint32_t currentValue(const camera::CameraModel& model) const = 0;
    /// Fires the pick as an action event.
    virtual void firePick(uint32_t code) = 0;

    /// The notification part every concrete class shares: posts WM_APP+1 on
    /// "PropertyChanged" and WM_APP+2 on "PropertyDescChanged" for this property.
    void postIfMine(const camera::ModelEvent& event);

    const ui::MessageMap* GetMessageMap() const override;

  private:
    ui::LResult OnCurrentValueChanged(ui::WParam, ui::LParam);
    ui::LResult OnAllowedValuesChanged(ui::WParam, ui::LParam);
    void OnSelectionChanged();

    const SdkPropertyId propertyId_;
    LabelTable labels_;
    std::optional<uint32_t> current_;  // the last value shown (window thread)
};

/// What the eight property classes have in common beyond the base: they are action
/// sources named after their property and observers of the camera model.
class PropertyComboAction : public CPropertyComboBox,
                            public camera::ActionSource,
                            public camera::Observer {
  public:
    void update(camera::Observable* from, camera::ModelEvent* event) override;

  protected:
    PropertyComboAction(SdkPropertyId propertyId, const char* actionName);
    void firePick(uint32_t code) override;
};

}  // namespace talbex::controls
