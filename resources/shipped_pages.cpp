#include "resources/shipped_pages.h"

// resources/pages/*.htm, embedded at build time (cmake/EmbedText.cmake).
namespace talbex::resources::page_text {
extern const char index_en[];
extern const char index_cn[];
}  // namespace talbex::resources::page_text

namespace talbex::resources {

std::string_view ShippedPage(std::string_view name) {
    if (name == "index_en.htm")
        return page_text::index_en;
    if (name == "index_cn.htm")
        return page_text::index_cn;
    return {};
}

}  // namespace talbex::resources
