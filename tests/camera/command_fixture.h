// A model on the scripted camera with a recording observer, for running commands directly.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "camera/camera_model.h"
#include "support/recording_observer.h"
#include "support/scripted_sdk.h"

namespace talbex::camera {

class CommandTest : public ::testing::Test {
  protected:
    void SetUp() override { UseCamera(false); }
    void TearDown() override {
        model.reset();
        testing::ScriptedSdk::Uninstall();
    }

    void UseCamera(bool legacy) {
        model.reset();
        testing::ScriptedSdk::Uninstall();
        sdk = testing::ScriptedSdk::Install(legacy ? 0 : 1);
        model = createCameraModel(sdk->Camera(), sdk->DeviceInfo());
        model->addObserver(&events);
        events.Clear();
        sdk->ClearCalls();
    }

    using Lines = std::vector<std::string>;

    std::shared_ptr<testing::ScriptedSdk> sdk;
    std::unique_ptr<CameraModel> model;
    testing::RecordingObserver events;
};

}  // namespace talbex::camera
