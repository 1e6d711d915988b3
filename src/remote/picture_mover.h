// Brings the pictures the camera sent from the incoming folder to the user's save folder,
// in two steps that each move a file without ever replacing one:
//   1. a camera picture (any visible regular file under the camera's own name:
//      "IMG_0001.JPG", the Adobe RGB "_MG_0001.JPG", "IMG_0001.RAW") gets its dated name
//      (dated_picture_name.h) and stays in the incoming folder;
//   2. a dated picture moves into the save folder under that name, numbered on a clash,
//      across file systems too (os::MoveWithoutReplacing).
// Hidden names are transfers still being written and are never touched, and nothing here
// deletes a picture: it leaves the incoming folder only by arriving in the save folder.
// Dated pictures of any day move on, so pictures kept from an earlier run are not
// stranded. Used on one thread (the remote-control window's).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/os/file_move.h"
#include "platform/os/local_time.h"

namespace talbex::remote {

class PictureMover {
  public:
    /// `incomingFolder` is a full path; a trailing '/' is optional.
    explicit PictureMover(std::string incomingFolder);

    /// Where step 2 moves pictures; empty: nowhere yet (they wait).
    void setSaveFolder(std::string folder) { saveFolder_ = std::move(folder); }
    const std::string& saveFolder() const { return saveFolder_; }
    const std::string& incomingFolder() const { return incoming_; }

    struct Waiting {
        std::vector<std::string> cameraNames;  // oldest first
        std::vector<std::string> datedNames;   // in the order taken
        size_t count() const { return cameraNames.size() + datedNames.size(); }
    };
    Waiting waiting() const;

    /// Step 1 for the newest camera picture (latest modification time; of equal times the
    /// first listed). False when there is none or it cannot be renamed now.
    bool nameNewest(const os::LocalTime& now);
    /// Step 1 for every camera picture, oldest first; answers how many got their name.
    int nameAll(const os::LocalTime& now);

    struct Delivery {
        int moved = 0;
        std::vector<std::string> arrived;    // full paths in the save folder
        std::optional<std::string> refusal;  // why the save folder took no more
    };
    /// Step 2 for every dated picture, in the order taken, while the save folder takes
    /// them: a failure stops the round and leaves that picture and the later ones
    /// waiting for the next one. Nothing happens without a save folder; a relative path
    /// is refused (it would put pictures wherever the program happens to run).
    Delivery moveDated();

  private:
    struct Entry {
        std::string name;
        int64_t time = 0;
    };
    std::vector<Entry> list() const;
    bool name(const Entry& entry, const os::LocalTime& now);

    std::string incoming_;  // ends with '/'
    std::string saveFolder_;
};

}  // namespace talbex::remote
