#include "sim_fixture.h"

#include <jpeglib.h>

#include <csetjmp>
#include <cstdio>
#include <fstream>
#include <iterator>

namespace talbex::sim::testing {

namespace {

constexpr auto kWait = std::chrono::seconds(2);

struct JpegError {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

void OnJpegError(j_common_ptr info) {
    std::longjmp(reinterpret_cast<JpegError*>(info->err)->jump, 1);
}

SdkError OnTestProgress(uint32_t percent, void* context, bool* cancel) {
    static_cast<std::vector<uint32_t>*>(context)->push_back(percent);
    *cancel = false;
    return kSdkOk;
}

}  // namespace

CameraSettings SmallCamera() {
    CameraSettings settings;
    settings.pictureSize = {320, 214};
    settings.liveViewSize = {256, 170};
    return settings;
}

// ---- EventLog -------------------------------------------------------------------------

EventLog::~EventLog() {
    for (const auto& e : events_) {
        if (e.object != nullptr)
            SdkRelease(e.object);
    }
}

void EventLog::Register(SdkCameraRef camera) {
    ASSERT_EQ(SdkSetPropertyEventHandler(camera, kPropertyEventAll, OnProperty, this), kSdkOk);
    ASSERT_EQ(SdkSetObjectEventHandler(camera, kObjectEventAll, OnObject, this), kSdkOk);
    ASSERT_EQ(SdkSetCameraStateEventHandler(camera, kStateEventAll, OnState, this), kSdkOk);
}

SdkError EventLog::OnProperty(SdkPropertyEvent event, SdkPropertyId id, uint32_t, void* ctx) {
    static_cast<EventLog*>(ctx)->Add({0x100, event, id, nullptr, std::this_thread::get_id()});
    return kSdkOk;
}

SdkError EventLog::OnObject(SdkObjectEvent event, SdkBaseRef object, void* ctx) {
    static_cast<EventLog*>(ctx)->Add({0x200, event, 0, object, std::this_thread::get_id()});
    return kSdkOk;
}

SdkError EventLog::OnState(SdkStateEvent event, uint32_t param, void* ctx) {
    static_cast<EventLog*>(ctx)->Add({0x300, event, param, nullptr, std::this_thread::get_id()});
    return kSdkOk;
}

void EventLog::Add(LoggedEvent e) {
    std::lock_guard lock(mutex_);
    events_.push_back(e);
    changed_.notify_all();
}

std::optional<LoggedEvent> EventLog::WaitFor(uint32_t event, uint32_t value) {
    std::unique_lock lock(mutex_);
    std::optional<LoggedEvent> found;
    changed_.wait_for(lock, kWait, [&] {
        for (const auto& e : events_) {
            if (e.event == event && e.value == value) {
                found = e;
                return true;
            }
        }
        return false;
    });
    return found;
}

std::optional<LoggedEvent> EventLog::WaitForEvent(uint32_t event) {
    std::unique_lock lock(mutex_);
    std::optional<LoggedEvent> found;
    changed_.wait_for(lock, kWait, [&] {
        for (const auto& e : events_) {
            if (e.event == event) {
                found = e;
                return true;
            }
        }
        return false;
    });
    return found;
}

SdkBaseRef EventLog::TakeObject(uint32_t event) {
    std::unique_lock lock(mutex_);
    SdkBaseRef object = nullptr;
    changed_.wait_for(lock, kWait, [&] {
        for (auto& e : events_) {
            if (e.event == event && e.object != nullptr) {
                std::swap(object, e.object);
                return true;
            }
        }
        return false;
    });
    return object;
}

bool EventLog::Has(uint32_t event, uint32_t value) {
    std::lock_guard lock(mutex_);
    for (const auto& e : events_) {
        if (e.event == event && e.value == value)
            return true;
    }
    return false;
}

void EventLog::Settle() {
    // Events of one call are posted before the call returns; a short quiet spell means
    // the event thread has delivered them.
    size_t before;
    do {
        before = Count();
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    } while (Count() != before);
}

size_t EventLog::Count() {
    std::lock_guard lock(mutex_);
    return events_.size();
}

void EventLog::Clear() {
    std::lock_guard lock(mutex_);
    for (const auto& e : events_) {
        if (e.object != nullptr)
            SdkRelease(e.object);
    }
    events_.clear();
}

// ---- SimCameraTest --------------------------------------------------------------------

void SimCameraTest::TearDown() {
    if (camera_ != nullptr) {
        SdkCloseSession(camera_);
        SdkRelease(camera_);
        camera_ = nullptr;
    }
    events_.Clear();
    while (SdkTerminate() == kSdkOk) {
    }
    SdkUseBackend(nullptr);
    EXPECT_EQ(SdkLiveReferenceCount(), 0u);
}

void SimCameraTest::Install(std::vector<CameraSettings> cameras) {
    backend_ = InstallSimulatedCameras(std::move(cameras));
    sim_ = backend_->Camera(0);
    ASSERT_EQ(SdkInitialize(), kSdkOk);
}

void SimCameraTest::Open(std::vector<CameraSettings> cameras) {
    Install(std::move(cameras));
    camera_ = CameraAt(0);
    ASSERT_NE(camera_, nullptr);
    events_.Register(camera_);
    ASSERT_EQ(SdkOpenSession(camera_), kSdkOk);
    // The tests start from what follows the session's announcements.
    events_.Settle();
    events_.Clear();
}

SdkCameraRef SimCameraTest::CameraAt(int index) {
    SdkCameraListRef list = nullptr;
    if (SdkGetCameraList(&list) != kSdkOk)
        return nullptr;
    SdkCameraRef camera = nullptr;
    SdkGetChildAtIndex(list, index, &camera);
    SdkRelease(list);
    return camera;
}

uint32_t SimCameraTest::ReadU32(SdkPropertyId id) {
    uint32_t value = 0xDEADBEEF;
    EXPECT_EQ(SdkGetPropertyData(camera_, id, 0, sizeof value, &value), kSdkOk) << std::hex << id;
    return value;
}

void SimCameraTest::StartLiveView() {
    ASSERT_EQ(WriteU32(kPropEvfMode, 1), kSdkOk);
    ASSERT_EQ(WriteU32(kPropEvfOutputDevice, kEvfOutputDeviceComputer), kSdkOk);
}

SdkError SimCameraTest::WriteU32(SdkPropertyId id, uint32_t value) {
    return SdkSetPropertyData(camera_, id, 0, sizeof value, &value);
}

SdkDirectoryItemRef SimCameraTest::TakePicture() {
    // As the program's session open does: pictures to the computer, which has room.
    if (WriteU32(kPropSaveTo, kSaveToHost) != kSdkOk ||
        SdkSetCapacity(camera_, SdkCapacity{0x7FFFFFFF, 0x1000, 1}) != kSdkOk)
        return nullptr;
    events_.Clear();
    if (SdkSendCommand(camera_, kCameraCommandTakePicture, 0) != kSdkOk)
        return nullptr;
    return events_.TakeObject(kObjectEventDirItemRequestTransfer);
}

std::vector<uint8_t> SimCameraTest::Transfer(SdkDirectoryItemRef item,
                                             std::vector<uint32_t>* progress) {
    SdkStreamRef stream = nullptr;
    EXPECT_EQ(SdkCreateMemoryStream(0, &stream), kSdkOk);
    EXPECT_EQ(SdkSetProgressCallback(stream, OnTestProgress, kProgressPeriodically, progress),
              kSdkOk);
    SdkDirectoryItemInfo info{};
    EXPECT_EQ(SdkGetDirectoryItemInfo(item, &info), kSdkOk);
    EXPECT_EQ(SdkDownload(item, info.size, stream), kSdkOk);
    EXPECT_EQ(SdkDownloadComplete(item), kSdkOk);
    const void* data = nullptr;
    uint64_t length = 0;
    SdkGetPointer(stream, &data);
    SdkGetLength(stream, &length);
    std::vector<uint8_t> bytes;
    if (data != nullptr)
        bytes.assign(static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + length);
    SdkRelease(stream);
    return bytes;
}

// ---- Pictures -------------------------------------------------------------------------

DecodedJpeg DecodeJpeg(const uint8_t* data, size_t size) {
    DecodedJpeg out;
    jpeg_decompress_struct info{};
    JpegError error{};
    info.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = OnJpegError;
    error.manager.output_message = [](j_common_ptr) {};
    if (setjmp(error.jump)) {
        jpeg_destroy_decompress(&info);
        return DecodedJpeg{};
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
    if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK) {
        jpeg_destroy_decompress(&info);
        return out;
    }
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    out.width = static_cast<int>(info.output_width);
    out.height = static_cast<int>(info.output_height);
    out.rgb.resize(static_cast<size_t>(out.width) * out.height * 3);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = out.rgb.data() + static_cast<size_t>(info.output_scanline) * out.width * 3;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    out.ok = true;
    return out;
}

namespace {

class TiffView {
  public:
    TiffView(const std::vector<uint8_t>& file, size_t base, bool little)
        : f_(file), base_(base), little_(little) {}

