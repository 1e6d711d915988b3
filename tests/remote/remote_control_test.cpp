// The remote-control window end to end: captions, the current values, the setting lists'
// writes and messages, the close sequence (close box and camera switched off), live view,
// the hidden send-command button, "saveto.txt" and the main window's opener.
#include <gtest/gtest.h>

#include <cstring>

#include "camera/sdk/sdk.h"
#include "remote/remote_fixture.h"
#include "resources/dialog_templates.h"
#include "shell/main_window_fixture.h"
#include "shell/talbex_main.h"

namespace talbex::remote::testing {
namespace {

using ui::ChangeEvent;

// The simulated camera, remembering every value written through the SDK.
class RecordingSim final : public sim::SimBackend {
  public:
    RecordingSim() : sim::SimBackend({sim::CameraSettings{}}) {}
    SdkError SetPropertyData(SdkObject& ref, SdkPropertyId property, int32_t param, uint32_t size,
                             const void* data) override {
        if (size == sizeof(uint32_t)) {
            uint32_t value = 0;
            std::memcpy(&value, data, sizeof value);
            std::lock_guard lock(mutex_);
            writes_.emplace_back(property, value);
        }
        return sim::SimBackend::SetPropertyData(ref, property, param, size, data);
    }
    std::vector<std::pair<SdkPropertyId, uint32_t>> Writes() {
        std::lock_guard lock(mutex_);
        return writes_;
    }

