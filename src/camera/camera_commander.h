// Turns action names and camera events into queued commands, and carries the session's
// end ("closing").
//
// Who touches what: `actionPerformed` runs on any thread (window thread, worker, the SDK's
// event thread) and only enqueues, except "closing", which blocks its caller until the
// worker has ended; a transfer in progress is then cancelled, not waited for. The model
// and the staging folder are set by the window that opens the connection, before `run`.
#pragma once

#include <atomic>
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

    CameraModel* model_ = nullptr;  // not owned
    // Set by "closing": a transfer in progress is cancelled rather than waited for.
    std::atomic<bool> stopping_{false};
    mutable std::mutex settingsMutex_;
    std::string stagingFolder_;  // guarded by settingsMutex_; empty: the program's folder
    PictureLanded landed_;       // guarded by settingsMutex_
    // Last, so that it (and the commands it still holds) goes before the members above.
    Processor processor_;
};

}  // namespace talbex::camera