    bool Has(uint64_t offset, uint64_t n) const { return base_ + offset + n <= f_.size(); }
    uint16_t U16(uint64_t offset) const {
        const uint8_t* p = &f_[base_ + offset];
        return little_ ? static_cast<uint16_t>(p[0] | p[1] << 8)
                       : static_cast<uint16_t>(p[0] << 8 | p[1]);
    }
    uint32_t U32(uint64_t offset) const {
        const uint32_t a = U16(offset), b = U16(offset + 2);
        return little_ ? (a | b << 16) : (a << 16 | b);
    }
    struct Entry {
        uint16_t type;
        uint32_t count;
        uint32_t value;
        uint64_t valueAt;
    };
    std::map<uint16_t, Entry> Directory(uint32_t offset) const {
        std::map<uint16_t, Entry> entries;
        if (!Has(offset, 2))
            return entries;
        const uint16_t n = U16(offset);
        for (uint16_t i = 0; i < n; ++i) {
            const uint64_t at = offset + 2 + 12u * i;
            if (!Has(at, 12))
                break;
            entries.emplace(U16(at), Entry{U16(at + 2), U32(at + 4), U32(at + 8), at + 8});
        }
        return entries;
    }
    std::string Text(uint64_t offset, uint32_t count) const {
        if (!Has(offset, count))
            return {};
        std::string text(f_.begin() + static_cast<long>(base_ + offset),
                         f_.begin() + static_cast<long>(base_ + offset + count));
        return text.substr(0, text.find('\0'));
    }

