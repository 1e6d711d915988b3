// The folder pictures are saved to, remembered between runs in "saveto.txt" in the
// program folder: the path's bytes and nothing else (no terminator, no line break).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace talbex::remote {

inline constexpr char kSaveFolderFileName[] = "saveto.txt";
/// The longest save folder path, in bytes.
inline constexpr size_t kMaxSaveFolderBytes = 255;
/// The folder chooser's title, the same in both languages (three blanks at the end).
inline constexpr char kSaveFolderChooserTitle[] = "照片保存路径:   ";

/// The remembered folder: the file's bytes up to the first 0xFF byte (or zero byte); a
/// line break is part of the path like any other byte. Nothing when the file cannot be
/// read. Empty when the path runs past kMaxSaveFolderBytes: cut short it would name
/// another folder.
std::optional<std::string> ReadSaveFolder(const std::string& programDirectory);

/// The folder that the bytes read from "saveto.txt" name (at most kMaxSaveFolderBytes + 1
/// of them are looked at), by the rules of ReadSaveFolder.
std::string SaveFolderFromBytes(std::string_view bytes);

/// Writes `folder` byte for byte, replacing the file through a temporary one so a crash
/// never leaves half a path; an empty folder is never written. False when it could not
/// be written.
bool WriteSaveFolder(const std::string& programDirectory, const std::string& folder);

}  // namespace talbex::remote
