// The remote-control window in a real Qt window, opened with the main window's button on
// the simulated camera: its captions in both languages, a setting picked from a list's
// popup (written to the camera and reported in a real message box), the folder chooser,
// live view on the picture widget with its overlay and focus driven through the command
// queue, and the close box during live view.
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>

#include "controls/evf_picture_box.h"
#include "platform/qt/surface_view.h"
#include "qt_main_window_fixture.h"
#include "remote/remote_control_dialog.h"
#include "remote/remote_control_runner.h"

namespace talbex::qt::testing {
namespace {

using remote::CVellmoraDlg;

using QtRemoteControlTest = QtMainWindowTest;

TEST_F(QtRemoteControlTest, DrivenThroughItsWidgetsItReachesTheCameraAndClosesPromptly) {
    auto cameras = sim::InstallSimulatedCameras({sim::CameraSettings{}});
    auto camera = cameras->Camera(0);
    talbex::testing::TempFolder saveTo("talbex-qt-saveto");
    shell::MainWindowSetup setup = Setup(2052);
    setup.runRemoteControl = remote::RemoteControlRunner();
    Main main(setup);
    RunDriven(main, [&] {
        Advance(main, 2000ms);
        ASSERT_TRUE(Eventually(main, [&] { return main.connected(); }));

        // In Chinese: the template's captions.
        CVellmoraDlg* remote = OpenWith<CVellmoraDlg>(main, main, Main::kRemoteControl);
        ASSERT_NE(remote, nullptr);
        OnGui(main, [&] {
            EXPECT_EQ(WindowOf(*remote)->windowTitle(), "相机遥控界面");
            EXPECT_EQ(Widget<QPushButton>(*remote, 1001)->text(), "半按");
            EXPECT_EQ(Widget<QPushButton>(*remote, 1015)->text(), "<<<");
        });
        ASSERT_TRUE(Eventually(main, [&] { return camera->SessionOpen(); }));
        Advance(main, 1000ms);  // the current values, one second after opening
        // Asked again on the window's clock while a busy machine has not shown them yet.
        bool shown = false;
        for (int i = 0; i < 20 && !shown; ++i) {
            shown = Eventually(
                main, [&] { return !Widget<QComboBox>(*remote, 1058)->currentText().isEmpty(); },
                1s);
            if (!shown)
                Advance(main, 200ms);
        }
        ASSERT_TRUE(shown);
        OnGui(main, [&] { Screenshot(*remote, "remote_control_zh"); });
        OnGui(main, [&] { WindowOf(*remote)->close(); });
        ASSERT_TRUE(Eventually(main, [&] { return ui::TopmostModal() == &main; }));

        // In English, after the main window's switch.
        OnGui(main, [&] { Click(main, Main::kLanguageSwitch); });
        remote = OpenWith<CVellmoraDlg>(main, main, Main::kRemoteControl);
        ASSERT_NE(remote, nullptr);
        ASSERT_TRUE(Eventually(main, [&] { return camera->SessionOpen(); }));
        Advance(main, 1000ms);
        OnGui(main, [&] {
            EXPECT_EQ(WindowOf(*remote)->windowTitle(), "Remote Control");
            EXPECT_EQ(Widget<QPushButton>(*remote, 1001)->text(), "Halfway");
        });

        // A direct setting: the row picked from the popup is written and reported.
        // (The window may still be filling its lists on a busy machine.)
        int row = -1;
        ASSERT_TRUE(Eventually(main, [&] {
            row = remote->Item(1058).FindStringExact("-1/3");
            return row >= 0;
        }));
        OnGui(main, [&] { PickFromPopup(*remote, 1058, row); });
        EXPECT_EQ(AnswerBox(main), "ExposureComp Set successfully!");
        EXPECT_EQ(camera->PropertyValue(kPropExposureCompensation), 0xFDu);

        // The save folder from the real chooser.
        OnGui(main, [&] { Click(*remote, CVellmoraDlg::kChooseFolderButton); });
        QFileDialog* chooser = nullptr;
        ASSERT_TRUE(Eventually(main, [&] {
            chooser = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            return chooser != nullptr;
        }));
        OnGui(main, [&] {
            EXPECT_EQ(chooser->windowTitle(), "照片保存路径:   ");
            auto* name = chooser->findChild<QLineEdit*>("fileNameEdit");
            QTest::keyClicks(name, QString::fromStdString(saveTo.path()));
            QTest::keyClick(name, Qt::Key_Return);
            QTest::keyClick(name, Qt::Key_Return);
        });
        const std::string folder = saveTo.path().substr(0, saveTo.path().size() - 1);
        EXPECT_TRUE(Eventually(main, [&] {
            auto* field = Widget<QLineEdit>(*remote, CVellmoraDlg::kSaveFolderField);
            return field->text().toStdString() == folder && !field->isEnabled();
        }));

        // Live view, with the focus driven from its buttons.
        OnGui(main, [&] { Click(*remote, 1013); });  // Start EVF
        ASSERT_TRUE(Eventually(main, [&] {
            return Widget<SurfaceView>(*remote, CVellmoraDlg::kLiveViewPicture)->framesPainted() >
                   3;
        }));
        // The widget shows the control's surface as drawn: the frame and, over it, the
        // camera's autofocus frames in their colours (grey, white, or green when in focus).
        auto* view = Widget<SurfaceView>(*remote, CVellmoraDlg::kLiveViewPicture);
        auto& picture =
            dynamic_cast<controls::CEVFPictureBox&>(remote->Item(CVellmoraDlg::kLiveViewPicture));
        EXPECT_TRUE(Eventually(main, [&] {
            const SdkFocusInfo frames = picture.focusFrames();
            int drawn = 0;
            for (uint32_t i = 0; i < frames.pointNumber; ++i) {
                const SdkFocusPoint& f = frames.focusPoint[i];
                if (f.valid != 1)
                    continue;
                const raster::Rgb c = f.selected != 1          ? controls::kFocusFrameGrey
                                      : (f.justFocus & 1) != 0 ? controls::kFocusFrameGreen
                                                               : controls::kFocusFrameWhite;
                for (int x = f.rect.x; x < f.rect.x + f.rect.width; x += 4)
                    if (view->image().pixel(x, f.rect.y) != qRgb(c.r, c.g, c.b))
                        return false;
                ++drawn;
            }
            return drawn > 0;
        }));
        OnGui(main, [&] {
            const raster::Bitmap& surface = *remote->Item(CVellmoraDlg::kLiveViewPicture).Surface();
            const QImage& shown = view->image();
            ASSERT_EQ(shown.size(), QSize(surface.Width(), surface.Height()));
            for (int y = 0; y < surface.Height(); y += 7)
                for (int x = 0; x < surface.Width(); x += 5) {
                    const raster::Rgb p = surface.At(x, y);
                    ASSERT_EQ(shown.pixel(x, y), qRgb(p.r, p.g, p.b)) << x << "," << y;
                }
        });
        const int32_t lens = camera->LensPosition();
        OnGui(main, [&] { Click(*remote, 1015); });  // <<<
        EXPECT_TRUE(Eventually(main, [&] { return camera->LensPosition() != lens; }));
        OnGui(main, [&] { Screenshot(*remote, "remote_control_en"); });

        // The close box while frames keep coming.
        const auto start = std::chrono::steady_clock::now();
        OnGui(main, [&] { WindowOf(*remote)->close(); });
        ASSERT_TRUE(Eventually(
            main, [&] { return ui::TopmostModal() == &main; }, 2s));
        EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
        EXPECT_FALSE(camera->SessionOpen());
        OnGui(main, [&] { WindowOf(main)->close(); });
    });
}

}  // namespace
}  // namespace talbex::qt::testing