  private:
    const std::vector<uint8_t>& f_;
    size_t base_;
    bool little_;
};

}  // namespace

ExifFindings WalkExif(const std::vector<uint8_t>& file) {
    ExifFindings found;
    if (file.size() < 20 || file[0] != 0xFF || file[1] != 0xD8 || file[2] != 0xFF ||
        file[3] != 0xE1)
        return found;
    found.app1AfterSoi = true;
    found.exifHeader =
        std::string(file.begin() + 6, file.begin() + 12) == std::string("Exif\0\0", 6);
    const size_t base = 12;
    found.littleEndian = file[base] == 'I' && file[base + 1] == 'I';
    const TiffView tiff(file, base, found.littleEndian);
    const auto main = tiff.Directory(tiff.U32(4));
    auto exifEntry = main.find(0x8769);
    if (exifEntry == main.end())
        return found;
    found.exifIfd = exifEntry->second.value;
    const auto exif = tiff.Directory(exifEntry->second.value);
    if (auto serial = exif.find(0xA431); serial != exif.end()) {
        found.bodySerialType = serial->second.type;
        const auto& e = serial->second;
        found.bodySerial =
            e.count > 4 ? tiff.Text(e.value, e.count) : tiff.Text(e.valueAt, e.count);
    }
    auto makerEntry = exif.find(0x927C);
    if (makerEntry == exif.end())
        return found;
    found.makerNoteIfd = makerEntry->second.value;
    const auto maker = tiff.Directory(makerEntry->second.value);
    if (auto serial = maker.find(0x000C); serial != maker.end()) {
        found.makerSerialType = serial->second.type;
        found.makerSerialCount = serial->second.count;
        found.makerSerial = serial->second.value;
    }
    return found;
}

std::vector<uint8_t> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

}  // namespace talbex::sim::testing
