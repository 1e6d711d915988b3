// Walks over a directory tree to find or delete the pictures the camera transfers into
// the program's staging area (the program folder's tree).
//
// No walk changes the process's working directory: every path handed around is a full
// path. Trace lines go to the trace output. Deletion happens only inside the
// program folder. A walker belongs to the thread that made it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/os/local_time.h"

namespace talbex::shell {

/// Path of the program file → its folder: cut before the first "Debug", else before the
/// first "Release", else after the last '/'; a path without '/' stays as it is.
std::string StripBuildFolder(const std::string& path);

/// True when the non-empty `part` occurs in `text` (plain, case-sensitive).
bool ContainsText(std::string_view text, std::string_view part);

class CBrowseDir {
  public:
    /// Starts at the program folder (os::ProgramDirectory()).
    CBrowseDir();
    virtual ~CBrowseDir() = default;

    /// Called for every file the walk meets, with its full path; false stops the walk.
    virtual bool VisitFile(const std::string& path);
    /// Called for every folder the walk enters (full path with a trailing '/') and the
    /// folder it lies in (empty for the start folder).
    virtual void VisitDirectory(const std::string& path, const std::string& parent);

    /// rootDir := the absolute form of `dir` (unchanged when it has none), ending with '/'.
    void SetRootDir(const std::string& dir);

    /// Visits the files of `dir` (a folder path ending with '/') that match `pattern`, then
    /// walks each of its folders. "*.*" and "*" match every name; other patterns are shell
    /// wildcards. Folders reached through symbolic links are not entered, so a walk stays
    /// in its tree and always ends. False when a VisitFile asked to stop.
    bool Walk(const std::string& dir, const std::string& pattern);

    /// Where the time-name search takes "today" from (tests fix it); default: os::Now().
    void SetLocalTimeSource(std::function<os::LocalTime()> source);

    std::string rootDir;     // always ends with '/'
    int64_t newestTime = 0;  // last-write time, nanoseconds since 1970, of newestPath
    std::string newestName;
    std::string newestPath;
    bool found = false;  // the time-name search found a file

  protected:
    enum class FileTest { kNone, kNewestPicture, kPictureByTime, kDeletePicture };
    FileTest fileTest_ = FileTest::kNone;
    /// Real paths of the program folder and the start folder of a deleting walk.
    std::string deletionFence_;
    /// Files it answers true for are never deleted.
    std::function<bool(const std::string&)> keepFilter_;

  private:
    void ApplyFileTest(const std::string& name, const std::string& path, int64_t time);

    std::function<os::LocalTime()> localTime_;
    std::string todaysPrefix_;
};

/// The walker every user takes: counts files and folders while the searches run.
class CStatDir : public CBrowseDir {
  public:
    bool VisitFile(const std::string& path) override;
    void VisitDirectory(const std::string& path, const std::string& parent) override;

    // Each search walks the tree from `dir`; an empty `dir` is first set to the program
    // folder (written back to the caller). The start folder counts as a folder.
    /// Newest file (last-write time) whose name contains "IMG_"; of equal times the first
    /// met wins. Fills newestTime, newestName and newestPath; true when one was found.
    bool FindNewestPicture(std::string& dir);
    /// A file whose name contains today's prefix (TodaysPicturePrefix, taken anew in each
    /// folder); the last one met wins. Fills newestName and newestPath; answers `found`.
    bool FindPictureByTime(std::string& dir);
    /// Deletes every file whose name contains "IMG", unless the keep filter keeps it; one
    /// that cannot be deleted is left silently. Refused (false, nothing deleted) when
    /// `dir` is not inside the program folder or the program folder is "/" or the home
    /// folder.
    bool DeletePictures(std::string& dir);
    /// Pictures the filter answers true for (by full path) survive DeletePictures: the
    /// camera's transfers that have not yet reached the save folder.
    void SetKeepFilter(std::function<bool(const std::string&)> keep);

    uint32_t fileCount = 0;
    uint32_t dirCount = 0;

  private:
    void Begin(std::string& dir);
};

}  // namespace talbex::shell
