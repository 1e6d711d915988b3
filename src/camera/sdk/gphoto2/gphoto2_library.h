// What all cameras of the libgphoto2 backend share: the lists of camera drivers and
// ports (loaded once), the lock around libgphoto2's process-wide work (loading drivers,
// detecting cameras, opening and closing them) and the text settings its calls run in.
#pragma once

#include <gphoto2/gphoto2-abilities-list.h>
#include <gphoto2/gphoto2-context.h>
#include <gphoto2/gphoto2-port-info-list.h>
#include <locale.h>

#include <chrono>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace talbex::gphoto {

/// For the calling thread while it lives: the "C" texts and numbers libgphoto2 parses
/// and prints (its untranslated labels and choices, whatever LANGUAGE says; a decimal
/// point) with UTF-8 for text, whatever the program's own locale.
class ScopedCLocale {
  public:
    ScopedCLocale();
    ~ScopedCLocale();
    ScopedCLocale(const ScopedCLocale&) = delete;
    ScopedCLocale& operator=(const ScopedCLocale&) = delete;

  private:
    locale_t previous_ = nullptr;
};

/// For the calling thread while it lives, in builds with the leak checker: what is
/// allocated is not reported. libgphoto2 keeps small allocations of its drivers and port
/// lists for good when it opens, detects and closes cameras; they are not the program's.
class ScopedForeignAllocations {
  public:
    ScopedForeignAllocations();
    ~ScopedForeignAllocations();
    ScopedForeignAllocations(const ScopedForeignAllocations&) = delete;
    ScopedForeignAllocations& operator=(const ScopedForeignAllocations&) = delete;
};

/// One libgphoto2 call whose driver keeps a few bytes for good when a busy body answers
/// an operation without the data it expected (ptp2 2.5.30 does not free that answer).
template <typename Call>
auto ForeignCall(Call call) {
    ScopedForeignAllocations foreign;
    return call();
}

/// Around opening and closing cameras: libgphoto2 2.5.30 closes descriptor 0 whenever
/// it closes a network camera, whatever the program keeps there. The guard puts back
/// what descriptor 0 held (taking the number again only while it is free, never from
/// anyone else), and gives it /dev/null when nothing held it, so no file the program
/// opens later lands on a number libgphoto2 will close.
class KeepDescriptorZero {
  public:
    KeepDescriptorZero();
    ~KeepDescriptorZero();
    KeepDescriptorZero(const KeepDescriptorZero&) = delete;
    KeepDescriptorZero& operator=(const KeepDescriptorZero&) = delete;

  private:
    int saved_ = -1;
    int flags_ = 0;
};

class Gphoto2Library {
  public:
    Gphoto2Library() = default;
    ~Gphoto2Library();
    Gphoto2Library(const Gphoto2Library&) = delete;
    Gphoto2Library& operator=(const Gphoto2Library&) = delete;

    /// Held around every call that touches libgphoto2's process-wide state. Opening a
    /// camera holds it for as long as libgphoto2 takes, which a camera that sends its
    /// handshake a byte at a time makes as long as it likes: nobody waits for it longer
    /// than kGlobalLockWait (TakeGlobalLock), and a call that cannot have it fails instead.
    std::mutex& GlobalLock() { return global_; }
    static constexpr std::chrono::milliseconds kGlobalLockWait{2000};
    /// GlobalLock, taken within kGlobalLockWait; not owned when another thread keeps it
    /// longer.
    std::unique_lock<std::mutex> TakeGlobalLock();

    /// The camera drivers, loaded on first use (call with GlobalLock held); null when
    /// they cannot be loaded.
    CameraAbilitiesList* Abilities(GPContext* context);
    /// The ports as they are now (cameras come and go); the caller frees the list.
    static GPPortInfoList* CurrentPorts();

    /// The cameras libgphoto2 finds on USB and serial ports: (model, port) pairs. None
    /// while another thread keeps the library busy beyond kGlobalLockWait.
    std::vector<std::pair<std::string, std::string>> Detect();

    /// True when libgphoto2 has a driver for the camera model `model` (compared as
    /// libgphoto2 compares, ignoring case). For checking a camera setting at start; it
    /// loads the drivers on its own.
    static bool KnowsModel(const std::string& model);

  private:
    std::mutex global_;
    CameraAbilitiesList* abilities_ = nullptr;
};

}  // namespace talbex::gphoto
