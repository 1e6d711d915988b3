// CTALBEXMAIN: the program's main window. It shows the advertisement page, the connect
// button that doubles as the connection status line, the language switch and the buttons
// that open the camera-parameters and remote-control windows; it finds the camera every
// two seconds, identifies and reports it (with a test shot when the camera does not tell
// its serial), then probes every two seconds that it is still there and ends itself with
// OK when it is gone, so that the application builds a fresh one.
//
// Everything here runs on the window thread, except RequestStop (any thread). The
// connection's worker runs from ConnectCamera until "closing" and only touches the model,
// the staging folder and the SDK.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/os/launcher.h"
#include "platform/ui/dialog.h"
#include "shell/camera_connection.h"
#include "shell/staging_area.h"
#include "shell/test_shot.h"
#include "web/vendor_service.h"

namespace talbex::exif {
class ExifReader;
}

namespace talbex::shell {

/// What the main window takes from its surroundings; the program passes the system's,
/// tests their own.
struct MainWindowSetup {
    std::function<uint32_t()> localeId;  // default: the system's locale id
    std::function<bool()> networkAlive;  // default: the system's answer
    std::string vendorHost;              // empty: no web service
    os::Launcher* launcher = nullptr;    // default: the desktop's (xdg-open)
    web::DateSource today;               // default: the local date
    web::HttpOptions http;
    /// How long the window waits at once, after the worker starts, for the session to
    /// open before it reads the camera itself; a camera that takes longer is waited for
    /// on a timer, the window working meanwhile, up to kSessionOpenLimit.
    std::chrono::milliseconds sessionWait{1000};
    /// Pause before the mode-check message is shown again (a person takes time to turn
    /// the dial; a headless run answers at once).
    std::chrono::milliseconds modeCheckPause{0};
    /// Told once a camera is identified, with what was read (and reported).
    std::function<void(const web::CameraIdentity&)> onIdentified;
    /// Build the camera-parameters and remote-control windows for a connection of their
    /// own: opened, with its commander made and given the model. A window that observes
    /// the model registers itself here, before the commander's event handlers are set;
    /// the main window then runs it modally and closes the connection. Empty, or
    /// answering nothing: no window is shown.
    using DialogRunner = std::function<std::unique_ptr<ui::Dialog>(CameraConnection&, int language,
                                                                   const web::CameraIdentity&)>;
    DialogRunner runCameraParameters;
    DialogRunner runRemoteControl;
    /// The user's settings that test shots could not yet put back; the application
    /// hands the same store to every main window it builds (none given: the window
    /// keeps its own).
    std::shared_ptr<UnrestoredSettings> unrestoredSettings;
};

class CTALBEXMAIN : public ui::Dialog {
  public:
    // Control ids.
    static constexpr int kBrowser = 1031;
    static constexpr int kConnect = 1015;
    static constexpr int kCameraParameters = 1013;
    static constexpr int kLanguageSwitch = 1000;
    static constexpr int kRemoteControl = 1014;
    static constexpr int kHiddenConnect = 1016;
    static constexpr int kHiddenProductName = 1017;
    static constexpr int kHiddenUpdateCheck = 1018;
    static constexpr int kHiddenIdentify = 1019;
    static constexpr int kHiddenEvaluate = 1020;
    static constexpr int kHiddenNothing = 1023;
    // Timer ids.
    static constexpr uint32_t kPollTimer = 1;
    static constexpr uint32_t kTestShotTimer = 10;
    static constexpr uint32_t kTestShotRetryTimer = 11;  // the picture command, when busy
    static constexpr uint32_t kSessionTimer = 12;        // a camera still opening
    static constexpr uint32_t kRestoreTimer = 13;        // the user's settings going back
    static constexpr uint32_t kProbeTimer = 22;
    // Timer periods: the connection poll and the presence probe share one.
    static constexpr uint32_t kPollPeriodMs = 2000;
    static constexpr uint32_t kTestShotPeriodMs = 1200;
    static constexpr uint32_t kSessionCheckMs = 200;
    /// How long a camera may take to open (many need seconds, over Wi-Fi more) before the
    /// window says it did not.
    static constexpr std::chrono::milliseconds kSessionOpenLimit{20000};

    explicit CTALBEXMAIN(MainWindowSetup setup = {});
    ~CTALBEXMAIN() override;

    /// Ends the window with Cancel at the next chance, also from inside the mode check.
    /// Any thread.
    void RequestStop();

    // The connection logic; public for the hidden buttons and for tests.
    void ConnectCamera();
    void IdentifyCamera();
    void EvaluateTestShot();
    /// The test shot's picture that holds its identity, open in `reader`: the newest
    /// picture when it is a landed test shot, or, when that one is not a JPEG (the RAW
    /// of a RAW and JPEG shot), the shot's other file. Empty while none has landed.
    std::string OpenLandedTestShot(exif::ExifReader& reader);
    /// True when the camera is gone.
    bool ProbeCamera();
    void OnCameraLost();
    void ApplyLanguage();

