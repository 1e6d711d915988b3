#include "app/demo.h"

#include <dirent.h>
#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <string>

#include "camera/sdk/sdk.h"
#include "camera/sdk/sdk_backend.h"
#include "platform/os/file_io.h"
#include "platform/os/program_directory.h"

namespace talbex::app {

namespace {

constexpr auto kPictureWait = std::chrono::seconds(10);

// The picture announced by the camera's event thread, handed to the main thread.
struct Arrival {
    std::mutex mutex;
    std::condition_variable arrived;
    SdkDirectoryItemRef item = nullptr;
};

SdkError OnObjectEvent(SdkObjectEvent event, SdkBaseRef object, void* context) {
    auto* arrival = static_cast<Arrival*>(context);
    if (event != kObjectEventDirItemRequestTransfer || object == nullptr) {
        SdkRelease(object);
        return kSdkOk;
    }
    std::lock_guard lock(arrival->mutex);
    if (arrival->item != nullptr)
        SdkRelease(arrival->item);  // keep only the newest
    arrival->item = object;
    arrival->arrived.notify_all();
    return kSdkOk;
}

struct ProgressLine {
    std::FILE* out;
    int shown = -1;  // the last quarter printed
};

// Prints 0%, 25%, 50%, 75% and 100% as the transfer passes them.
SdkError OnProgress(uint32_t percent, void* context, bool* outCancel) {
    auto* line = static_cast<ProgressLine*>(context);
    const int quarter = static_cast<int>(percent / 25);
    if (quarter > line->shown) {
        line->shown = quarter;
        std::fprintf(line->out, quarter >= 4 ? " %u%%\n" : " %u%%", quarter * 25);
    }
    *outCancel = false;
    return kSdkOk;
}

std::string Text(SdkCameraRef camera, SdkPropertyId id) {
    SdkDataType type = 0;
    uint32_t size = 0;
    if (SdkGetPropertySize(camera, id, 0, &type, &size) != kSdkOk || type != kDataTypeString ||
        size == 0 || size > 256)
        return "(not readable)";
    char text[256] = {};
    if (SdkGetPropertyData(camera, id, 0, size, text) != kSdkOk)
        return "(not readable)";
    text[sizeof text - 1] = '\0';
    return text[0] != '\0' ? std::string(text) : std::string("(empty)");
}

std::string Number(SdkCameraRef camera, SdkPropertyId id) {
    uint32_t value = 0;
    if (SdkGetPropertyData(camera, id, 0, sizeof value, &value) != kSdkOk)
        return "(not readable)";
    return std::to_string(value);
}

// `folder` + `name`, or, when something (a file, a link) is there already, the first of
// NAME_1.EXT, NAME_2.EXT, ... that is free: a picture never replaces one of the user's.
std::string FreePath(const std::string& folder, const std::string& name) {
    const size_t dot = name.rfind('.');
    const std::string stem = dot == std::string::npos ? name : name.substr(0, dot);
    const std::string extension = dot == std::string::npos ? "" : name.substr(dot);
    std::string path = folder + name;
    struct stat st {};
    for (int n = 1; n < 1000 && ::lstat(path.c_str(), &st) == 0; ++n)
        path = folder + stem + "_" + std::to_string(n) + extension;
    return path;
}

// libgphoto2 lists its camera drivers by loading every one of them and unloading it again.
// In a program that has the C++ library loaded from the start (this one), the image
// libraries a few drivers need (libgd with its codecs) then go with each such driver and
// come back with the next, each time with all their relocations; the gphoto2 command
// keeps them by accident. Loading every driver once here, and keeping them for the run,
// makes libgphoto2's loads cheap. Only for cameras reached through libgphoto2.
void KeepCameraDriversLoaded() {
    const char* choice = std::getenv("TALBEX_CAMERA");
    const std::string camera = choice != nullptr ? choice : "";
    if (!camera.empty() && camera != "gphoto2" && camera.rfind("gphoto2:", 0) != 0)
        return;
    const char* named = std::getenv("CAMLIBS");  // where libgphoto2 itself looks first
    const std::string folder = named != nullptr && *named != '\0' ? named : TALBEX_GPHOTO2_DRIVERS;
    DIR* listing = ::opendir(folder.c_str());
    if (listing == nullptr)
        return;
    while (const dirent* entry = ::readdir(listing)) {
        const std::string name = entry->d_name;
        if (name.size() > 3 && name.compare(name.size() - 3, 3, ".so") == 0)
            ::dlopen((folder + "/" + name).c_str(), RTLD_LAZY | RTLD_LOCAL);  // kept for the run
    }
    ::closedir(listing);
}

std::string ClockText(SdkCameraRef camera) {
    SdkTime time{};
    if (SdkGetPropertyData(camera, kPropDateTime, 0, sizeof time, &time) != kSdkOk)
        return "(not readable)";
    char text[64];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", time.year, time.month,
                  time.day, time.hour, time.minute, time.second);
    return text;
}

class Demo {
  public:
    Demo(std::FILE* out, std::FILE* err) : out_(out), err_(err) {}
    ~Demo() {
        if (session_)
            SdkCloseSession(camera_);
        if (camera_ != nullptr)
            SdkRelease(camera_);
        // Ending the library stops its event thread and frees a picture nobody took.
        if (initialized_)
            SdkTerminate();
    }

