#include "resources/icons.h"

// resources/icons/*.svg, embedded at build time (cmake/EmbedText.cmake).
namespace talbex::resources::icon_text {
extern const char talbex[];
extern const char talbex_small_cn[];
extern const char talbex_small_en[];
}  // namespace talbex::resources::icon_text

namespace talbex::resources {

std::string_view IconSvg(int resourceId) {
    switch (resourceId) {
        case kBigIconId:
            return icon_text::talbex;
        case kSmallChineseIconId:
            return icon_text::talbex_small_cn;
        case kSmallEnglishIconId:
            return icon_text::talbex_small_en;
        default:
            return {};
    }
}

}  // namespace talbex::resources
