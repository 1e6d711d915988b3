// Reading and writing the program's own small files (settings, scripts, "log.txt",
// "ver.htm", "saveto.txt", the offline pages) so that no file can hang, flood or trick
// the program: reads never block on a FIFO or device and stop at a size limit; writes
// never follow a link placed where the file should be, check every byte, and replace a
// file through a temporary one, so a crash or a full disk never leaves half a file.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace talbex::os {

/// The largest settings file or script the program reads.
inline constexpr size_t kMaxTextFileBytes = 4u << 20;

/// The whole content of a regular file of at most `maxBytes` bytes. Nothing, with the
/// reason in `error` (when given), for a missing file, a folder, a FIFO or device (never
/// waited on), a file larger than `maxBytes`, or a read error. Links are followed.
std::optional<std::string> ReadRegularFile(const std::string& path, size_t maxBytes,
                                           std::string* error = nullptr);

/// The first `count` bytes (fewer when the file is shorter) of a regular file, with the
/// same refusals as ReadRegularFile except the size.
std::optional<std::string> ReadFileStart(const std::string& path, size_t count,
                                         std::string* error = nullptr);

/// Replaces `path` with `bytes`: written to a new temporary file in the same folder
/// (never following a link, every write checked, flushed to disk), then renamed over
/// `path`. A link at `path` is replaced itself; its target is never written. On failure
/// `path` is unchanged and the temporary file is gone.
bool ReplaceFile(const std::string& path, std::string_view bytes, std::string* error = nullptr,
                 mode_t mode = 0644);

/// Creates `path` with `bytes` only when nothing (not even a dangling link) is there yet;
/// written through a temporary file, so it appears whole or not at all. False with the
/// reason when something is there or the write fails.
bool CreateNewFile(const std::string& path, std::string_view bytes, std::string* error = nullptr,
                   mode_t mode = 0644);

/// Puts the bytes of the regular file at `path` on disk (fsync), never through a link.
/// False when it cannot be opened or flushed.
bool FlushToDisk(const std::string& path);

/// Writes all of `bytes` to an open descriptor, retrying short writes and interruptions.
/// False with errno set on the first real error (a full disk included).
bool WriteAll(int fd, std::string_view bytes);

}  // namespace talbex::os
