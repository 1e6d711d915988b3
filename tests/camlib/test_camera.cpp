// A camera driver that libgphoto2 loads (from the folder CAMLIBS names), for testing the
// program's libgphoto2 backend through the real library: one model, "Talbex Test Camera",
// on the network port type.
//
// TALBEX_TEST_CAMERA_FAMILY (eos, nikon, sony, fuji, panasonic, olympus, generic) makes it
// present one family of bodies as libgphoto2 2.5.30's ptp2 driver does: its entries,
// texts through libgphoto2's catalogue, serial form, capture target and pictures
// (family_*.cpp). Unset, it offers every control at once with one family's texts
// (classic_camera.cpp).
//
// Also read from the environment:
//   TALBEX_TEST_CAMERA_LOG          a file that gets one line per thing done to the camera
//                                   ("open", "set eoszoom=5", "capture IMG_0001.JPG",
//                                   "delete IMG_0001.JPG", "autofocus", "focus near 2",
//                                   "download /capt0000.jpg", "preview zoom=5 focus=490")
//   TALBEX_TEST_CAMERA_HELD         while this file exists the camera is held by another
//                                   program: opening it fails as on a claimed device
//   TALBEX_TEST_CAMERA_SERIAL       the body's serial (each family shows it in its form)
//   TALBEX_TEST_CAMERA_EXIF_SERIAL  the serial in the pictures' EXIF block (empty: none)
//   TALBEX_TEST_CAMERA_CARD         pictures already on the card when first opened
//   TALBEX_TEST_CAMERA_NO_LENS      while this file exists the eos body has no lens
//   TALBEX_TEST_CAMERA_FRAME        live-view frame size, WxH (320x240)
//   TALBEX_TEST_CAMERA_FAULTS       faults on demand (faults.h)
//   TALBEX_TEST_CAMERA_VALUES       properties the body starts with, "CODE=VALUE,..." with
//                                   the code in hex ("500e=1": the mode dial on M)
#include <gphoto2/gphoto2-library.h>
#include <gphoto2/gphoto2-result.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "camera_state.h"
#include "classic_camera.h"
#include "config_walk.h"
#include "shooting.h"
#include "virtual_entries.h"

namespace tcam {
namespace {

constexpr char kModel[] = "Talbex Test Camera";

bool Classic() {
    return Body().family == nullptr;
}

// Tells libgphoto2's file system what a capture or event handed over; never under the
// lock, as libgphoto2 asks the driver's listing back.
void Announce(Camera* camera, std::vector<Announcement>& items, GPContext* context) {
    for (Announcement& a : items) {
        gp_filesystem_append(camera->fs, a.folder.c_str(), a.name.c_str(), context);
        if (a.kind != Announcement::Kind::kUpload)
            continue;
        CameraFile* file = nullptr;
        gp_file_new(&file);
        gp_file_set_mime_type(file, GP_MIME_JPEG);
        gp_file_set_mtime(file, std::time(nullptr));
        gp_file_append(file, reinterpret_cast<const char*>(a.bytes.data()), a.bytes.size());
        gp_filesystem_set_file_noop(camera->fs, a.folder.c_str(), a.name.c_str(),
                                    GP_FILE_TYPE_NORMAL, file, context);
        gp_file_unref(file);
        CameraFileInfo info{};
        info.file.fields = static_cast<CameraFileInfoFields>(GP_FILE_INFO_TYPE | GP_FILE_INFO_SIZE |
                                                             GP_FILE_INFO_MTIME);
        std::snprintf(info.file.type, sizeof info.file.type, "%s", GP_MIME_JPEG);
        info.file.size = a.bytes.size();
        info.file.mtime = std::time(nullptr);
        gp_filesystem_set_info_noop(camera->fs, a.folder.c_str(), a.name.c_str(), info, context);
    }
    items.clear();
}

// The entry of every call: the lock, and the faults that fail it before anything happens.
class Call {
  public:
    explicit Call(const char* name) : lock_(Lock()), failed_(Body().faults.FailsWithIo(name)) {
        if (failed_)
            Log(std::string("io error ") + name);
    }
    bool failed() const { return failed_; }
    void Unlock() { lock_.unlock(); }

