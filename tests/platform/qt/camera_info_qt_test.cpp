// The camera-parameters and clock windows in real Qt windows, opened with the main
// window's button on the simulated camera: the camera's identity in the fields, texts
// typed into the fields and saved to the camera with a real message box telling how it
// went, and the clock window confirmed with its OK button. Both languages.
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPushButton>

#include "info/camera_parameters_dialog.h"
#include "info/camera_parameters_runner.h"
#include "info/clock_sync_dialog.h"
#include "info/info_texts.h"
#include "qt_main_window_fixture.h"

namespace talbex::qt::testing {
namespace {

using info::CMSG;
using info::CSYNCTIMER;

class QtCameraInfoTest : public QtMainWindowTest {
  protected:
    /// Lets the window's wait before reading pass (the session opens in real time, the
    /// window waits on the test clock) until the fields are filled.
    bool Settle(Main& main, CMSG& window, sim::SimCamera& camera) {
        if (!Eventually(main, [&] { return camera.SessionOpen(); }))
            return false;
        for (int period = 0; period < 10; ++period) {
            Advance(main, 500ms);
            bool filled = false;
            OnGui(main, [&] { filled = window.filled(); });
            if (filled)
                return true;
            std::this_thread::sleep_for(20ms);
        }
        return false;
    }
    std::string Field(ui::Dialog& dialog, int id) {
        return Widget<QLineEdit>(dialog, id)->text().toStdString();
    }
};

TEST_F(QtCameraInfoTest, ParametersAreShownEditedSavedAndTheClockIsSetThroughTheWidgets) {
    sim::CameraSettings settings;
    settings.owner = "old owner";
    auto cameras = sim::InstallSimulatedCameras({settings});
    auto camera = cameras->Camera(0);
    shell::MainWindowSetup setup = Setup(2052);
    setup.runCameraParameters = info::CameraParametersRunner();
    Main main(setup);
    RunDriven(main, [&] {
        Advance(main, 2000ms);
        ASSERT_TRUE(Eventually(main, [&] { return main.connected(); }));
        for (const bool english : {false, true}) {
            SCOPED_TRACE(english ? "English" : "Chinese");
            const std::string language = english ? "en" : "zh";
            CMSG* window = OpenWith<CMSG>(main, main, Main::kCameraParameters);
            ASSERT_NE(window, nullptr);
            ASSERT_TRUE(Settle(main, *window, *camera));
            OnGui(main, [&] {
                EXPECT_EQ(WindowOf(*window)->windowTitle(), english ? "Camera Para" : "相机参数");
                EXPECT_EQ(Widget<QPushButton>(*window, CMSG::kSave)->text(),
                          english ? "Save" : "保存设置");
                EXPECT_EQ(Field(*window, CMSG::kModel), "SimCam S1");
                EXPECT_EQ(Field(*window, CMSG::kSerial), "2718281828");
                EXPECT_FALSE(Widget(*window, CMSG::kModel)->isEnabled());
                EXPECT_TRUE(Widget(*window, CMSG::kOwner)->isEnabled());
                Screenshot(*window, "camera_parameters_" + language);
            });
            // Typed into the owner field like a user, then saved.
            const std::string owner = english ? "Chen Jing" : "陈静";
            OnGui(main, [&] {
                auto* field = Widget<QLineEdit>(*window, CMSG::kOwner);
                field->setFocus();
                field->selectAll();
                if (english) {
                    QTest::keyClicks(field, QString::fromStdString(owner));
                } else {
                    // Chinese arrives from the input method as committed text.
                    QInputMethodEvent typed;
                    typed.setCommitString(QString::fromStdString(owner));
                    QApplication::sendEvent(field, &typed);
                }
            });
            OnGui(main, [&] { Click(*window, CMSG::kSave); });
            EXPECT_EQ(AnswerBox(main), english ? info::kSavedEnglish : info::kSavedChinese);
            EXPECT_EQ(camera->PropertyText(kPropOwnerName), owner);

            // The clock window, confirmed with its OK button.
            CSYNCTIMER* clock = OpenWith<CSYNCTIMER>(main, *window, CMSG::kSynchTime);
            ASSERT_NE(clock, nullptr);
            OnGui(main, [&] {
                EXPECT_EQ(WindowOf(*clock)->windowTitle(),
                          english ? "Sync Camera Time" : "同步相机时间");
                EXPECT_FALSE(Field(*clock, CSYNCTIMER::kComputerTime).empty());
                Screenshot(*clock, "clock_sync_" + language);
            });
            OnGui(main, [&] { Click(*clock, ui::kIdOk); });
            EXPECT_EQ(AnswerBox(main), english ? info::kSyncDoneEnglish : info::kSyncDoneChinese);
            ASSERT_TRUE(Eventually(main, [&] { return ui::TopmostModal() == window; }));

            OnGui(main, [&] { QTest::keyClick(WindowOf(*window), Qt::Key_Escape); });
            ASSERT_TRUE(Eventually(main, [&] { return ui::TopmostModal() == &main; }));
            EXPECT_FALSE(camera->SessionOpen());
            if (!english)
                OnGui(main, [&] { Click(main, Main::kLanguageSwitch); });
        }
        OnGui(main, [&] { WindowOf(main)->close(); });
    });
}

}  // namespace
}  // namespace talbex::qt::testing
