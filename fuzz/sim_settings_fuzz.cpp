// Any bytes as the simulated camera's settings file: a file with an error names itself and
// its line and leaves the cameras as they were; one that is read keeps every text within
// what the camera holds; a byte-order mark in front changes nothing.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "camera/sdk/sim/settings_file.h"

using talbex::sim::CameraSettings;

namespace {

bool TextFits(const std::optional<std::string>& text) {
    return !text || text->size() <= talbex::sim::kMaxCameraText;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::vector<CameraSettings> cameras(1);
    cameras[0].model = "untouched";
    std::string error;
    const bool read = talbex::sim::ParseSettings(text, "fuzz.ini", &cameras, &error);
    if (!read) {
        if (error.rfind("fuzz.ini:", 0) != 0 || cameras.size() != 1 ||
            cameras[0].model != "untouched")
            __builtin_trap();
    } else {
        for (const CameraSettings& c : cameras) {
            for (const auto* t : {&c.model, &c.lens, &c.serial, &c.owner, &c.artist, &c.copyright,
                                  &c.firmware, &c.currentFolder}) {
                if (!TextFits(*t))
                    __builtin_trap();
            }
            if (c.liveViewSize.width < 16 || c.pictureSize.width < 16 ||
                c.liveViewSize.height > 4096 || c.pictureSize.height > 8192)
                __builtin_trap();
            for (const auto& fault : c.faults) {
                if (fault.count == 0)
                    __builtin_trap();
            }
        }
    }
    if (text.rfind("\xEF\xBB\xBF", 0) != 0) {
        std::vector<CameraSettings> marked;
        std::string markedError;
        const bool readMarked = talbex::sim::ParseSettings("\xEF\xBB\xBF" + std::string(text),
                                                           "fuzz.ini", &marked, &markedError);
        if (readMarked != read || marked.size() != (read ? cameras.size() : 0) ||
            markedError != (read ? "" : error))
            __builtin_trap();
    }
    return 0;
}
