#include "info/camera_texts.h"

#include "camera/sdk/sdk.h"

namespace talbex::info {

std::string CutToCameraText(const std::string& text) {
    if (text.size() <= kMaxCameraTextBytes)
        return text;
    size_t end = kMaxCameraTextBytes;
    // Back up over continuation bytes (10xxxxxx) to the start of the character that
    // would be split.
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    return text.substr(0, end);
}

SdkError WriteCameraText(SdkCameraRef camera, SdkPropertyId id, const std::string& text) {
    // c_str() carries the zero; the size counts it.
    return SdkSetPropertyData(camera, id, 0, static_cast<uint32_t>(text.size() + 1), text.c_str());
}

}  // namespace talbex::info
