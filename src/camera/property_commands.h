// Moving property values and allowed-value descriptions between camera and model.
//
// Reads update the model and announce each property ("PropertyChanged",
// "PropertyDescChanged"); writes leave the model alone: the camera answers a change
// with a property event, which becomes a fresh read.
#pragma once

#include "camera/command.h"

namespace talbex::camera {

/// Reads one property, or the seven displayed ones for kPropAllDisplayed.
class GetPropertyCommand : public Command {
  public:
    GetPropertyCommand(CameraModel* model, SdkPropertyId id) : Command(model), id_(id) {}
    bool execute() override;

  private:
    SdkError readProperty(SdkPropertyId id);
    SdkPropertyId id_;
};

/// Reads one description, or those of the seven displayed properties for kPropAllDisplayed.
class GetPropertyDescCommand : public Command {
  public:
    GetPropertyDescCommand(CameraModel* model, SdkPropertyId id) : Command(model), id_(id) {}
    bool execute() override;

  private:
    SdkError readDesc(SdkPropertyId id);
    SdkPropertyId id_;
};

/// Writes one value: `unsigned long` as a 32-bit value, `tagSdkPoint` as x then y.
template <typename T>
class SetPropertyCommand : public Command {
  public:
    SetPropertyCommand(CameraModel* model, SdkPropertyId id, T value)
        : Command(model), id_(id), value_(value) {}
    bool execute() override;

    SdkPropertyId getPropertyId() const { return id_; }
    T getValue() const { return value_; }

  private:
    SdkPropertyId id_;
    T value_;
};

extern template class SetPropertyCommand<unsigned long>;
extern template class SetPropertyCommand<tagSdkPoint>;

/// Runs `read` for each displayed property in the fixed order, stopping at the first failure.
template <typename Read>
SdkError forEachDisplayedProperty(Read read) {
    static constexpr SdkPropertyId kOrder[] = {kPropAeMode,       kPropTv,
                                               kPropAv,           kPropIsoSpeed,
                                               kPropMeteringMode, kPropExposureCompensation,
                                               kPropImageQuality};
    for (SdkPropertyId id : kOrder) {
        if (SdkError result = read(id))
            return result;
    }
    return kSdkOk;
}

}  // namespace talbex::camera
