// Turns action names and camera events into queued commands, and carries the session's
// end ("closing").
//
// Who touches what: `actionPerformed` runs on any thread (window thread, worker, the SDK's
// event thread) and only enqueues, except "closing", which blocks its caller until the
// worker has ended, for a bounded time. A picture still arriving then may finish within a
// grace period, so closing a window does not lose it; past the grace, or once the program
// has been asked to quit (os::QuitRequested), the transfer is cancelled instead of waited
// for. A worker that has still not ended is stuck in the camera library: "closing" returns
// all the same and `workerEnded` says so, for the owner to abandon it (Thread::abandon).
// The model and the staging folder are set by the window that opens the connection,
// before `run`.
#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>

#include "camera/action_event.h"
#include "camera/camera_model.h"
#include "camera/processor.h"

namespace talbex::camera {

class CameraCommander : public ActionListener {
  public:
    explicit CameraCommander(Processor::Options options = {}) : processor_(options) {}
    ~CameraCommander() override = default;

    void actionPerformed(const ActionEvent& event) override;

    void setModel(CameraModel* model) { model_ = model; }
    CameraModel* getModel() const { return model_; }
    Processor& getProcessor() { return processor_; }

    /// Absolute folder that transferred pictures are written into; the program's own
    /// folder (os::ProgramDirectory) until set.
    void setStagingFolder(const std::string& folder);
    std::string getStagingFolder() const;

    /// Told the full path of each picture that has arrived, once it has its final name and
    /// before "DownloadComplete" goes to the observers. Called on the worker thread; it
    /// must not block on the window thread (which may be waiting in "closing"). May be set
    /// at any time; empty: nobody is told.
    using PictureLanded = std::function<void(const std::string& path)>;
    void setPictureLanded(PictureLanded landed);

    /// How long "closing" lets a transfer in progress go on before cancelling it.
    static constexpr std::chrono::milliseconds kDefaultClosingGrace{10000};
    void setClosingGrace(std::chrono::milliseconds grace) { closingGrace_ = grace; }
    /// How long "closing" waits for a worker that brings no picture in: a command in hand
    /// ends well within it unless the camera library holds it.
    static constexpr std::chrono::milliseconds kWorkerEndLimit{3000};
    /// False after "closing" when the worker was still running at the end of the wait.
    bool workerEnded() const { return processor_.hasEnded(); }

    /// Starts the worker and queues the session open and the product-name read. Once.
    void run();

    /// Registers the three handlers below for `camera` with this commander as context.
    SdkError registerEventHandlers(SdkCameraRef camera);

    // The SDK's event handlers; `context` is the commander. They only fire actions.
    static SdkError handlePropertyEvent(SdkPropertyEvent event, SdkPropertyId property,
                                        uint32_t param, void* context);
    static SdkError handleObjectEvent(SdkObjectEvent event, SdkBaseRef object, void* context);
    static SdkError handleStateEvent(SdkStateEvent event, uint32_t param, void* context);

  private:
    void close();
    void moveFocus(int32_t dx, int32_t dy);
    void pictureLanded(const std::string& path);
    /// Asked by a transfer in progress (worker thread): true when it must end now.
    bool transferMustEnd() const;

    using Clock = std::chrono::steady_clock;

    CameraModel* model_ = nullptr;  // not owned
    std::atomic<std::chrono::milliseconds> closingGrace_{kDefaultClosingGrace};
    // When "closing" began; then `stopping_` is set, after it.
    std::atomic<Clock::time_point> closingSince_{};
    std::atomic<bool> stopping_{false};
    mutable std::mutex settingsMutex_;
    std::string stagingFolder_;  // guarded by settingsMutex_; empty: the program's folder
    PictureLanded landed_;       // guarded by settingsMutex_
    // Last, so that it (and the commands it still holds) goes before the members above.
    Processor processor_;
};

}  // namespace talbex::camera
