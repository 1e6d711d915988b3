// The main window in real Qt windows with simulated cameras, the test clock, a program
// folder of its own, remote pages fetched with the program's HTTP client and links
// recorded instead of opened.
#pragma once

#include <QMessageBox>
#include <QPushButton>

#include "camera/sdk/sdk_backend.h"
#include "camera/sdk/sim/sim_backend.h"
#include "platform/ui/clock.h"
#include "qt_fixture.h"
#include "shell/main_window_fixture.h"
#include "shell/shipped_files.h"
#include "shell/talbex_main.h"
#include "support/temp_folder.h"
#include "web/http_client.h"

namespace talbex::qt::testing {

using Main = shell::CTALBEXMAIN;

class QtMainWindowTest : public QtTest {
  protected:
    void SetUp() override {
        setenv("TALBEX_HOME", home_.path().c_str(), 1);
        shell::InstallShippedFiles(home_.path(), "4.5.0");
        ui::SetClock(&clock_);
        QtTest::SetUp();
    }
    void TearDown() override {
        QtTest::TearDown();
        ui::SetClock(nullptr);
        SdkUseBackend(nullptr);
        unsetenv("TALBEX_HOME");
    }
    QtBackendOptions BackendOptions() override {
        QtBackendOptions options;
        options.pages.fetch = [](const std::string& address) {
            web::HttpOptions http;
            http.connectTimeout = 2s;
            http.totalTimeout = 3s;
            return web::CHttpClient(http).Get(address);
        };
        options.pages.openLink = [this](const std::string& address) {
            launcher_.OpenInBackground(address);
        };
        return options;
    }

    shell::MainWindowSetup Setup(uint32_t localeId) {
        shell::MainWindowSetup setup;
        setup.localeId = [localeId] { return localeId; };
        setup.networkAlive = [] { return false; };
        setup.launcher = &launcher_;
        setup.today = [] { return web::LocalDate{2026, 12, 8}; };
        setup.sessionWait = 2s;
        setup.http.connectTimeout = 2s;
        setup.http.totalTimeout = 3s;
        return setup;
    }
    std::string Text(Main& window, int id) {
        auto* button = Widget<QPushButton>(window, id);
        return button != nullptr ? button->text().toStdString() : "(none)";
    }
    bool Enabled(Main& window, int id) { return Widget(window, id)->isEnabled(); }
    void Advance(Main& window, std::chrono::milliseconds by) {
        clock_.Advance(by);
        Idle(window);
    }
    /// Clicks `button` of `from` and answers the window of class W it opens, once shown;
    /// nullptr when none appeared.
    template <class W>
    W* OpenWith(Main& main, ui::Dialog& from, int button) {
        OnGui(main, [&] { Click(from, button); });
        W* opened = nullptr;
        Eventually(main, [&] {
            opened = dynamic_cast<W*>(ui::TopmostModal());
            return opened != nullptr && WindowOf(*opened) != nullptr &&
                   WindowOf(*opened)->isVisible();
        });
        return opened;
    }
    /// Answers the message box that opens with OK (its button clicked); its text, or
    /// "(none)" when no box opened.
    std::string AnswerBox(Main& main) {
        std::string text = "(none)";
        auto open = [] { return qobject_cast<QMessageBox*>(QApplication::activeModalWidget()); };
        Eventually(main, [&] { return open() != nullptr; });
        OnGui(main, [&] {
            if (QMessageBox* box = open()) {
                text = box->text().toStdString();
                QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
            }
        });
        return text;
    }

    talbex::testing::TempFolder home_{"talbex-qt-main"};
    ui::TestClock clock_;
    shell::testing::RecordingLauncher launcher_;
};

}  // namespace talbex::qt::testing
