// The main window in real Qt windows with the simulated camera: its texts in both
// languages, the language switch clicked like a user, the camera found on the poll, and
// the page area with local and remote pages and links opened in the browser. Screenshots land in
// build/screenshots.
#include <QMessageBox>
#include <QPushButton>
#include <QTextBrowser>

#include "qt_main_window_fixture.h"
#include "support/loopback_http_server.h"

namespace talbex::qt::testing {
namespace {

TEST_F(QtMainWindowTest, ShowsItsTextsIconAndPageInBothLanguagesAndTheSwitchIsClicked) {
    sim::InstallSimulatedCameras({});  // nothing attached: the texts stay the initial ones
    Main window(Setup(2052));
    RunDriven(window, [&] {
        OnGui(window, [&] {
            DialogWindow* qt = WindowOf(window);
            ASSERT_NE(qt, nullptr);
            EXPECT_EQ(qt->windowTitle(), "Talbex V4.5");
            EXPECT_EQ(qt->size(), QSize(950, 510));  // 633 x 314 dialog units
            EXPECT_EQ(Text(window, Main::kConnect), "请连接相机");
            EXPECT_EQ(Text(window, Main::kCameraParameters), "相机参数");
            EXPECT_EQ(Text(window, Main::kRemoteControl), "遥控相机");
            EXPECT_EQ(Text(window, Main::kLanguageSwitch), "Switch English");
            EXPECT_FALSE(Enabled(window, Main::kCameraParameters));
            EXPECT_FALSE(Enabled(window, Main::kRemoteControl));
            EXPECT_FALSE(Widget(window, Main::kHiddenConnect)->isVisible());
            auto* page = Widget<QTextBrowser>(window, Main::kBrowser);
            EXPECT_TRUE(page->toPlainText().contains("请用 USB 线连接相机"))
                << page->toPlainText().toStdString();
            // Tab goes through the usable controls in template order.
            page->setFocus();
            std::vector<QWidget*> order;
            for (QWidget* w = page; order.size() < 4; w = w->nextInFocusChain())
                if (w->isVisible() && w->isEnabled() && w->focusPolicy() & Qt::TabFocus &&
                    w->parentWidget() == qt)
                    order.push_back(w);
            EXPECT_EQ(order, (std::vector<QWidget*>{page, Widget(window, Main::kConnect),
                                                    Widget(window, Main::kLanguageSwitch), page}));
            Screenshot(window, "main_window_zh");
        });
        const QImage chineseIcon = WindowOf(window)->windowIcon().pixmap(16).toImage();
        const QString shots = TALBEX_SCREENSHOT_DIR;
        WindowOf(window)->windowIcon().pixmap(32).save(shots + "/icon_small_zh.png");
        WindowOf(window)->windowIcon().pixmap(128).save(shots + "/icon_big.png");
        OnGui(window, [&] { Click(window, Main::kLanguageSwitch); });
        OnGui(window, [&] {
            EXPECT_EQ(Text(window, Main::kConnect), "Please connect your camera");
            EXPECT_EQ(Text(window, Main::kCameraParameters), "Camera Para");
            EXPECT_EQ(Text(window, Main::kRemoteControl), "Remote Control");
            EXPECT_EQ(Text(window, Main::kLanguageSwitch), "切换中文");
            EXPECT_NE(WindowOf(window)->windowIcon().pixmap(16).toImage(), chineseIcon);
            WindowOf(window)->windowIcon().pixmap(32).save(shots + "/icon_small_en.png");
            auto* page = Widget<QTextBrowser>(window, Main::kBrowser);
            EXPECT_TRUE(page->toPlainText().contains("Connect your camera"));
            Screenshot(window, "main_window_en");
        });
        OnGui(window,
              [&] { QTest::keyClick(Widget(window, Main::kLanguageSwitch), Qt::Key_Space); });
        OnGui(window, [&] { EXPECT_EQ(Text(window, Main::kLanguageSwitch), "Switch English"); });
        OnGui(window, [&] { WindowOf(window)->close(); });  // the close box
    });
}

TEST_F(QtMainWindowTest, ACameraFoundOnThePollShowsOnTheConnectButtonAndEnablesTheDialogs) {
    sim::InstallSimulatedCameras({sim::CameraSettings{}});
    Main window(Setup(1033));
    const int result = RunDriven(window, [&] {
        Advance(window, 2000ms);
        ASSERT_TRUE(Eventually(window, [&] {
            return Text(window, Main::kConnect) == "SimCam S1 already link!";
        })) << Text(window, Main::kConnect);
        OnGui(window, [&] {
            EXPECT_TRUE(Enabled(window, Main::kCameraParameters));
            EXPECT_TRUE(Enabled(window, Main::kRemoteControl));
            EXPECT_FALSE(Enabled(window, Main::kLanguageSwitch));  // English system
            Screenshot(window, "main_window_connected_en");
        });
        OnGui(window, [&] { QTest::keyClick(WindowOf(window), Qt::Key_Escape); });
    });
    EXPECT_EQ(result, ui::kIdCancel);
}

TEST_F(QtMainWindowTest, TheVendorPageIsFetchedOffTheWindowThreadAndItsLinksOpenInTheBrowser) {
    sim::InstallSimulatedCameras({});
    test::LoopbackHttpServer server([](const std::string& request) {
        if (request.rfind("GET /ad/index_en.htm?", 0) == 0)  // today's page, whatever day
            return test::ScriptedReply::Ok(
                "<html><head><meta charset=\"utf-8\"></head><body><p>Spring offers</p>"
                "<p><a href=\"/firmware/news.htm\">news</a></p>"
                "<p><a href=\"file:///usr/share/applications/x.desktop\">local</a></p>"
                "</body></html>");
        return test::ScriptedReply::Ok("4.0.1");  // the published version: nothing newer
    });
    shell::MainWindowSetup setup = Setup(1033);
    setup.vendorHost = server.host();
    setup.networkAlive = [] { return true; };
    Main window(setup);
    RunDriven(window, [&] {
        QTextBrowser* page = nullptr;
        ASSERT_TRUE(Eventually(window, [&] {
            page = Widget<QTextBrowser>(window, Main::kBrowser);
            return page->toPlainText().contains("Spring offers");
        })) << server.Requests().size();
        // Both links clicked; only the web page is opened, never a local file.
        for (const char* text : {"news", "local"})
            OnGui(window, [&] {
                QTextCursor link = page->document()->find(text);
                ASSERT_FALSE(link.isNull());
                link.setPosition(link.selectionStart() + 1);
                QTest::mouseClick(page->viewport(), Qt::LeftButton, {},
                                  page->cursorRect(link).center());
            });
        std::lock_guard lock(launcher_.mutex_);
        EXPECT_EQ(launcher_.opened, std::vector<std::string>{server.Url("/firmware/news.htm")});
    });
}

}  // namespace
}  // namespace talbex::qt::testing
