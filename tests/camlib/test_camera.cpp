// A camera driver that libgphoto2 loads (from the folder CAMLIBS names), for testing the
// program's libgphoto2 backend through the real library: one model, "Talbex Test
// Camera", on the network port type, that offers the configuration widgets libgphoto2's
// own drivers give cameras beyond the standard, with their types (radio, toggle, range,
// text), preview frames of its own (JPEG) and pictures taken on command.
//
// What the program does to it is written, one line each, to the file
// TALBEX_TEST_CAMERA_LOG names ("open", "set eoszoom=5", "capture IMG_0001.JPG",
// "preview zoom=5 focus=490" when the frames look different; TALBEX_TEST_CAMERA_FRAME
// sets their size, 320x240 by default),
// and while the file TALBEX_TEST_CAMERA_HELD names exists, the camera is held by
// another program: opening it fails as libgphoto2 fails on a claimed device.
#include <gphoto2/gphoto2-library.h>
#include <gphoto2/gphoto2-result.h>
#include <sys/stat.h>

#include <cstdio>  // before jpeglib.h, which uses FILE

#include <jpeglib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr char kModel[] = "Talbex Test Camera";
constexpr char kFolder[] = "/store_00010001/DCIM/100TEST";

// The camera's state; libgphoto2 calls a camera from one thread at a time, the program's
// event thread and others in turn, so one lock guards it all.
std::mutex gMutex;
std::map<std::string, std::string> gValues = {
    {"cameramodel", kModel},      {"serialnumber", "3141592653"},
    {"deviceversion", "9.9"},     {"lensname", "TEST 50mm"},
    {"shuttercounter", "4321"},   {"f-number", "f/8"},
    {"shutterspeed", "1/125"},    {"iso", "400"},
    {"expprogram", "M"},          {"viewfinder", "0"},
    {"eosremoterelease", "None"}, {"autofocusdrive", "0"},
    {"manualfocusdrive", "None"}, {"eoszoom", "1"},
    {"eoszoomposition", "0,0"},   {"capturetarget", "Internal RAM"},
};
std::map<std::string, std::vector<unsigned char>> gPictures;
std::vector<std::string> gAdded;  // pictures not yet announced
int gNumber = 0;
int gFocus = 500;  // the lens position the frames show

void Log(const std::string& line) {
    const char* path = std::getenv("TALBEX_TEST_CAMERA_LOG");
    if (path == nullptr || *path == '\0')
        return;
    if (std::FILE* f = std::fopen(path, "a")) {
        std::fprintf(f, "%s\n", line.c_str());
        std::fclose(f);
    }
}