    int language() const { return language_; }
    bool connected() const { return connected_; }
    bool testShotPending() const { return testShotPending_; }
    /// The camera is opening: its session is awaited on the session timer.
    bool opening() const { return opening_; }
    /// The user's settings are going back to a camera that answers busy, on the restore
    /// timer.
    bool restoring() const { return restoring_; }
    const web::CameraIdentity& identity() const { return identity_; }
    const std::string& localVersion() const { return localVersion_; }
    const std::string& englishCaption() const { return englishCaption_; }
    const std::string& chineseCaption() const { return chineseCaption_; }

  protected:
    bool OnInitDialog() override;
    /// Closing the window puts the user's settings back first when a test shot is in
    /// force, and also closes a camera-parameters or remote-control window open on top.
    void OnCancel() override;
    const ui::MessageMap* GetMessageMap() const override;

  private:
    void OnTimer(uint32_t id);
    /// The connection poll again, unless a camera is connected or opening.
    void RearmPoll();
    /// Session timer: the camera opened, failed, or ran out of time.
    void CheckSession();
    /// The session open has an outcome (or none came in time): identify, or say once
    /// that the camera did not open.
    void SessionSettled();
    void OnConnect();
    void OnLanguageSwitch();
    void OnCameraParameters();
    void OnRemoteControl();
    void OnShowProductName();
    void OnCheckForUpdate();
    void OnNothing() {}
    void RunDialogOnOwnConnection(const MainWindowSetup::DialogRunner& dialog);

    int SystemLanguage() const;
    std::string TodayPath() const;
    void ShowPage(const std::string& address);
    void ShowConnectCaption();
    void ReportCamera();
    void PrepareTestShot();
    /// Shows the mode message until the dial is on M; false when the window must end. A
    /// camera without a shooting mode passes.
    bool CheckModeDial();
    /// Sends the test shot's picture command; a busy camera is asked again shortly.
    void SendTestShot();
    /// The test shot is over (with or without serial): the user's settings go back, then
    /// AfterTestShot.
    void FinishTestShot();
    /// One try at every setting not yet back; true when none is left to try (written, or
    /// the camera gone or without it). Busy or refused ones stay for the next try.
    bool TryRestore();
    /// Restore timer: tries again, until all are back or kRestoreLimit has passed.
    void ContinueRestore();
    /// The restore is over: forgets the kept settings when all are back, else says so.
    void FinishRestore(bool tellUser);
    /// Closes the connection, then purges the test shots (one still arriving lands while
    /// the connection closes) and watches the camera.
    void AfterTestShot();
    /// The window ends during a test shot: puts back what it can within
    /// kRestoreOnEndLimit; what it cannot stays kept for the camera's next identification.
    void RestoreOnEnd();
    /// True for a picture the camera sent as this window's test shot, still as it landed.
    bool IsLandedTestShot(const std::string& path) const;
    /// The test shot gives no serial (`why` says how): nothing to report, the camera is
    /// only watched.
    void EndTestShotWithoutSerial(const std::string& why);
    void EnableDialogButtons(bool enable);
    void Identified();
    bool StopRequested() const { return stopRequested_.load(); }

    MainWindowSetup setup_;
    std::unique_ptr<os::Launcher> ownLauncher_;
    std::unique_ptr<web::VendorService> vendor_;
    std::string programDirectory_;

    int language_ = 0;
    std::string localVersion_ = "4.0.1";
    std::string remoteVersion_;
    std::string answerText_;
    bool firmwareOld_ = false;

    CameraConnection connection_;
    bool connected_ = false;
    bool cameraHeld_ = false;      // the last connection found the camera held elsewhere
    bool toldCameraHeld_ = false;  // and the user was told, while it stays so
    bool testShotPending_ = false;
    bool opening_ = false;          // the session timer waits for the camera to open
    bool cameraNotOpened_ = false;  // the last connection found the camera, which did not open
    bool toldNotOpened_ = false;    // the user was told the camera did not open, while it stays so
    std::chrono::milliseconds sessionOpenBy_{0};    // on the windows' clock
    bool restoring_ = false;                        // the restore timer runs
    std::chrono::milliseconds restoreGiveUpAt_{0};  // on the windows' clock
    UserSettings toRestore_;                        // what has not gone back yet
    bool restoreRefused_ = false;  // a setting that cannot go back (camera gone, none there)
    UserSettings savedSettings_;
    std::string testShotCamera_;  // the camera the test shot's settings are on
    /// The test shot as the camera sent it: noted by the connection's worker when the
    /// picture has landed, read by the evaluation.
    struct LandedShot {
        std::mutex mutex;
        bool expected = false;  // the picture command has gone out, nothing landed yet
        std::string shotName;   // the first file's name without its extension
        std::set<FileStamp> pictures;
        std::vector<std::string> paths;  // where they landed, first first
    };
    std::shared_ptr<LandedShot> landedShot_ = std::make_shared<LandedShot>();
    int unreadableShotTicks_ = 0;  // test-shot ticks with files landed but none readable
    int waitingShotTicks_ = 0;     // test-shot ticks with nothing landed yet
    web::CameraIdentity identity_;
    std::string englishCaption_;
    std::string chineseCaption_;
    std::atomic<bool> stopRequested_{false};
    ui::Dialog* openDialog_ = nullptr;  // the window a dialog button opened, while it runs
};

}  // namespace talbex::shell
