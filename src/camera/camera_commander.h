// Turns action names and camera events into queued commands, and carries the session's
// end ("closing").
//
// Who touches what: `actionPerformed` runs on any thread (window thread, worker, the SDK's
// event thread) and only enqueues, except "closing", which blocks its caller until the
// worker has ended. The model and the staging folder are set by the window that opens
// the connection, before `run`.
#pragma once

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

    CameraModel* model_ = nullptr;  // not owned
    Processor processor_;
    mutable std::mutex folderMutex_;
    std::string stagingFolder_;  // guarded by folderMutex_; empty: the program's folder
};

}  // namespace talbex::camera
