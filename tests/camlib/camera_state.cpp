#include "camera_state.h"

#include <libintl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "config_walk.h"
#include "pictures.h"
#include "shooting.h"

namespace tcam {

namespace {

const char* Env(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

bool Exists(const char* path) {
    struct stat st {};
    return *path != '\0' && ::stat(path, &st) == 0;
}

// The camera's clock starts at a time of its own and runs from there.
int64_t StartOffset() {
    std::tm start{};
    start.tm_year = 2021 - 1900;
    start.tm_mon = 2;
    start.tm_mday = 4;
    start.tm_hour = 5;
    start.tm_min = 6;
    start.tm_sec = 7;
    return static_cast<int64_t>(timegm(&start)) - static_cast<int64_t>(std::time(nullptr));
}

// What the environment says of the body; it is set up again when that changes.
std::string Setup() {
    std::string text;
    for (const char* name : {"TALBEX_TEST_CAMERA_FAMILY", "TALBEX_TEST_CAMERA_SERIAL",
                             "TALBEX_TEST_CAMERA_EXIF_SERIAL", "TALBEX_TEST_CAMERA_CARD",
                             "TALBEX_TEST_CAMERA_FAULTS", "TALBEX_TEST_CAMERA_VALUES"}) {
        const char* value = std::getenv(name);
        text += value != nullptr ? std::string("=") + value + "\n" : "-\n";
    }
    return text;
}

void SetUp(State& s) {
    s.setup = Setup();
    s.family = ChosenFamily();
    if (s.family != nullptr)
        s.properties = s.family->properties;
    const char* serial = std::getenv("TALBEX_TEST_CAMERA_SERIAL");
    s.bodySerial = serial != nullptr && *serial != '\0' ? serial
                   : s.family != nullptr                ? s.family->defaultSerial
                                                        : "3141592653";
    const char* exif = std::getenv("TALBEX_TEST_CAMERA_EXIF_SERIAL");
    s.exifSerial = exif != nullptr ? exif : s.bodySerial;
    for (Property& p : s.properties)
        if (p.code == 0xD1AF)  // the eos family's body serial
            p.text = s.bodySerial;
    // "500e=1,5005=2": properties the body starts with (the mode dial on M, say), by their
    // code in hex and the value the body keeps.
    const std::string values = Env("TALBEX_TEST_CAMERA_VALUES");
    for (size_t at = 0; at < values.size();) {
        const size_t end = std::min(values.find(',', at), values.size());
        const std::string item = values.substr(at, end - at);
        const size_t equals = item.find('=');
        at = end + 1;
        if (equals == std::string::npos)
            continue;
        const auto code = static_cast<uint32_t>(std::strtoul(item.c_str(), nullptr, 16));
        for (Property& p : s.properties)
            if (p.code == code)
                p.value = std::strtoll(item.c_str() + equals + 1, nullptr, 0);
    }
    s.clockOffset = StartOffset();
    const int onCard = std::atoi(Env("TALBEX_TEST_CAMERA_CARD"));
    const std::string model = s.family != nullptr ? s.family->model : "Talbex Test Camera";
    for (int i = 0; i < onCard && i < 999; ++i) {
        Picture p;
        p.name = Printf(s.family != nullptr ? s.family->pictureName : "IMG_%04d.JPG", ++s.number);
        p.bytes = PictureFile(model, s.exifSerial, s.focus);
        s.card[p.name] = std::move(p);
    }
    s.classicValues = {
        {"cameramodel", "Talbex Test Camera"},
        {"serialnumber", s.bodySerial},
        {"deviceversion", "9.9"},
        {"lensname", "TEST 50mm"},
        {"shuttercounter", "4321"},
        {"f-number", "f/8"},
        {"shutterspeed", "1/125"},
        {"iso", "400"},
        {"expprogram", "M"},
        {"viewfinder", "0"},
        {"eosremoterelease", "None"},
        {"autofocusdrive", "0"},
        {"manualfocusdrive", "None"},
        {"eoszoom", "1"},
        {"eoszoomposition", "0,0"},
        {"capturetarget", "Internal RAM"},
    };
    if (!s.faults.Parse(Env("TALBEX_TEST_CAMERA_FAULTS"), &s.faultError))
        std::fprintf(stderr, "TALBEX_TEST_CAMERA_FAULTS: %s\n", s.faultError.c_str());
    s.ready = true;
}

}  // namespace

const Family* ChosenFamily() {
    const std::string id = Env("TALBEX_TEST_CAMERA_FAMILY");
    for (const Family* f : {&EosFamily(), &NikonFamily(), &SonyFamily(), &FujiFamily(),
                            &PanasonicFamily(), &OlympusFamily(), &GenericFamily()})
        if (id == f->id)
            return f;
    return nullptr;
}

std::mutex& Lock() {
    static std::mutex mutex;
    return mutex;
}

State& Body() {
    static State state;
    if (!state.ready)
        SetUp(state);
    return state;
}

void Renew() {
    // Another body on the same port (the environment describes another one): a state of
    // its own.
    State& s = Body();
    if (s.setup != Setup()) {
        s = State{};
        SetUp(s);
    }
}

void OpenSession() {
    State& s = Body();
    s.captureCount = 0;
    s.seen.clear();
    s.events.clear();
    s.liveView = false;
}

Property* FindProperty(uint32_t code) {
    for (Property& p : Body().properties)
        if (p.code == code)
            return &p;
    return nullptr;
}

int64_t CameraUtc() {
    return static_cast<int64_t>(std::time(nullptr)) + Body().clockOffset;
}

void SetCameraUtc(int64_t utc) {
    Body().clockOffset = utc - static_cast<int64_t>(std::time(nullptr));
}

void RefreshLive() {
    State& s = Body();
    const int64_t utc = CameraUtc();
    for (Property& p : s.properties) {
        if (p.code == 0x5011) {  // the standard's date and time, the body's own wall clock
            const std::time_t t = static_cast<std::time_t>(utc);
            std::tm wall{};
            gmtime_r(&t, &wall);
            char text[32];
            std::strftime(text, sizeof text, "%Y%m%dT%H%M%S", &wall);
            p.text = text;
        } else if (p.code == 0xD113 || p.code == 0xD17C) {  // the eos family's clocks
            p.value = utc;
        } else if (p.code == 0xD1A2) {  // Nikon's live view status
            p.value = s.liveView ? 1 : 0;
        } else if (p.code == 0xD1D3 && p.text.empty()) {
            p.text = FocusInfoText();
        }
    }
    if (s.family == nullptr || s.family->kind != Kind::kEos)
        return;
    const bool off = Exists(Env("TALBEX_TEST_CAMERA_NO_LENS"));
    if (off == s.lensOff)
        return;
    s.lensOff = off;
    if (Property* aperture = FindProperty(0xD101))
        aperture->present = !off;
    if (Property* lens = FindProperty(0xD1D8)) {
        if (off)
            s.lensName = lens->text;
        lens->text = off ? "" : s.lensName;
    }
    Log(off ? "lens off" : "lens on");
    AnnounceProperty(0xD101);
}

void Log(const std::string& line) {
    const char* path = std::getenv("TALBEX_TEST_CAMERA_LOG");
    if (path == nullptr || *path == '\0')
        return;
    if (std::FILE* f = std::fopen(path, "a")) {
        std::fprintf(f, "%s\n", line.c_str());
        std::fclose(f);
    }
}

const char* Tr(const char* msgid) {
    return dgettext("libgphoto2-6", msgid);
}

std::string Printf(const char* format, ...) {
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

}  // namespace tcam
