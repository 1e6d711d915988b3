// The offline pages the program ships (resources/pages/*.htm), compiled into the program;
// the package also installs them as files beside the program's data.
#pragma once

#include <string_view>

namespace talbex::resources {

/// The page named "index_en.htm" or "index_cn.htm"; empty for any other name.
std::string_view ShippedPage(std::string_view name);

}  // namespace talbex::resources
