#include "camera/sdk/gphoto2/gphoto2_library.h"

#include <fcntl.h>
#include <gphoto2/gphoto2-camera.h>
#include <gphoto2/gphoto2-list.h>
#include <gphoto2/gphoto2-result.h>
#include <unistd.h>

#include <thread>

#if defined(__SANITIZE_ADDRESS__) && __has_include(<sanitizer/lsan_interface.h>)
#include <sanitizer/lsan_interface.h>
#define TALBEX_LEAK_CHECKER 1
#endif
// The sanitized builds keep libgphoto2's drivers loaded for the run: the leak checker sees
// what a driver keeps as its own, and the thread sanitizer never sees a library it was
// told about (a driver's dependency) unloaded under it.
#if defined(TALBEX_LEAK_CHECKER) || defined(__SANITIZE_THREAD__)
#define TALBEX_KEEP_DRIVERS 1
#include <dlfcn.h>

#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <set>
#include <string>
#endif

namespace talbex::gphoto {

namespace {

// In the sanitized builds every camera and port driver is loaded once, before libgphoto2
// first loads and unloads them, and stays loaded for the run: what a driver keeps in its
// statics for good stays its own for the leak checker, and no library under a driver is
// unloaded under the thread sanitizer, which was told to look past some of them.
void KeepDriversLoaded() {
#ifdef TALBEX_KEEP_DRIVERS
    static std::once_flag kept;
    std::call_once(kept, [] {
        const struct {
            const char* variable;  // where libgphoto2 looks first
            const char* folder;    // where it looks otherwise
        } places[] = {{"CAMLIBS", TALBEX_GPHOTO2_DRIVERS}, {"IOLIBS", TALBEX_GPHOTO2_PORT_DRIVERS}};
        for (const auto& place : places) {
            const char* named = std::getenv(place.variable);
            const std::string folder = named != nullptr && *named != '\0' ? named : place.folder;
            std::error_code error;
            for (const auto& entry : std::filesystem::directory_iterator(folder, error))
                if (entry.path().extension() == ".so")
                    ::dlopen(entry.path().c_str(), RTLD_LAZY | RTLD_LOCAL);
        }
    });
#endif
}

locale_t CLocale() {
    // Made once and never freed: threads may still use it while the program ends.
    static const locale_t locale = [] {
        locale_t l = newlocale(LC_ALL_MASK, "C.UTF-8", nullptr);
        if (l == nullptr)
            return newlocale(LC_ALL_MASK, "C", nullptr);
        // libgphoto2 runs its choices through its own catalogue, which honours LANGUAGE
        // under every message locale but exactly "C": its texts stay untranslated only so.
        locale_t messages = newlocale(LC_MESSAGES_MASK, "C", l);
        return messages != nullptr ? messages : l;
    }();
    return locale;
}

}  // namespace

ScopedCLocale::ScopedCLocale() {
    if (locale_t c = CLocale())
        previous_ = uselocale(c);
}

ScopedCLocale::~ScopedCLocale() {
    if (previous_ != nullptr)
        uselocale(previous_);
}

ScopedForeignAllocations::ScopedForeignAllocations() {
#ifdef TALBEX_LEAK_CHECKER
    __lsan_disable();
#endif
}

ScopedForeignAllocations::~ScopedForeignAllocations() {
#ifdef TALBEX_LEAK_CHECKER
    __lsan_enable();
#endif
}

KeepDescriptorZero::KeepDescriptorZero() {
    flags_ = fcntl(0, F_GETFD);
    if (flags_ >= 0) {
        saved_ = fcntl(0, F_DUPFD_CLOEXEC, 3);
    } else {
        flags_ = 0;
        saved_ = open("/dev/null", O_RDONLY | O_CLOEXEC);
        if (saved_ >= 0 && saved_ < 3) {
            // The lowest free number was taken: descriptor 0 now holds /dev/null itself.
            const int moved = fcntl(saved_, F_DUPFD_CLOEXEC, 3);
            if (saved_ == 0)
                fcntl(0, F_SETFD, 0);
            else
                close(saved_);
            saved_ = moved;
        }
    }
}

KeepDescriptorZero::~KeepDescriptorZero() {
    if (saved_ < 0)
        return;
    // F_DUPFD takes the lowest free number from 0 up: 0 itself only when it is free.
    const int restored = fcntl(saved_, F_DUPFD, 0);
    if (restored == 0)
        fcntl(0, F_SETFD, flags_);
    else if (restored > 0)
        close(restored);
    close(saved_);
}

Gphoto2Library::~Gphoto2Library() {
    if (abilities_ != nullptr)
        gp_abilities_list_free(abilities_);
}

CameraAbilitiesList* Gphoto2Library::Abilities(GPContext* context) {
    KeepDriversLoaded();
    if (abilities_ == nullptr) {
        ScopedForeignAllocations foreign;
        CameraAbilitiesList* list = nullptr;
        if (gp_abilities_list_new(&list) != GP_OK)
            return nullptr;
        if (gp_abilities_list_load(list, context) < GP_OK) {
            gp_abilities_list_free(list);
            return nullptr;
        }
        abilities_ = list;
    }
    return abilities_;
}

GPPortInfoList* Gphoto2Library::CurrentPorts() {
    KeepDriversLoaded();
    ScopedForeignAllocations foreign;
    GPPortInfoList* list = nullptr;
    if (gp_port_info_list_new(&list) != GP_OK)
        return nullptr;
    if (gp_port_info_list_load(list) < GP_OK) {
        gp_port_info_list_free(list);
        return nullptr;
    }
    return list;
}

std::unique_lock<std::mutex> Gphoto2Library::TakeGlobalLock() {
    // Asked again every few milliseconds rather than waited on with a deadline: a rare
    // wait, and one every tool of the build follows.
    std::unique_lock lock(global_, std::try_to_lock);
    const auto deadline = std::chrono::steady_clock::now() + kGlobalLockWait;
    while (!lock.owns_lock() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        lock.try_lock();
    }
    return lock;
}

std::vector<std::pair<std::string, std::string>> Gphoto2Library::Detect() {
    std::vector<std::pair<std::string, std::string>> found;
    const std::unique_lock lock = TakeGlobalLock();
    if (!lock.owns_lock())
        return found;
    ScopedCLocale locale;
    ScopedForeignAllocations foreign;
    GPContext* context = gp_context_new();
    CameraAbilitiesList* abilities = Abilities(context);
    GPPortInfoList* current = CurrentPorts();
    CameraList* list = nullptr;
    if (abilities != nullptr && current != nullptr && gp_list_new(&list) == GP_OK) {
        if (gp_abilities_list_detect(abilities, current, list, context) >= GP_OK) {
            for (int i = 0; i < gp_list_count(list); ++i) {
                const char* model = nullptr;
                const char* port = nullptr;
                gp_list_get_name(list, i, &model);
                gp_list_get_value(list, i, &port);
                // A port without a number is libgphoto2's placeholder, not a camera.
                if (model != nullptr && port != nullptr && std::string(port) != "usb:")
                    found.emplace_back(model, port);
            }
        }
        gp_list_free(list);
    }
    if (current != nullptr)
        gp_port_info_list_free(current);
    gp_context_unref(context);
    return found;
}

bool Gphoto2Library::KnowsModel(const std::string& model) {
    KeepDriversLoaded();
    ScopedCLocale locale;
    ScopedForeignAllocations foreign;
    GPContext* context = gp_context_new();
    CameraAbilitiesList* list = nullptr;
    bool known = false;
    if (gp_abilities_list_new(&list) == GP_OK) {
        known = gp_abilities_list_load(list, context) >= GP_OK &&
                gp_abilities_list_lookup_model(list, model.c_str()) >= 0;
        gp_abilities_list_free(list);
    }
    gp_context_unref(context);
    return known;
}

}  // namespace talbex::gphoto