// A coloured frame with a dark bar where the lens focuses, lighter the more it is zoomed.
std::vector<unsigned char> Jpeg(int width, int height, int focus, int zoom) {
    std::vector<unsigned char> pixels(static_cast<size_t>(width) * height * 3);
    const int bar = focus * width / 1000;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            unsigned char* p = &pixels[(static_cast<size_t>(y) * width + x) * 3];
            const bool dark = std::abs(x - bar) < 4;
            const int light = std::min(200, 60 + 15 * zoom);
            p[0] = static_cast<unsigned char>(dark ? 20 : light + (x * 7 + y) % 48);
            p[1] = static_cast<unsigned char>(dark ? 20 : light + (y * 5) % 40);
            p[2] = static_cast<unsigned char>(dark ? 20 : light + ((x ^ y) & 31));
        }
    jpeg_compress_struct c{};
    jpeg_error_mgr errors{};
    c.err = jpeg_std_error(&errors);
    jpeg_create_compress(&c);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &out, &size);
    c.image_width = static_cast<JDIMENSION>(width);
    c.image_height = static_cast<JDIMENSION>(height);
    c.input_components = 3;
    c.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 80, TRUE);
    jpeg_start_compress(&c, TRUE);
    while (c.next_scanline < c.image_height) {
        JSAMPROW row = &pixels[static_cast<size_t>(c.next_scanline) * width * 3];
        jpeg_write_scanlines(&c, &row, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    std::vector<unsigned char> bytes(out, out + size);
    std::free(out);
    return bytes;
}

// Under gMutex; the picture is told to libgphoto2's file list (which asks the camera's
// listing back) once the lock is let go.
std::string TakePictureLocked() {
    char name[32];
    std::snprintf(name, sizeof name, "IMG_%04d.JPG", ++gNumber);
    gPictures[name] = Jpeg(640, 480, gFocus, 1);
    gAdded.push_back(name);
    Log(std::string("capture ") + name);
    return name;
}

void Listed(Camera* camera, const std::string& name, GPContext* context) {
    if (!name.empty())
        gp_filesystem_append(camera->fs, kFolder, name.c_str(), context);
}

// libgphoto2 names folders with and without a slash at the end.
std::string Folder(const char* folder) {
    std::string f = folder;
    while (f.size() > 1 && f.back() == '/')
        f.pop_back();
    return f;
}

CameraWidget* Add(CameraWidget* section, CameraWidgetType type, const char* name,
                  std::vector<const char*> choices = {}, bool readOnly = false) {
    CameraWidget* w = nullptr;
    gp_widget_new(type, name, &w);
    gp_widget_set_name(w, name);
    for (const char* c : choices)
        gp_widget_add_choice(w, c);
    const std::string& value = gValues[name];
    if (type == GP_WIDGET_TOGGLE) {
        const int v = std::atoi(value.c_str());
        gp_widget_set_value(w, &v);
    } else if (type == GP_WIDGET_RANGE) {
        gp_widget_set_range(w, -32767, 32767, 1);
        const float v = 0;
        gp_widget_set_value(w, &v);
    } else {
        gp_widget_set_value(w, value.c_str());
    }
    gp_widget_set_readonly(w, readOnly ? 1 : 0);
    gp_widget_append(section, w);
    return w;
}

int GetConfig(Camera*, CameraWidget** root, GPContext*) {
    std::lock_guard lock(gMutex);
    gp_widget_new(GP_WIDGET_WINDOW, "Camera and Driver Configuration", root);
    CameraWidget* status = nullptr;
    gp_widget_new(GP_WIDGET_SECTION, "status", &status);
    gp_widget_set_name(status, "status");
    gp_widget_append(*root, status);
    for (const char* name :
         {"cameramodel", "serialnumber", "deviceversion", "lensname", "shuttercounter"})
        Add(status, GP_WIDGET_TEXT, name, {}, true);
    CameraWidget* settings = nullptr;
    gp_widget_new(GP_WIDGET_SECTION, "capturesettings", &settings);
    gp_widget_set_name(settings, "capturesettings");
    gp_widget_append(*root, settings);
    Add(settings, GP_WIDGET_RADIO, "f-number", {"f/4", "f/5.6", "f/8", "f/11"});
    Add(settings, GP_WIDGET_RADIO, "shutterspeed", {"1/60", "1/125", "1/250"});
    Add(settings, GP_WIDGET_RADIO, "iso", {"Auto", "100", "400", "1600"});
    Add(settings, GP_WIDGET_RADIO, "expprogram", {"M", "P"}, true);
    CameraWidget* actions = nullptr;
    gp_widget_new(GP_WIDGET_SECTION, "actions", &actions);
    gp_widget_set_name(actions, "actions");
    gp_widget_append(*root, actions);
    Add(actions, GP_WIDGET_TOGGLE, "viewfinder");
    Add(actions, GP_WIDGET_RADIO, "eosremoterelease",
        {"None", "Press Half", "Press Full", "Release Half", "Release Full", "Immediate"});
    Add(actions, GP_WIDGET_TOGGLE, "autofocusdrive");
    Add(actions, GP_WIDGET_RADIO, "manualfocusdrive",
        {"Near 1", "Near 2", "Near 3", "None", "Far 1", "Far 2", "Far 3"});
    Add(actions, GP_WIDGET_TEXT, "eoszoom");
    Add(actions, GP_WIDGET_TEXT, "eoszoomposition");
    Add(actions, GP_WIDGET_RADIO, "capturetarget", {"Internal RAM", "Memory card"});
    return GP_OK;
}

// What a changed widget does to the camera; under gMutex. Answers the picture it took.
std::string ApplyLocked(const std::string& name, const std::string& value) {
    Log("set " + name + "=" + value);
    if (name == "manualfocusdrive" && value != "None") {
        const int step = value.back() == '1' ? 10 : value.back() == '2' ? 50 : 200;
        gFocus = std::clamp(gFocus + (value.rfind("Near", 0) == 0 ? -step : step), 0, 1000);
        return "";  // an action, not a value the camera keeps
    }
    if (name == "eosremoterelease" && (value == "Press Full" || value == "Immediate"))
        return TakePictureLocked();
    if (name != "eosremoterelease" && name != "autofocusdrive")
        gValues[name] = value;
    return "";
}

int SetConfig(Camera* camera, CameraWidget* root, GPContext* context) {
    std::vector<std::string> taken;
    std::unique_lock lock(gMutex);
    const int sections = gp_widget_count_children(root);
    for (int s = 0; s < sections; ++s) {
        CameraWidget* section = nullptr;
        gp_widget_get_child(root, s, &section);
        const int children = gp_widget_count_children(section);
        for (int i = 0; i < children; ++i) {
            CameraWidget* w = nullptr;
            gp_widget_get_child(section, i, &w);
            if (!gp_widget_changed(w))
                continue;
            const char* name = nullptr;
            gp_widget_get_name(w, &name);
            CameraWidgetType type;
            gp_widget_get_type(w, &type);
            std::string value;
            if (type == GP_WIDGET_TOGGLE) {
                int v = 0;
                gp_widget_get_value(w, &v);
                value = std::to_string(v);
            } else if (type == GP_WIDGET_RANGE) {
                float v = 0;
                gp_widget_get_value(w, &v);
                value = std::to_string(static_cast<int>(v));
            } else {
                const char* v = nullptr;
                gp_widget_get_value(w, &v);
                value = v != nullptr ? v : "";
            }
            taken.push_back(ApplyLocked(name, value));
        }
    }
    lock.unlock();
    for (const std::string& picture : taken)
        Listed(camera, picture, context);
    return GP_OK;
}

int CapturePreview(Camera*, CameraFile* file, GPContext*) {
    std::vector<unsigned char> frame;
    {
        std::lock_guard lock(gMutex);
        const int zoom = std::atoi(gValues["eoszoom"].c_str());
        // Each new look of the frames is told once: they follow zoom and focus. A camera
        // makes its frames itself, so a look is drawn once, not at every frame.
        static std::string last;
        static std::vector<unsigned char> drawn;
        const std::string look =
            "preview zoom=" + std::to_string(zoom) + " focus=" + std::to_string(gFocus);
        if (look != last) {
            Log(look);
            int width = 320, height = 240;
            if (const char* size = std::getenv("TALBEX_TEST_CAMERA_FRAME"))
                std::sscanf(size, "%dx%d", &width, &height);
            drawn = Jpeg(std::clamp(width, 16, 4096), std::clamp(height, 16, 4096), gFocus, zoom);
        }
        last = look;
        frame = drawn;
    }
    gp_file_set_mime_type(file, GP_MIME_JPEG);
    return gp_file_append(file, reinterpret_cast<const char*>(frame.data()), frame.size());
}

int TriggerCapture(Camera* camera, GPContext* context) {
    std::string name;
    {
        std::lock_guard lock(gMutex);
        name = TakePictureLocked();
    }
    Listed(camera, name, context);
    return GP_OK;
}

int WaitForEvent(Camera*, int timeout, CameraEventType* type, void** data, GPContext*) {
    {
        std::lock_guard lock(gMutex);
        if (!gAdded.empty()) {
            auto* path = static_cast<CameraFilePath*>(std::calloc(1, sizeof(CameraFilePath)));
            std::snprintf(path->folder, sizeof path->folder, "%s", kFolder);
            std::snprintf(path->name, sizeof path->name, "%s", gAdded.front().c_str());
            gAdded.erase(gAdded.begin());
            *type = GP_EVENT_FILE_ADDED;
            *data = path;
            return GP_OK;
        }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(std::min(timeout, 20)));
    *type = GP_EVENT_TIMEOUT;
    *data = nullptr;
    return GP_OK;
}

int Summary(Camera*, CameraText* text, GPContext*) {
    std::lock_guard lock(gMutex);
    std::snprintf(text->text, sizeof text->text, "%s, serial %s\n", kModel,
                  gValues["serialnumber"].c_str());
    return GP_OK;
}

int FileList(CameraFilesystem*, const char* folder, CameraList* list, void*, GPContext*) {
    std::lock_guard lock(gMutex);
    if (Folder(folder) == kFolder)
        for (const auto& [name, bytes] : gPictures)
            gp_list_append(list, name.c_str(), nullptr);
    return GP_OK;
}

int FolderList(CameraFilesystem*, const char* folder, CameraList* list, void*, GPContext*) {
    const std::string f = Folder(folder);
    const char* child = f == "/"                      ? "store_00010001"
                        : f == "/store_00010001"      ? "DCIM"
                        : f == "/store_00010001/DCIM" ? "100TEST"
                                                      : nullptr;
    if (child != nullptr)
        gp_list_append(list, child, nullptr);
    return GP_OK;
}

int GetInfo(CameraFilesystem*, const char*, const char* name, CameraFileInfo* info, void*,
            GPContext*) {
    std::lock_guard lock(gMutex);
    auto it = gPictures.find(name);
    if (it == gPictures.end())
        return GP_ERROR_FILE_NOT_FOUND;
    *info = CameraFileInfo{};
    info->file.fields = static_cast<CameraFileInfoFields>(GP_FILE_INFO_SIZE | GP_FILE_INFO_TYPE);
    info->file.size = it->second.size();
    std::snprintf(info->file.type, sizeof info->file.type, "%s", GP_MIME_JPEG);
    return GP_OK;
}

int GetFile(CameraFilesystem*, const char*, const char* name, CameraFileType type, CameraFile* file,
            void*, GPContext*) {
    std::lock_guard lock(gMutex);
    auto it = gPictures.find(name);
    if (it == gPictures.end() || type != GP_FILE_TYPE_NORMAL)
        return GP_ERROR_FILE_NOT_FOUND;
    return gp_file_append(file, reinterpret_cast<const char*>(it->second.data()),
                          it->second.size());
}

int DeleteFile(CameraFilesystem*, const char*, const char* name, void*, GPContext*) {
    std::lock_guard lock(gMutex);
    Log(std::string("delete ") + name);
    return gPictures.erase(name) > 0 ? GP_OK : GP_ERROR_FILE_NOT_FOUND;
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

extern "C" {

int camera_id(CameraText* id) {
    std::snprintf(id->text, sizeof id->text, "talbex-test-camera");
    return GP_OK;
}

int camera_abilities(CameraAbilitiesList* list) {
    CameraAbilities a{};
    std::snprintf(a.model, sizeof a.model, "%s", kModel);
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
    camera->functions->get_config = GetConfig;
    camera->functions->set_config = SetConfig;
    camera->functions->capture_preview = CapturePreview;
    camera->functions->trigger_capture = TriggerCapture;
    camera->functions->wait_for_event = WaitForEvent;
    camera->functions->summary = Summary;
    Log("open");
    return gp_filesystem_set_funcs(camera->fs, &gFilesystem, camera);
}

}  // extern "C"