    int Run() {
        std::string problem;
        if (!os::EnsureProgramDirectory(&problem))
            return Fail(problem);
        KeepCameraDriversLoaded();
        if (SdkInitialize() != kSdkOk)
            return Fail("The camera library could not be opened: " + SdkLastInitializeError());
        initialized_ = true;
        if (!FindCamera())
            return 1;
        PrintIdentity();
        return TakeAndTransfer();
    }

  private:
    int Fail(const std::string& message) {
        std::fprintf(err_, "talbex: %s\n", message.c_str());
        return 1;
    }
    int Fail(const char* what, SdkError code) {
        std::fprintf(err_, "talbex: %s failed (code 0x%X)\n", what, code);
        return 1;
    }

    bool FindCamera() {
        SdkCameraListRef list = nullptr;
        int32_t count = 0;
        SdkError e = SdkGetCameraList(&list);
        if (e == kSdkOk)
            e = SdkGetChildCount(list, &count);
        if (e == kSdkOk && count > 0)
            e = SdkGetChildAtIndex(list, 0, &camera_);
        SdkRelease(list);
        if (e != kSdkOk) {
            Fail("Looking for a camera", e);
            return false;
        }
        if (count == 0) {
            Fail("Cannot detect camera.");
            return false;
        }
        if ((e = SdkGetDeviceInfo(camera_, &info_)) != kSdkOk) {
            Fail("Reading the device information", e);
            return false;
        }
        if ((e = SdkOpenSession(camera_)) != kSdkOk) {
            Fail("Opening the camera session", e);
            return false;
        }
        session_ = true;
        std::fprintf(out_, "Camera found on %s (%d attached).\n", info_.portName, count);
        return true;
    }

    void PrintIdentity() {
        uint32_t shutter = 0;
        const std::string shutterText = SdkGetShutterCount(camera_, &shutter) == kSdkOk
                                            ? std::to_string(shutter)
                                            : std::string("(not kept)");
        const struct {
            const char* label;
            std::string value;
        } rows[] = {
            {"Model", Text(camera_, kPropProductName)},
            {"Lens", Text(camera_, kPropLensName)},
            {"Serial number", Text(camera_, kPropBodySerial)},
            {"Shutter count", shutterText},
            {"Firmware", Text(camera_, kPropFirmwareVersion)},
            {"Owner", Text(camera_, kPropOwnerName)},
            {"Artist", Text(camera_, kPropArtist)},
            {"Copyright", Text(camera_, kPropCopyright)},
            {"Battery level", Number(camera_, kPropBatteryLevel)},
            {"Camera clock", ClockText(camera_)},
            {"Protocol", info_.deviceSubType == 0 ? "legacy" : "current"},
        };
        for (const auto& row : rows)
            std::fprintf(out_, "  %-14s %s\n", row.label, row.value.c_str());
    }

