// The eight property lists of the remote-control window. They differ only in the
// property they watch, the model value they show, their action name and their labels.
#pragma once

#include "controls/property_combo_box.h"

namespace talbex::controls {

/// Shooting mode (0x436), "set_AEMode". Labels come with LoadLabels.
class CAEMode : public PropertyComboAction {
  public:
    CAEMode();
    /// Fills the label table in the host's language; the list stays as it is. Call once,
    /// while the host initialises, before camera notifications are handled.
    void LoadLabels(int language);

  protected:
    uint32_t currentValue(const camera::CameraModel& model) const override;
};

/// Shutter speed (0x406), "set_Tv".
class CTv : public PropertyComboAction {
  public:
    CTv();

  protected:
    uint32_t currentValue(const camera::CameraModel& model) const override;
};

/// Aperture (0x405), "set_Av".
class CAv : public PropertyComboAction {
  public:
    CAv();

  protected:
    uint32_t currentValue(const camera::CameraModel& model) const override;
};

/// ISO speed (0x402), "set_ISOSpeed".
class CIso : public PropertyComboAction {
  public:
    CIso();

  protected:
    uint32_t currentValue(const camera::CameraModel& model) const override;
};

/// Metering mode (0x403), "set_MeteringMode".
class CMeteringMode : public PropertyComboAction {
  public:
    CMeteringMode();

  protected:
    uint32_t currentValue(const camera::CameraModel& model) const override;
};

/// Exposure compensation (0x407), "set_ExposureCompensation".
class CExposureComp : public PropertyComboAction {
  public:
    CExposureComp();

  protected:
    uint32_t currentValue(const camera::CameraModel& model) const override;
};

/// Image quality (0x100), "set_ImageQuality".
class CImageQuality : public PropertyComboAction {
  public:
    CImageQuality();

  protected:
    uint32_t currentValue(const camera::CameraModel& model) const override;
};

/// Live-view AF mode (0x50E), "set_EvfAFMode". Labels come with LoadLabels.
class CEvfAFMode : public PropertyComboAction {
  public:
    CEvfAFMode();
    /// Fills the label table in the host's language and offers all four modes in the
    /// list (added the ordinary way, so a sorted list shows them alphabetically) until
    /// the camera's first description replaces them.
    void LoadLabels(int language);

  protected:
    uint32_t currentValue(const camera::CameraModel& model) const override;
};

}  // namespace talbex::controls
