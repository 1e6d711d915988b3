// The three exchanges the main window has with the vendor's web service, on its window
// thread: the update check at start, the once-a-day camera report with its firmware
// notice, and the addresses of the service's pages. The window keeps its own state (the
// identity texts, the language, the local version) and hands in what each exchange
// needs; the answers say what the window must do next.
#pragma once

#include <string>

#include "platform/os/launcher.h"
#include "platform/ui/language.h"
#include "platform/ui/message_box.h"
#include "web/day_key.h"
#include "web/http_options.h"

namespace talbex::web {

/// The camera's identity as the main window holds it. ReportCamera writes the encoded
/// forms of owner, artist and copyright back in place of the typed ones.
struct CameraIdentity {
    std::string model;
    std::string lens;
    std::string serialNumber;
    std::string shutterCount;  // decimal
    std::string firmware;
    std::string owner;
    std::string artist;
    std::string copyright;
};

struct UpdateCheck {
    std::string remoteVersion;   // as published, at most ten characters
    bool endWithCancel = false;  // the user chose to upgrade: the program ends
};

struct CameraReport {
    // False when nothing was reported: already reported under today's day key, no web
    // service, or the program is quitting.
    bool posted = false;
    std::string answer;  // answer text of the report
    bool firmwareOld = false;
    std::string firmwarePage;  // the address opened in the browser, when firmwareOld
};

class VendorService {
  public:
    /// `host`: VendorHost() in the program, empty for no web service. `programDirectory`
    /// (with its trailing '/') holds "log.txt" and "update.exe". The message boxes and the
    /// launcher must outlive this object.
    VendorService(std::string host, std::string programDirectory, ui::MessageBoxes& boxes,
                  os::Launcher& launcher, DateSource today = TodayLocal, HttpOptions http = {});

    /// Fetches the published version; when it is newer than `localVersion`, offers the
    /// upgrade (Yes/No) in the language `language`, and on Yes starts the updater.
    UpdateCheck CheckForUpdate(const std::string& localVersion, int language);

    /// Reports `identity` unless it was already reported under today's day key, and then
    /// stores today's key, once a report was sent or at least attempted (an unreachable
    /// host counts; no web service does not). When the answer says the firmware is old,
    /// tells the user (OK) and opens the firmware page in the browser without waiting.
    CameraReport ReportCamera(CameraIdentity& identity, int language);

    /// The address of `path` on the service; the empty text when there is no web service.
    std::string Address(const std::string& path) const;

  private:
    const std::string host_;
    const std::string programDirectory_;
    ui::MessageBoxes& boxes_;
    os::Launcher& launcher_;
    const DateSource today_;
    const HttpOptions http_;
};

}  // namespace talbex::web
