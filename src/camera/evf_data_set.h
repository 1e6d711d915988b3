// One downloaded live-view frame, the argument of "EvfDataChanged".
#pragma once

#include <cstdint>

#include "camera/sdk/sdk_types.h"

namespace talbex::camera {

struct EvfDataSet {
    /// Holds the JPEG frame; valid only during the notification (SdkGetPointer, SdkGetLength).
    SdkStreamRef stream;
    uint32_t zoom;                         // 0x507: 1 whole frame, 5 five-fold
    SdkRect zoomRect;                      // 0x541
    tagSdkPoint imagePosition;             // 0x50B
    uint32_t histogram[kHistogramValues];  // 0x50A
    SdkSize coordinateSystem;              // 0x540: the coordinate system size
};

}  // namespace talbex::camera