  private:
    std::unique_lock<std::mutex> lock_;
    bool failed_;
};

int GetConfig(Camera*, CameraWidget** window, GPContext*) {
    Call call("config");
    if (call.failed())
        return GP_ERROR_IO;
    return Classic() ? classic::GetConfig(window) : GetTree(window);
}

int ListConfig(Camera*, CameraList* list, GPContext*) {
    Call call("config");
    return call.failed() ? GP_ERROR_IO : ListNames(list);
}

int GetSingleConfig(Camera*, const char* name, CameraWidget** widget, GPContext*) {
    Call call("config");
    return call.failed() ? GP_ERROR_IO : GetOne(name, widget);
}

int SetConfig(Camera* camera, CameraWidget* window, GPContext* context) {
    Call call("set");
    if (call.failed())
        return GP_ERROR_IO;
    if (!Classic())
        return SetTree(window);
    std::vector<std::string> taken;
    classic::SetConfig(window, &taken);
    call.Unlock();
    for (const std::string& picture : taken)
        gp_filesystem_append(camera->fs, kCardFolder, picture.c_str(), context);
    return GP_OK;
}

int SetSingleConfig(Camera*, const char* name, CameraWidget* widget, GPContext*) {
    Call call("set");
    return call.failed() ? GP_ERROR_IO : SetOne(name, widget);
}

int CapturePreview(Camera*, CameraFile* file, GPContext* context) {
    Call call("preview");
    if (call.failed())
        return GP_ERROR_IO;
    std::vector<unsigned char> frame;
    int result = GP_OK;
    int waitMs = 0;
    std::string why;
    if (Classic())
        result = classic::Preview(&frame);
    else
        result = Preview(&frame, &waitMs, &why);
    call.Unlock();
    if (waitMs > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(waitMs));
    if (!why.empty())
        gp_context_error(context, "%s", why.c_str());
    if (result != GP_OK || frame.empty())
        return result;
    gp_file_set_mime_type(file, GP_MIME_JPEG);
    return gp_file_append(file, reinterpret_cast<const char*>(frame.data()), frame.size());
}

int CaptureImage(Camera* camera, CameraCaptureType type, CameraFilePath* path, GPContext* context) {
    Call call("capture");
    if (call.failed())
        return GP_ERROR_IO;
    if (type != GP_CAPTURE_IMAGE)
        return GP_ERROR_NOT_SUPPORTED;
    std::vector<Announcement> items;
    const int result = Capture(path, &items);
    call.Unlock();
    Announce(camera, items, context);
    return result;
}

int TriggerCapture(Camera* camera, GPContext* context) {
    Call call("trigger");
    if (call.failed())
        return GP_ERROR_IO;
    if (!Classic()) {
        ShootForEvents();
        return GP_OK;
    }
    const std::string name = classic::TakePicture();
    call.Unlock();
    gp_filesystem_append(camera->fs, kCardFolder, name.c_str(), context);
    return GP_OK;
}

int WaitForEvent(Camera* camera, int timeout, CameraEventType* type, void** data,
                 GPContext* context) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout);
    {
        Call call("event");
        if (call.failed())
            return GP_ERROR_IO;
        if (Classic()) {
            classic::NextEvent(type, data);
            call.Unlock();
            if (*type == GP_EVENT_TIMEOUT)
                std::this_thread::sleep_for(std::chrono::milliseconds(std::min(timeout, 20)));
            return GP_OK;
        }
    }
    // ptp2 waits the whole time unless something happens.
    for (;;) {
        std::vector<Announcement> items;
        {
            std::lock_guard lock(Lock());
            NextEvent(type, data, &items);
        }
        Announce(camera, items, context);
        if (*type != GP_EVENT_TIMEOUT || std::chrono::steady_clock::now() >= until)
            return GP_OK;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

int Summary(Camera*, CameraText* text, GPContext*) {
    std::lock_guard lock(Lock());
    const State& s = Body();
    if (Classic()) {
        std::snprintf(text->text, sizeof text->text, "%s, serial %s\n", kModel,
                      s.bodySerial.c_str());
        return GP_OK;
    }
    std::snprintf(text->text, sizeof text->text, "%s%s%s%s",
                  Printf(Tr("Manufacturer: %s\n"), Manufacturer(Body().family->kind)).c_str(),
                  Printf(Tr("Model: %s\n"), s.family->model).c_str(),
                  Printf(Tr("  Version: %s\n"), s.family->version).c_str(),
                  Printf(Tr("  Serial Number: %s\n"), DeviceSerial().c_str()).c_str());
    return GP_OK;
}

// libgphoto2 names folders with and without a slash at the end.
std::string Folder(const char* folder) {
    std::string f = folder;
    while (f.size() > 1 && f.back() == '/')
        f.pop_back();
    return f;
}

// The folder's pictures: the card's, or (Panasonic) those held in the camera's memory.
std::map<std::string, Picture>* Pictures(const std::string& folder) {
    State& s = Body();
    if (folder == kCardFolder)
        return &s.card;
    if (folder == kMemoryFolder)
        return &s.memory;
    return nullptr;
}

int FileList(CameraFilesystem*, const char* folder, CameraList* list, void*, GPContext*) {
    Call call("file");
    if (call.failed())
        return GP_ERROR_IO;
    if (auto* pictures = Pictures(Folder(folder)))
        for (const auto& [name, picture] : *pictures) {
            gp_list_append(list, name.c_str(), nullptr);
            Body().seen.insert(name);  // listed: ptp2 knows the object now
        }
    return GP_OK;
}

int FolderList(CameraFilesystem*, const char* folder, CameraList* list, void*, GPContext*) {
    Call call("file");
    if (call.failed())
        return GP_ERROR_IO;
    const std::string f = Folder(folder);
    if (f == "/") {
        gp_list_append(list, "store_00010001", nullptr);
        if (!Body().memory.empty())
            gp_list_append(list, "store_00000000", nullptr);
    } else if (f == "/store_00010001") {
        gp_list_append(list, "DCIM", nullptr);
    } else if (f == "/store_00010001/DCIM") {
        gp_list_append(list, "100TEST", nullptr);
    }
    return GP_OK;
}

int GetInfo(CameraFilesystem*, const char* folder, const char* name, CameraFileInfo* info, void*,
            GPContext*) {
    Call call("file");
    if (call.failed())
        return GP_ERROR_IO;
    auto* pictures = Pictures(Folder(folder));
    if (pictures == nullptr || !pictures->count(name))
        return GP_ERROR_FILE_NOT_FOUND;
    *info = CameraFileInfo{};
    info->file.fields = static_cast<CameraFileInfoFields>(GP_FILE_INFO_SIZE | GP_FILE_INFO_TYPE);
    info->file.size = pictures->at(name).bytes.size();
    std::snprintf(info->file.type, sizeof info->file.type, "%s", GP_MIME_JPEG);
    return GP_OK;
}

int GetFile(CameraFilesystem*, const char* folder, const char* name, CameraFileType type,
            CameraFile* file, void*, GPContext*) {
    Call call("file");
    if (call.failed())
        return GP_ERROR_IO;
    auto* pictures = Pictures(Folder(folder));
    if (pictures == nullptr || !pictures->count(name) || type != GP_FILE_TYPE_NORMAL)
        return GP_ERROR_FILE_NOT_FOUND;
    if (!Classic())
        Log("download " + Folder(folder) + "/" + name);
    const std::vector<unsigned char>& bytes = pictures->at(name).bytes;
    return gp_file_append(file, reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

int DeleteFile(CameraFilesystem*, const char* folder, const char* name, void*, GPContext*) {
    Call call("delete");
    if (call.failed())
        return GP_ERROR_IO;
    State& s = Body();
    if (Classic()) {
        Log(std::string("delete ") + name);
        return s.card.erase(name) > 0 ? GP_OK : GP_ERROR_FILE_NOT_FOUND;
    }
    // A picture ptp2 took into the camera's memory and already read is no object on the
    // camera: its delete does nothing (library.c around 9103).
    const Kind kind = s.family->kind;
    if (std::strncmp(name, "capt", 4) == 0 && kind != Kind::kPanasonic && kind != Kind::kGeneric)
        return GP_OK;
    auto* pictures = Pictures(Folder(folder));
    if (pictures != nullptr && pictures->erase(name) > 0)
        Log(std::string("delete ") + name);
    return GP_OK;  // ptp2 ignores what the camera answers
}

CameraFilesystemFuncs gFilesystem = [] {
    CameraFilesystemFuncs f{};
    f.file_list_func = FileList;
    f.folder_list_func = FolderList;
    f.get_info_func = GetInfo;
    f.get_file_func = GetFile;
    f.del_file_func = DeleteFile;
    return f;
}();

}  // namespace
}  // namespace tcam

extern "C" {

int camera_id(CameraText* id) {
    std::snprintf(id->text, sizeof id->text, "talbex-test-camera");
    return GP_OK;
}

int camera_abilities(CameraAbilitiesList* list) {
    CameraAbilities a{};
    std::snprintf(a.model, sizeof a.model, "%s", tcam::kModel);
    a.status = GP_DRIVER_STATUS_TESTING;
    a.port = GP_PORT_PTPIP;
    a.operations =
        static_cast<CameraOperation>(GP_OPERATION_CAPTURE_IMAGE | GP_OPERATION_CAPTURE_PREVIEW |
                                     GP_OPERATION_CONFIG | GP_OPERATION_TRIGGER_CAPTURE);
    a.file_operations = GP_FILE_OPERATION_DELETE;
    a.folder_operations = GP_FOLDER_OPERATION_NONE;
    return gp_abilities_list_append(list, a);
}

int camera_init(Camera* camera, GPContext*) {
    struct stat st {};
    if (const char* held = std::getenv("TALBEX_TEST_CAMERA_HELD");
        held != nullptr && *held != '\0' && ::stat(held, &st) == 0)
        return GP_ERROR_IO_USB_CLAIM;
    {
        std::lock_guard lock(tcam::Lock());
        tcam::Renew();
    }
    {
        tcam::Call call("open");
        if (call.failed())
            return GP_ERROR_IO;
        if (!tcam::Body().faultError.empty())
            return GP_ERROR_BAD_PARAMETERS;
        tcam::OpenSession();
        tcam::Log("open");
        if (!tcam::Classic()) {
            camera->functions->list_config = tcam::ListConfig;
            camera->functions->get_single_config = tcam::GetSingleConfig;
            camera->functions->set_single_config = tcam::SetSingleConfig;
            camera->functions->capture = tcam::CaptureImage;
        }
    }
    camera->functions->get_config = tcam::GetConfig;
    camera->functions->set_config = tcam::SetConfig;
    camera->functions->capture_preview = tcam::CapturePreview;
    camera->functions->trigger_capture = tcam::TriggerCapture;
    camera->functions->wait_for_event = tcam::WaitForEvent;
    camera->functions->summary = tcam::Summary;
    return gp_filesystem_set_funcs(camera->fs, &tcam::gFilesystem, camera);
}

}  // extern "C"