    int TakeAndTransfer() {
        SdkError e = SdkSetObjectEventHandler(camera_, kObjectEventAll, OnObjectEvent, &arrival_);
        if (e != kSdkOk)
            return Fail("Registering for pictures", e);
        const uint32_t host = kSaveToHost;
        if ((e = SdkSetPropertyData(camera_, kPropSaveTo, 0, sizeof host, &host)) != kSdkOk)
            return Fail("Sending pictures to the computer", e);
        if (info_.deviceSubType != 0) {
            // Current cameras want to know the room on the computer before they send.
            SdkSetCapacity(camera_, SdkCapacity{0x7FFFFFFF, 0x1000, 1});
        }
        std::fprintf(out_, "Taking a picture...\n");
        if ((e = SdkSendCommand(camera_, kCameraCommandTakePicture, 0)) != kSdkOk)
            return Fail("Taking the picture", e);

        SdkDirectoryItemRef item = nullptr;
        {
            std::unique_lock lock(arrival_.mutex);
            arrival_.arrived.wait_for(lock, kPictureWait, [&] { return arrival_.item != nullptr; });
            std::swap(item, arrival_.item);
        }
        if (item == nullptr)
            return Fail("The camera sent no picture.");
        const int status = Transfer(item);
        SdkRelease(item);
        return status;
    }

    int Transfer(SdkDirectoryItemRef item) {
        SdkDirectoryItemInfo info{};
        SdkError e = SdkGetDirectoryItemInfo(item, &info);
        if (e != kSdkOk)
            return Fail("Reading the picture's information", e);
        info.fileName[sizeof info.fileName - 1] = '\0';
        const std::string name = info.fileName;
        if (name.empty() || name.find('/') != std::string::npos || name == "." || name == "..")
            return Fail("The camera named its picture '" + name + "'; not saved.");
        const std::string path = FreePath(os::ProgramDirectory(), name);
        std::fprintf(out_, "Transferring %s (%u bytes)...\n", name.c_str(), info.size);
        ProgressLine progress{out_};
        SdkStreamRef stream = nullptr;
        // Created new: never through a link, never over a file that appeared meanwhile.
        e = SdkCreateFileStream(path.c_str(), kFileCreateNew, kAccessReadWrite, &stream);
        const bool created = e == kSdkOk;
        if (e == kSdkOk)
            e = SdkSetProgressCallback(stream, OnProgress, kProgressPeriodically, &progress);
        if (e == kSdkOk)
            e = SdkDownload(item, info.size, stream);
        SdkRelease(stream);
        if (e != kSdkOk) {
            if (created)
                ::unlink(path.c_str());  // half a picture is nobody's
            if (progress.shown < 4)
                std::fprintf(out_, "\n");
            return Fail("Transferring the picture", e);
        }
        // The camera is told the picture arrived only once it is on disk: a camera that
        // sends to the computer alone lets it go when told.
        if (!os::FlushToDisk(path))
            return Fail("Writing " + path + " to disk failed; the camera keeps the picture");
        if ((e = SdkDownloadComplete(item)) != kSdkOk)
            std::fprintf(err_, "talbex: the camera was not told the picture arrived (error 0x%X)\n",
                         e);
        std::fprintf(out_, "Picture saved: %s\n", path.c_str());
        return 0;
    }

    std::FILE* out_;
    std::FILE* err_;
    bool initialized_ = false;
    bool session_ = false;
    SdkCameraRef camera_ = nullptr;
    SdkDeviceInfo info_{};
    Arrival arrival_;
};

}  // namespace

int RunDemo(std::FILE* out, std::FILE* err) {
    Demo demo(out, err);
    const int status = demo.Run();
    std::fflush(out);
    return status;
}

}  // namespace talbex::app
