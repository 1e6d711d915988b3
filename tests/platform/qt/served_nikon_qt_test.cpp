// The remote-control window in a real Qt window on a body speaking Nikon's extension, served
// by `talbex sim-serve` and reached through libgphoto2's own Nikon code, in both of the
// windows' languages: its settings under the windows' labels, live view painted, a focus
// step, the half press with its release, and a picture in the save folder.
#include <QComboBox>
#include <QLabel>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "camera/sdk/gphoto2/gphoto2_backend.h"
#include "platform/qt/surface_view.h"
#include "qt_main_window_fixture.h"
#include "remote/remote_control_dialog.h"
#include "remote/remote_control_runner.h"
#include "support/served_camera_process.h"

namespace talbex::qt::testing {
namespace {

using remote::CVellmoraDlg;

struct Language {
    uint32_t localeId;
    const char* quality;  // image quality as shown
    const char* mode;     // exposure program as shown
    const char* focus;    // focus mode as shown
};

class QtServedNikonTest : public QtMainWindowTest, public ::testing::WithParamInterface<Language> {
  protected:
    std::string Shown(ui::Dialog& dialog, int id) {
        QWidget* widget = Widget(dialog, id);
        if (auto* list = qobject_cast<QComboBox*>(widget))
            return list->currentText().toStdString();
        if (auto* label = qobject_cast<QLabel*>(widget))
            return label->text().toStdString();
        return std::string("(") + (widget ? widget->metaObject()->className() : "null") + ")";
    }
    size_t Pictures(const std::string& folder) {
        size_t n = 0;
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            n += entry.path().extension() == ".jpg";
        return n;
    }
};

TEST_P(QtServedNikonTest, SettingsLiveViewFocusPressesAndAPicture) {
    const Language& language = GetParam();
    talbex::testing::ServedCameraProcess server;
    std::string error;
    ASSERT_TRUE(
        server.Start("[camera]\nmodel = Z-Sim 1\nserial = 3012345678\nvendor = nikon\n", &error))
        << error;
    SdkUseBackend(std::make_shared<gphoto::Gphoto2Backend>("PTP/IP Camera", server.GphotoPort()));
    const std::string photos = home_ / "photos";
    std::filesystem::create_directories(photos);
    std::ofstream(home_ / "saveto.txt") << photos;
    shell::MainWindowSetup setup = Setup(language.localeId);
    setup.runRemoteControl = remote::RemoteControlRunner();
    Main main(setup);
    RunDriven(main, [&] {
        Advance(main, 2000ms);
        ASSERT_TRUE(Eventually(main, [&] { return main.connected(); }));
        CVellmoraDlg* remote = OpenWith<CVellmoraDlg>(main, main, Main::kRemoteControl);
        ASSERT_NE(remote, nullptr);
        // The window reads the camera's settings as they come, some on its timers.
        std::string shown,
            wanted = std::string(language.quality) + "/" + language.mode + "/" + language.focus;
        const auto end = std::chrono::steady_clock::now() + 20s;
        while (shown != wanted && std::chrono::steady_clock::now() < end) {
            Advance(main, 200ms);
            std::this_thread::sleep_for(20ms);
            OnGui(main, [&] {
                shown =
                    Shown(*remote, 1064) + "/" + Shown(*remote, 1007) + "/" + Shown(*remote, 1063);
            });
        }
        ASSERT_EQ(shown, wanted);

        OnGui(main, [&] { Click(*remote, 1013); });  // live view
        ASSERT_TRUE(Eventually(main, [&] {
            return Widget<SurfaceView>(*remote, CVellmoraDlg::kLiveViewPicture)->framesPainted() >
                   3;
        }));
        OnGui(main, [&] { Click(*remote, 1017); });  // focus a step nearer
        OnGui(main, [&] {
            Screenshot(*remote, "remote_control_nikon_" + std::to_string(language.localeId));
        });
        OnGui(main, [&] { Click(*remote, 1001); });  // half press
        OnGui(main, [&] { Click(*remote, 1031); });  // and its release
        OnGui(main, [&] { Click(*remote, 1030); });  // full press: the picture
        EXPECT_TRUE(Eventually(main, [&] { return Pictures(photos) == 1; }));
        OnGui(main, [&] { Click(*remote, 1031); });
        OnGui(main, [&] { WindowOf(*remote)->close(); });
        ASSERT_TRUE(Eventually(main, [&] { return ui::TopmostModal() == &main; }));
        OnGui(main, [&] { WindowOf(main)->close(); });
    });
    EXPECT_EQ(Pictures(photos), 1u) << server.Output();
}

INSTANTIATE_TEST_SUITE_P(Languages, QtServedNikonTest,
                         ::testing::Values(Language{1033, "Large Fine Jpeg", "M", "One-Shot AF"},
                                           Language{2052, "大 优质 照片 ", "全手动",
                                                    "单次自动对焦"}),
                         [](const ::testing::TestParamInfo<Language>& info) {
                             return info.param.localeId == 1033 ? std::string("en")
                                                                : std::string("zh");
                         });

}  // namespace
}  // namespace talbex::qt::testing
