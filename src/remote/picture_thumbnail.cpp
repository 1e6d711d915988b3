#include "remote/picture_thumbnail.h"

#include "platform/os/file_io.h"
#include "platform/raster/jpeg_decoder.h"
#include "platform/ui/message_queue.h"

namespace talbex::remote {

PictureThumbnail::~PictureThumbnail() {
    Stop();
}

void PictureThumbnail::Request(const std::string& path, int width, int height,
                               ui::WindowHandle window, ui::MessageId message) {
    {
        std::lock_guard lock(mutex_);
        if (stopping_)
            return;
        next_ = Job{path, width, height, window, message, ++requested_};
    }
    wake_.notify_one();
    if (!thread_.joinable())
        thread_ = std::thread([this] { Run(); });
}

std::optional<PictureThumbnail::Result> PictureThumbnail::Take() {
    std::lock_guard lock(mutex_);
    return std::exchange(done_, std::nullopt);
}

void PictureThumbnail::Stop() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        next_.reset();
    }
    wake_.notify_one();
    if (thread_.joinable())
        thread_.join();
}

void PictureThumbnail::Run() {
    for (;;) {
        Job job;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [&] { return stopping_ || next_.has_value(); });
            if (stopping_)
                return;
            job = std::move(*next_);
            next_.reset();
        }
        raster::Bitmap picture = Make(job);
        {
            std::lock_guard lock(mutex_);
            if (stopping_)
                return;
            if (job.number != requested_)
                continue;  // a newer picture is wanted
            done_ = Result{job.path, std::move(picture)};
        }
        ui::windows::Post(job.window, job.message, 0, 0);
    }
}

raster::Bitmap PictureThumbnail::Make(const Job& job) {
    raster::Bitmap picture;
    // A RAW file or anything else is not read whole to find that out.
    const std::optional<std::string> start = os::ReadFileStart(job.path, 2);
    if (!start || *start != "\xFF\xD8")
        return picture;
    const std::optional<std::string> bytes =
        os::ReadRegularFile(job.path, kMaxThumbnailSourceBytes);
    if (!bytes)
        return picture;
    const auto* data = reinterpret_cast<const uint8_t*>(bytes->data());
    int width = 0, height = 0;
    if (!raster::JpegSize(data, bytes->size(), &width, &height))
        return picture;
    int denominator = 8;
    while (denominator > 1 &&
           (width / denominator < job.width || height / denominator < job.height))
        denominator /= 2;
    raster::JpegDecoder decoder;
    if (!decoder.DecodeScaled(data, bytes->size(), denominator, picture))
        picture = raster::Bitmap();
    return picture;
}

}  // namespace talbex::remote
