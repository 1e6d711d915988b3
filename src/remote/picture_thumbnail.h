// Thumbnails of the pictures that reach the save folder, made on a thread of their own so
// that reading and decoding a picture of many megabytes never holds up the live view.
// The window asks for one (Request) and is told with a posted message when it is ready;
// it then takes it (Take). Only the newest request counts: one made meanwhile replaces an
// older one not yet begun, and a finished older one is dropped.
//
// Threads: Request, Take and Stop belong to the window thread; the maker's own thread
// reads and decodes. The picture decoded is at least the size asked for (libjpeg scales
// while decoding, by 1/2, 1/4 or 1/8), never the whole picture when less will do.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>

#include "platform/raster/bitmap.h"
#include "platform/ui/message_queue.h"
#include "platform/ui/messages.h"

namespace talbex::remote {

/// Pictures larger than this are not read for a thumbnail.
inline constexpr size_t kMaxThumbnailSourceBytes = 512u << 20;

class PictureThumbnail {
  public:
    PictureThumbnail() = default;
    ~PictureThumbnail();
    PictureThumbnail(const PictureThumbnail&) = delete;
    PictureThumbnail& operator=(const PictureThumbnail&) = delete;

    /// A thumbnail of the picture at `path`, at least `width` x `height` where the picture
    /// has that many pixels; when done, `message` is posted to `window`.
    void Request(const std::string& path, int width, int height, ui::WindowHandle window,
                 ui::MessageId message);

    struct Result {
        std::string path;
        raster::Bitmap picture;  // empty: no thumbnail (not a JPEG picture, unreadable)
    };
    /// The newest result, once; nothing before it is ready.
    std::optional<Result> Take();

    /// Ends the thread after the decoding under way, if any. Also done on destruction.
    void Stop();

  private:
    struct Job {
        std::string path;
        int width = 0;
        int height = 0;
        ui::WindowHandle window = 0;
        ui::MessageId message = 0;
        uint64_t number = 0;
    };
    void Run();
    static raster::Bitmap Make(const Job& job);

    std::mutex mutex_;
    std::condition_variable wake_;
    std::optional<Job> next_;     // guarded by mutex_
    std::optional<Result> done_;  // guarded by mutex_
    uint64_t requested_ = 0;      // guarded by mutex_: the newest request's number
    bool stopping_ = false;       // guarded by mutex_
    std::thread thread_;          // window thread
};

}  // namespace talbex::remote
