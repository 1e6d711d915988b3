// Any bytes in "saveto.txt": the folder taken from them is at most 255 bytes, holds no
// 0xFF or zero byte, and reads back as itself once written.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "remote/save_folder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace talbex::remote;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::string folder = SaveFolderFromBytes(bytes);
    if (folder.size() > kMaxSaveFolderBytes ||
        folder.find_first_of(std::string_view("\xFF\0", 2)) != std::string::npos)
        __builtin_trap();
    if (SaveFolderFromBytes(folder) != folder)
        __builtin_trap();
    return 0;
}
