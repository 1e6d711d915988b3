#include "shooting.h"

#include <gphoto2/gphoto2-result.h>
#include <gphoto2/gphoto2-setting.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "camera_state.h"
#include "config_walk.h"
#include "pictures.h"

namespace tcam {

namespace {

// Whether the lasting setting sends pictures into the camera's memory; ptp2 takes
// "sdram" when none is set (library.c around 6025, config.c around 320).
bool SettingSaysMemory() {
    char value[1024] = {};
    return gp_setting_get(const_cast<char*>("ptp2"), const_cast<char*>("capturetarget"), value) !=
               GP_OK ||
           std::strcmp(value, "sdram") == 0;
}

struct Shot {
    Picture picture;
    bool memory = false;
    bool card = false;
};

// The body takes a picture; where it goes follows the family and its capture target.
Shot Take() {
    State& s = Body();
    Shot shot;
    shot.picture.name = Printf(s.family->pictureName, ++s.number);
    shot.picture.bytes = PictureFile(s.family->model, s.exifSerial, s.focus);
    Log("capture " + shot.picture.name);
    switch (s.family->kind) {
        case Kind::kEos:
        case Kind::kNikon:
            shot.memory = SettingSaysMemory();
            break;
        case Kind::kSony:  // its own property: 1 memory, 0x10 card, 0x11 both
            if (const Property* target = FindProperty(0xD222)) {
                shot.memory = (target->value & 0x01) != 0;
                shot.card = (target->value & 0x10) != 0;
            }
            break;
        case Kind::kPanasonic:
            shot.memory = s.panasonicToMemory;
            break;
        default:
            break;
    }
    if (s.family->kind != Kind::kSony)
        shot.card = !shot.memory;
    if (shot.card)
        s.card[shot.picture.name] = shot.picture;
    if (shot.memory && s.family->kind == Kind::kPanasonic)
        s.memory[shot.picture.name] = shot.picture;
    // The shutter counters count it.
    if (Property* count = FindProperty(0xD1AC)) {
        ++count->value;
        AnnounceProperty(count->code);
    }
    if (Property* count = FindProperty(0xD310))
        count->value += 1 << 16;
    return shot;
}

std::string NextCapt() {
    return Printf("capt%04d.jpg", Body().captureCount++);
}

// ptp2's add_objectid_and_upload: the picture read into libgphoto2's file cache.
void Upload(const std::string& folder, const std::string& name, std::vector<unsigned char> bytes,
            std::vector<Announcement>* out) {
    Log("download " + (folder == "/" ? "/" + name : folder + "/" + name));
    out->push_back({Announcement::Kind::kUpload, folder, name, std::move(bytes)});
}

// ptp2's add_object_to_fs_and_path: the picture told to the file system by its path.
void Append(const std::string& folder, const std::string& name, std::vector<Announcement>* out) {
    out->push_back({Announcement::Kind::kAppend, folder, name, {}});
}

void SetPath(CameraFilePath* path, const std::string& folder, const std::string& name) {
    std::snprintf(path->folder, sizeof path->folder, "%s", folder.c_str());
    std::snprintf(path->name, sizeof path->name, "%s", name.c_str());
}

// A 64-bit FNV-1a hash, for the eos family's device serial.
uint64_t Hash(const std::string& text, uint64_t seed) {
    uint64_t h = 14695981039346656037ull ^ seed;
    for (unsigned char ch : text) {
        h ^= ch;
        h *= 1099511628211ull;
    }
    return h;
}

}  // namespace

void ShootForEvents() {
    State& s = Body();
    const Shot shot = Take();
    auto queue = [&](QueuedEvent e) { s.events.push_back(std::move(e)); };
    auto file = [&](const char* folder) {
        queue({QueuedEvent::Kind::kFile, folder, shot.picture.name, "", {}});
    };
    auto memory = [&] {
        queue({QueuedEvent::Kind::kMemoryPicture, "/", "", "", shot.picture.bytes});
    };
    auto complete = [&] { queue({QueuedEvent::Kind::kCaptureComplete, "", "", "", {}}); };
    switch (s.family->kind) {
        case Kind::kEos:  // library.c around 6400-6600: object transfer or object info
            queue({QueuedEvent::Kind::kText, "", "", "Camera Status 1", {}});
            shot.memory ? memory() : file(kCardFolder);
            complete();
            break;
        case Kind::kNikon:  // around 6703: in memory 0xffff0001, downloaded in the wait
            shot.memory ? memory() : file(kCardFolder);
            complete();
            break;
        case Kind::kSony:  // around 6810: only what is in its memory arrives
            if (shot.memory) {
                memory();
                complete();
            }
            break;
        case Kind::kFuji:  // around 6920: its wait finds the new file itself
            break;
        case Kind::kPanasonic:
            file(shot.memory ? kMemoryFolder : kCardFolder);
            break;
        case Kind::kOlympus:
            file(kCardFolder);
            break;
        case Kind::kGeneric:
            file(kCardFolder);
            complete();
            break;
    }
}

int Capture(CameraFilePath* path, std::vector<Announcement>* out) {
    State& s = Body();
    const Shot shot = Take();
    switch (s.family->kind) {
        case Kind::kEos:    // library.c around 4310
        case Kind::kNikon:  // around 4029
            if (shot.memory) {
                const std::string name = NextCapt();
                Upload("/", name, shot.picture.bytes, out);
                SetPath(path, "/", name);
            } else {
                Append(kCardFolder, shot.picture.name, out);
                SetPath(path, kCardFolder, shot.picture.name);
            }
            return GP_OK;
        case Kind::kSony: {  // around 4774: the picture in its memory, or none at all
            if (!shot.memory)
                return GP_ERROR;  // "no object found during event polling"
            const std::string name = NextCapt();
            Upload("/", name, shot.picture.bytes, out);
            SetPath(path, "/", name);
            s.events.push_back({QueuedEvent::Kind::kCaptureComplete, "", "", "", {}});
            return GP_OK;
        }
        case Kind::kFuji:  // around 5107: found on the card and read at once
            s.seen.insert(shot.picture.name);
            Upload(kCardFolder, shot.picture.name, shot.picture.bytes, out);
            SetPath(path, kCardFolder, shot.picture.name);
            return GP_OK;
        case Kind::kPanasonic: {  // around 5319
            const char* folder = shot.memory ? kMemoryFolder : kCardFolder;
            Append(folder, shot.picture.name, out);
            SetPath(path, folder, shot.picture.name);
            return GP_OK;
        }
        default:  // Olympus (around 5411) and the standard's capture (around 5680)
            Append(kCardFolder, shot.picture.name, out);
            SetPath(path, kCardFolder, shot.picture.name);
            return GP_OK;
    }
}

int NextEvent(CameraEventType* type, void** data, std::vector<Announcement>* out) {
    State& s = Body();
    RefreshLive();
    *type = GP_EVENT_TIMEOUT;
    *data = nullptr;
    if (s.events.empty() && s.family->kind == Kind::kFuji) {
        // Fujifilm's wait tells every file it has not seen yet, the last object first
        // (library.c around 6920). Telling libgphoto2 of one lists its folder, which
        // makes the others seen, as ptp2's listing loads them.
        for (auto it = s.card.rbegin(); it != s.card.rend(); ++it)
            if (!s.seen.count(it->first)) {
                s.events.push_back({QueuedEvent::Kind::kFile, kCardFolder, it->first, "", {}});
                break;
            }
    }
    if (s.events.empty())
        return GP_OK;
    QueuedEvent e = std::move(s.events.front());
    s.events.pop_front();
    auto path = [&](const std::string& folder, const std::string& name) {
        auto* p = static_cast<CameraFilePath*>(std::calloc(1, sizeof(CameraFilePath)));
        SetPath(p, folder, name);
        *type = GP_EVENT_FILE_ADDED;
        *data = p;
    };
    switch (e.kind) {
        case QueuedEvent::Kind::kFile:
            s.seen.insert(e.name);
            Append(e.folder, e.name, out);
            path(e.folder, e.name);
            break;
        case QueuedEvent::Kind::kMemoryPicture: {
            const std::string name = NextCapt();
            Upload("/", name, std::move(e.bytes), out);
            path("/", name);
            break;
        }
        case QueuedEvent::Kind::kText:
            *type = GP_EVENT_UNKNOWN;
            *data = strdup(e.text.c_str());
            break;
        case QueuedEvent::Kind::kCaptureComplete:
            *type = GP_EVENT_CAPTURE_COMPLETE;
            break;
    }
    return GP_OK;
}

int Preview(std::vector<unsigned char>* frame, int* waitMs, std::string* why) {
    State& s = Body();
    *waitMs = 0;
    frame->clear();
    if (s.family->kind == Kind::kGeneric || s.faults.Has("unsupported", "preview")) {
        Log("preview unsupported");
        return GP_ERROR_NOT_SUPPORTED;  // library.c around 3940
    }
    if (s.faults.Take("error", "preview")) {
        Log("preview error");
        if (s.family->kind == Kind::kNikon)
            *why = Printf(Tr("Liveview cannot start: %s"), Tr("Processing of shooting operation"));
        return GP_ERROR;
    }
    if (s.faults.Take("busy", "preview")) {
        Log("preview busy");
        // How each family's preview gives up on a busy body.
        switch (s.family->kind) {
            case Kind::kEos:  // retries for 3 s (library.c around 3490)
                *waitMs = 3000;
                return GP_ERROR_CAMERA_BUSY;
            case Kind::kNikon:  // 20 tries 10 ms apart, then success with no picture
                *waitMs = 200;
                return GP_OK;
            case Kind::kSony:
                return GP_ERROR_CAMERA_BUSY;
            case Kind::kFuji:  // 20 tries, then an empty picture
                *waitMs = 20;
                return GP_OK;
            case Kind::kPanasonic:  // 25 tries 40 ms apart
                *waitMs = 1000;
                return GP_ERROR_CAMERA_BUSY;
            default:  // Olympus: the body's busy code handed back, a positive number
                *waitMs = 1000;
                return GP_OK;
        }
    }
    // Each family's preview switches the body's live view on.
    s.liveView = true;
    static std::string last;
    static std::vector<unsigned char> drawn;
    const std::string look =
        "preview zoom=" + std::to_string(s.zoom) + " focus=" + std::to_string(s.focus);
    if (look != last) {
        Log(look);
        int width = 320, height = 240;
        if (const char* size = std::getenv("TALBEX_TEST_CAMERA_FRAME"))
            std::sscanf(size, "%dx%d", &width, &height);
        drawn = Frame(std::clamp(width, 16, 4096), std::clamp(height, 16, 4096), s.focus, s.zoom);
        last = look;
    }
    *frame = drawn;
    return GP_OK;
}

void Autofocus() {
    State& s = Body();
    Log("autofocus");
    s.focusFound = true;
    if (Property* info = FindProperty(0xD1D3)) {
        info->text = FocusInfoText();
        AnnounceProperty(info->code);
    }
}

bool DriveFocus(int delta, const std::string& line) {
    State& s = Body();
    const int next = std::clamp(s.focus + delta, 0, 1000);
    if (next == s.focus) {
        Log(line + " at limit");
        return false;
    }
    Log(line);
    s.focus = next;
    return true;
}

std::string DeviceSerial() {
    const State& s = Body();
    switch (s.family->kind) {
        case Kind::kEos:  // 32 hexadecimal characters, unlike its body serial
            return Printf("%016llx%016llx", static_cast<unsigned long long>(Hash(s.bodySerial, 1)),
                          static_cast<unsigned long long>(Hash(s.bodySerial, 2)));
        case Kind::kSony:  // 32 digits, zero-padded
            return std::string(s.bodySerial.size() < 32 ? 32 - s.bodySerial.size() : 0, '0') +
                   s.bodySerial;
        default:
            return s.bodySerial;
    }
}

std::string FocusInfoText() {
    // Nine points around the middle of a 5472x3648 frame; the middle one is chosen once the
    // body has focused.
    std::string text = "eosversion=2,size=5472x3648,size2=5472x3648,points={";
    for (int i = 0; i < 9; ++i) {
        text += Printf("{%d,%d,%d,%d}", (i % 3 - 1) * 1200, (i / 3 - 1) * 800, 180, 180);
        if (i < 8)
            text += ",";
    }
    text +=
        Body().focusFound ? "},select={4,},unknown={00000000}" : "},select={},unknown={00000000}";
    return text;
}

}  // namespace tcam