  private:
    std::mutex mutex_;
    std::vector<std::pair<SdkPropertyId, uint32_t>> writes_;
};

bool IsCaptioned(ui::ControlKind kind) {
    return kind == ui::ControlKind::kPushButton || kind == ui::ControlKind::kLabel;
}

TEST_F(RemoteControlTest, EnglishCaptionsWithLanguageThreeAndTheTemplatesChineseOtherwise) {
    for (int language : {3, 1}) {
        Open(language);
        const ui::DialogTemplate& tpl = resources::RemoteControlDialog();
        const bool english = language == 3;
        EXPECT_EQ(window().GetWindowText(), english ? "Remote Control" : "相机遥控界面");
        for (const ui::ControlTemplate& c : tpl.controls) {
            if (!IsCaptioned(c.kind))
                continue;
            const std::string expected = english && c.english[0] ? c.english : c.chinese;
            EXPECT_EQ(Item(c.id).GetWindowText(), expected) << c.id;
        }
        EXPECT_EQ(Item(1048).GetWindowText(), english ? "Iamage Quality" : "照片质量");
        EXPECT_EQ(Item(1068).GetWindowText(), english ? "Set the photo path" : "设置照片保存路径");
        EXPECT_EQ(Item(1015).GetWindowText(), "<<<");
        EXPECT_EQ(Item(1020).GetWindowText(), ">>>");
        // The lists offer their tables in code order, translated where they should be.
        EXPECT_EQ(Item(1058).GetLBText(20), "+5");
        EXPECT_EQ(Item(1058).GetLBText(21), "-5");  // right after "+5"
        EXPECT_EQ(Item(1035).GetLBText(7), english ? "10-Sec Self-timer" : "1 0-Sec 自拍定时器 ");
        EXPECT_EQ(Item(1041).GetCount(), 0);  // bracketing stays empty
        // Clicking a row label does nothing.
        Do([&] { ui::user::Click(window(), 1004); });
        EXPECT_TRUE(Boxes().empty());
        CloseWindow();
    }
}

TEST_F(RemoteControlTest, TheCurrentValuesAppearOneSecondAfterOpeningNotBefore) {
    struct Expected {
        int list;
        const char* english;
        const char* chinese;
    } const expected[] = {
        {1035, "Single Shooting", "单拍"},
        {1061, "100", "100"},
        {1062, "Evaluative", "评价测光"},
        {1060, "5.6", "5.6"},
        {1059, "1/60", "1/60"},
        {1063, "One-Shot AF", "单次自动对焦"},
        {1064, "Large Fine Jpeg", "大 优质 照片 "},
        {1036, "sRGB", "sRGB "},
        {1037, "Off", "关"},
        {1042, "Off", "关"},
        {1038, "0", "0"},
        {1058, "-1/3", "-1/3"},
        {1040, "On 1", "开 1 "},
        {1039, "Auto", "自动"},
    };
    for (int language : {3, 2}) {
        Open(language);
        // Values the lists show later, written by someone else.
        ASSERT_EQ(shell::WriteUInt32Property(connection_->camera(), kPropNoiseReduction, 1),
                  kSdkOk);
        ASSERT_EQ(
            shell::WriteUInt32Property(connection_->camera(), kPropExposureCompensation, 0xFD),
            kSdkOk);
        Advance(999ms);
        for (const Expected& e : expected)
            EXPECT_EQ(Item(e.list).GetWindowText(), "") << e.list;
        Advance(1ms);
        for (const Expected& e : expected) {
            EXPECT_EQ(Item(e.list).GetWindowText(), language == 3 ? e.english : e.chinese)
                << e.list;
            EXPECT_EQ(Item(e.list).GetCurSel(), -1) << e.list;  // the text only
        }
        // Timer 1 ran once: a later change is not picked up by it.
        ASSERT_EQ(shell::WriteUInt32Property(connection_->camera(), kPropNoiseReduction, 0),
                  kSdkOk);
        Advance(5000ms);
        EXPECT_EQ(Item(1040).GetWindowText(), language == 3 ? "On 1" : "开 1 ");
        // The hidden button reads again.
        Notify(CVellmoraDlg::kRefreshValuesButton);
        EXPECT_EQ(Item(1040).GetWindowText(), language == 3 ? "Off" : "关");
        // And the image-quality button reads only that list again.
        ASSERT_EQ(shell::WriteUInt32Property(connection_->camera(), kPropImageQuality, 0x0012FF0F),
                  kSdkOk);
        ASSERT_EQ(shell::WriteUInt32Property(connection_->camera(), kPropNoiseReduction, 1),
                  kSdkOk);
        Notify(CVellmoraDlg::kRefreshImageQualityButton);
        EXPECT_EQ(Item(1064).GetWindowText(),
                  language == 3 ? "Large Normal Jpeg" : "大 普通 照片 ");
        EXPECT_EQ(Item(1040).GetWindowText(), language == 3 ? "Off" : "关");
        CloseWindow();
    }
}

TEST_F(RemoteControlTest, PickingARowWritesItsCodeAndTellsTheResult) {
    auto recording = std::make_shared<RecordingSim>();
    struct Case {
        int language;
        int list;
        std::string row;
        SdkPropertyId property;
        uint32_t written;
        bool refuse;
        std::string message;
    } const cases[] = {
        {3, 1058, "-1/3", kPropExposureCompensation, 0xFD, false, "ExposureComp Set successfully!"},
        {2, 1038, "+1", kPropFlashCompensation, 0x08, false, "闪光补偿(Flash Exp Comp)设置成功！"},
        {3, 1039, "Setting the white balance by clicking image coordinates", kPropWhiteBalance,
         0xFFFFFFFF, false, "Failed to set White Balance!"},  // not a value this camera takes
        {3, 1035, "Continuous Shooting", kPropDriveMode, 1, true, "Failed to set Drive Mode!"},
        {2, 1035, "连拍", kPropDriveMode, 1, true, "拍照模式(Drive Mode)设置失败！"},
        {3, 1064, "Small3 Jpeg", kPropImageQuality, 0x1013FF0F, false,
         "IamageQuality Set successfully!"},
        {2, 1040, "开 2 ", kPropNoiseReduction, 2, false, "降噪(NoiseReduction)设置成功！"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.row);
        SdkUseBackend(recording);
        backend_ = recording;
        camera_ = recording->Camera(0);
        OpenAgain(c.language);
        if (c.refuse)
            camera_->FailNext(sim::Operation::SetPropertyData, 1, kSdkErrDeviceBusy, c.property);
        // Only this property's writes count: the session the window opened may still be
        // writing its own settings (where pictures go) from the worker.
        auto writesOf = [&](SdkPropertyId property) {
            std::vector<uint32_t> values;
            for (const auto& [id, value] : recording->Writes())
                if (id == property)
                    values.push_back(value);
            return values;
        };
        const size_t writes = writesOf(c.property).size();
        Do([&] { ASSERT_TRUE(ui::user::PickRow(window(), c.list, c.row)); });
        const auto all = writesOf(c.property);
        ASSERT_EQ(all.size(), writes + 1);
        EXPECT_EQ(all.back(), c.written);
        EXPECT_EQ(Boxes().back(), c.message);
        const bool taken = c.message.find("uccess") != std::string::npos ||
                           c.message.find("成功") != std::string::npos;
        if (taken) {
            EXPECT_EQ(camera_->PropertyValue(c.property), c.written);
            EXPECT_EQ(Item(c.list).GetWindowText(), c.row);
        } else {
            EXPECT_EQ(Item(c.list).GetCurSel(), -1);  // the list is emptied
            EXPECT_EQ(Item(c.list).GetWindowText(), "");
        }
        CloseWindow();
    }
}

// An older camera takes a list's setting only under its control lock, which the window
// takes around the write; the shutter button needs none.
TEST_F(RemoteControlTest, AnOlderCameraTakesTheListsSettingsAndTheShutterButton) {
    sim::CameraSettings settings;
    settings.legacy = true;
    Open(3, settings);
    Do([&] { ASSERT_TRUE(ui::user::PickRow(window(), 1058, "-1/3")); });
    EXPECT_EQ(Boxes().back(), "ExposureComp Set successfully!");
    EXPECT_EQ(camera_->PropertyValue(kPropExposureCompensation), 0xFDu);
    Do([&] { ui::user::Click(window(), 1030); });  // fully pressed
    Do([&] { ui::user::Click(window(), 1031); });  // released
    EXPECT_TRUE(Eventually([&] { return camera_->PicturesTaken() == 1; }));
    // The worker may still hold the lock for what the picture brings; it must let go.
    EXPECT_TRUE(Eventually([&] { return !camera_->ControlsLocked(); }));
}

TEST_F(RemoteControlTest, TheCloseBoxAndTheCameraSwitchedOffCloseTheSameWay) {
    for (bool switchedOff : {false, true}) {
        std::ofstream(home() + "saveto.txt", std::ios::binary | std::ios::trunc) << "/old/folder";
        Open(3);
        ASSERT_EQ(window().saveFolder(), "/old/folder");
        prompts_.QueueFolder(saveTo_.path());
        Do([&] { ui::user::Click(window(), CVellmoraDlg::kChooseFolderButton); });
        EXPECT_EQ(Slurp(home() + "saveto.txt"), "/old/folder");  // kept until the close
        if (switchedOff)
            camera_->ShutDown();
        else
            ui::user::CloseWindow(window());
        EXPECT_EQ(thread().Result(5s), ui::kIdCancel);
        thread_.reset();
        EXPECT_FALSE(connection_->commander()->getProcessor().isRunning());  // "closing" was sent
        for (int id :
             {1000, 1006, 1005, 1007, 1008, 1009, 1010, 1021, 1001, 1030, 1031, 1029, 1032, 1033})
            EXPECT_FALSE(Item(id).IsWindowEnabled()) << id;
        EXPECT_TRUE(Item(1013).IsWindowEnabled());
        EXPECT_EQ(Slurp(home() + "saveto.txt"), saveTo_.path());
        CloseWindow();
        if (switchedOff)
            camera_->PlugIn();
    }
}

TEST_F(RemoteControlTest, SaveToTxtIsReadAndWrittenByteForByte) {
    struct Case {
        std::string file;
        std::string folder;  // what the window takes
        std::string after;   // the file once the window closed
    } const cases[] = {
        {"D:\\Photos", "D:\\Photos", "D:\\Photos"},
        {"/photos/day\n", "/photos/day\n", "/photos/day\n"},  // the line break is the path's
        {std::string("/photos\xFFgarbage"), "/photos", "/photos"},
        {std::string(255, 'a'), std::string(255, 'a'), std::string(255, 'a')},
        {std::string(256, 'a'), "", std::string(256, 'a')},  // a cut path is no path
    };
    Open(3);
    CloseWindow();
    for (const Case& c : cases) {
        std::ofstream(home() + "saveto.txt", std::ios::binary | std::ios::trunc) << c.file;
        OpenAgain(3);
        EXPECT_EQ(window().saveFolder(), c.folder);
        EXPECT_EQ(Item(CVellmoraDlg::kSaveFolderField).GetWindowText(), c.folder);
        CloseWindow();
        EXPECT_EQ(Slurp(home() + "saveto.txt"), c.after);
    }
    // The file is replaced whole: nothing else is left beside it.
    EXPECT_EQ(Names(home()), (std::vector<std::string>{"incoming", "saveto.txt"}));
}

TEST_F(RemoteControlTest, LiveViewRunsItsButtonsSendTheirActionsAndClosingEndsPromptly) {
    Open(3);
    const size_t drawnBefore = changes_.Values(1022, ChangeEvent::What::kSurface).size();
    Do([&] { ui::user::Click(window(), 1013); });  // "startEVF"
    ASSERT_TRUE(Eventually([&] {
        return changes_.Values(1022, ChangeEvent::What::kSurface).size() > drawnBefore + 3;
    }));
    const int32_t lens = camera_->LensPosition();
    Do([&] { ui::user::Click(window(), 1015); });  // "focus_Near3"
    EXPECT_TRUE(Eventually([&] { return camera_->LensPosition() != lens; }));
    Do([&] { ui::user::Click(window(), 1028); });  // "zoom_Zoom"
    EXPECT_TRUE(Eventually([&] { return camera_->PropertyValue(kPropEvfZoom) == 5u; }));
    const auto before = camera_->PropertyBytes(kPropEvfZoomPosition);
    Do([&] { ui::user::Click(window(), 1025); });  // "focus_Right"
    EXPECT_TRUE(Eventually([&] { return camera_->PropertyBytes(kPropEvfZoomPosition) != before; }));
    Do([&] { ui::user::Click(window(), 1027); });  // "zoom_Fit"
    EXPECT_TRUE(Eventually([&] { return camera_->PropertyValue(kPropEvfZoom) == 1u; }));

    const auto start = std::chrono::steady_clock::now();
    ui::user::CloseWindow(window());
    EXPECT_EQ(thread().Result(3s), ui::kIdCancel);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
    thread_.reset();
    EXPECT_FALSE(camera_->SessionOpen());
}

TEST_F(RemoteControlTest, TheHiddenSendCommandButtonTellsOnlyASuccess) {
    Open(3);
    Notify(CVellmoraDlg::kSendCommandButton);  // live view is off: the camera refuses
    EXPECT_TRUE(Boxes().empty());
    Do([&] { ui::user::Click(window(), 1013); });
    ASSERT_TRUE(Eventually(
        [&] { return (camera_->PropertyValue(kPropEvfOutputDevice).value_or(0) & 2) != 0; }));
    Notify(CVellmoraDlg::kSendCommandButton);
    EXPECT_EQ(Boxes(), std::vector<std::string>{"发送命令成功！"});
}

// Through the main window's button: its own connection, "Cannot detect camera" when
// there is none, and the presence probe stopped while the window runs.
class RemoteControlOpenerTest : public shell::testing::MainWindowTest {};

TEST_F(RemoteControlOpenerTest, TheButtonOpensTheWindowOnAConnectionOfItsOwn) {
    auto backend = Cameras();
    shell::MainWindowSetup setup = Setup(1033);
    setup.runRemoteControl = RemoteControlRunner();
    shell::CTALBEXMAIN main(setup);
    ui::testing::WindowThread mainThread(main);
    Advance(mainThread, 2000ms);
    ASSERT_TRUE(main.connected());

    backend->Camera(0)->Unplug();
    mainThread.Do([&] { ui::user::Click(main, shell::CTALBEXMAIN::kRemoteControl); });
    EXPECT_EQ(boxes_.Texts(), std::vector<std::string>{"Cannot detect camera"});
    backend->Camera(0)->PlugIn();

    ui::user::RunOnWindowThread(main,
                                [&] { ui::user::Click(main, shell::CTALBEXMAIN::kRemoteControl); });
    ASSERT_TRUE(Eventually([&] { return ui::TopmostModal() != &main; }));
    auto* remote = dynamic_cast<CVellmoraDlg*>(ui::TopmostModal());
    ASSERT_NE(remote, nullptr);
    EXPECT_EQ(remote->language(), 3);
    ASSERT_TRUE(Eventually([&] { return backend->Camera(0)->SessionOpen(); }));
    // The probe is stopped: unplugging now is not noticed by the main window.
    backend->Camera(0)->Unplug();
    clock_.Advance(4000ms);
    ASSERT_TRUE(ui::user::WaitUntilIdle(*remote, 2s));
    EXPECT_EQ(boxes_.Count("Cannot detect camera."), 0);
    backend->Camera(0)->PlugIn();

    ui::user::CloseWindow(*remote);
    ASSERT_TRUE(Eventually([&] { return ui::TopmostModal() == &main; }));
    ASSERT_TRUE(mainThread.Idle());
    EXPECT_EQ(SdkLiveReferenceCount(), 0u);
    // The probe runs again once the window is closed.
    backend->Camera(0)->Unplug();
    clock_.Advance(2000ms);
    EXPECT_EQ(mainThread.Result(5s), ui::kIdOk);  // the camera is missed at once
    EXPECT_EQ(boxes_.Count("Cannot detect camera."), 1);
}

}  // namespace
}  // namespace talbex::remote::testing
