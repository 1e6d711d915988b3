#include "remote/save_folder.h"

#include "platform/os/file_io.h"

namespace talbex::remote {

std::optional<std::string> ReadSaveFolder(const std::string& programDirectory) {
    // One byte more than a path may hold tells a path that runs on.
    auto bytes = os::ReadFileStart(programDirectory + kSaveFolderFileName, kMaxSaveFolderBytes + 1);
    if (!bytes)
        return std::nullopt;
    return SaveFolderFromBytes(*bytes);
}

std::string SaveFolderFromBytes(std::string_view bytes) {
    bytes = bytes.substr(0, kMaxSaveFolderBytes + 1);
    const size_t end = bytes.find_first_of(std::string_view("\xFF\0", 2));
    if (end != std::string_view::npos)
        bytes = bytes.substr(0, end);
    if (bytes.size() > kMaxSaveFolderBytes)
        return std::string();
    return std::string(bytes);
}

bool WriteSaveFolder(const std::string& programDirectory, const std::string& folder) {
    if (folder.empty())
        return false;
    return os::ReplaceFile(programDirectory + kSaveFolderFileName, folder);
}

}  // namespace talbex::remote
