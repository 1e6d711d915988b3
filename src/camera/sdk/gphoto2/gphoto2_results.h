// libgphoto2's result codes as the boundary's: what a failed call answers, and whether
// the failure means the camera is gone or only that it refused.
#pragma once

#include "camera/sdk/sdk_types.h"

namespace talbex::gphoto {

enum class Failure {
    kNone,     // success
    kRefused,  // the camera answered and said no
    kLost,     // the connection to the camera broke: it is unplugged, off or out of reach
    kUnclear,  // a general error: the camera may have refused, or be gone
};

struct ResultMapping {
    int result;  // a GP_ result code
    SdkError error;
    Failure failure;
};

/// The boundary's code and the kind of failure of a libgphoto2 result.
ResultMapping MapResult(int result);

}  // namespace talbex::gphoto
