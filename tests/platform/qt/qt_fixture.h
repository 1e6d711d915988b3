// Dialogs in real Qt windows on the offscreen platform. As in the program, the dialog
// runs modally on the thread that made the QApplication; the test acts from a thread of
// its own, like a user: its steps run on the window thread (QTest clicks, key presses,
// list picks on the real widgets) and it waits until the window thread is idle again.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <QApplication>
#include <QComboBox>
#include <QListView>
#include <QTest>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "platform/qt/qt_backend.h"
#include "platform/ui/dialog.h"
#include "platform/ui/user_input.h"

namespace talbex::qt::testing {

using namespace std::chrono_literals;

/// The one QApplication of the test program, made on first use (on the main thread).
inline QApplication& App() {
    static QApplication* app = [] {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        std::string config;
        if (std::string(getenv("QT_QPA_PLATFORM")) == "offscreen") {
            // A screen of 1600 x 1000 without window frames, so a maximised window has
            // the size the tethering view is measured at. Read when the application is made.
            config = std::filesystem::temp_directory_path() /
                     ("talbex-qt-screen-" + std::to_string(getpid()) + ".json");
            std::ofstream(config) << "{\"windowFrameMargins\": false, \"screens\": [{\"name\": "
                                     "\"test\", \"x\": 0, \"y\": 0, \"width\": 1600, "
                                     "\"height\": 1000, \"logicalDpi\": 96, "
                                     "\"logicalBaseDpi\": 96}]}\n";
            setenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + config).c_str(), 1);
        }
        // The offscreen platform says, for every window, what it cannot do on a screen.
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& text) {
            if (!text.startsWith("This plugin does not support"))
                std::fprintf(stderr, "%s\n", qPrintable(text));
        });
        static int argc = 1;
        static char name[] = "talbex-qt-tests";
        static char* argv[] = {name, nullptr};
        QApplication* made = MakeApplication(argc, argv).release();  // lives until the end
        if (!config.empty())
            std::filesystem::remove(config);
        return made;
    }();
    return *app;
}

class QtTest : public ::testing::Test {
  protected:
    void SetUp() override {
        App();
        backend_ = std::make_unique<QtBackend>(BackendOptions());
    }
    void TearDown() override { backend_.reset(); }
    virtual QtBackendOptions BackendOptions() { return {}; }

    /// Runs `dialog` modally on this thread while `steps` run on a thread of their own;
    /// answers the modal result. Whatever the steps leave open is closed afterwards, so
    /// a failed step cannot hang the test.
    int RunDriven(ui::Dialog& dialog, const std::function<void()>& steps) {
        std::atomic<bool> started{false};
        std::thread driver([&] {
            for (int i = 0; i < 5000 && !(dialog.IsRunning() && dialog.Handle() != 0); ++i)
                std::this_thread::sleep_for(1ms);
            started = true;
            Idle(dialog);
            steps();
            if (!dialog.IsRunning())
                return;
            ui::user::RunOnWindowThread(dialog, [this] {
                backend_->prompts().DismissAll();
                auto stack = ui::ModalStack();
                for (auto it = stack.rbegin(); it != stack.rend(); ++it)
                    ui::user::CloseWindow(**it);
            });
            for (int i = 0; i < 10000 && dialog.IsRunning(); ++i)
                std::this_thread::sleep_for(1ms);
            if (dialog.IsRunning()) {
                std::fprintf(stderr, "the dialog did not end after the test's steps\n");
                std::abort();
            }
        });
        const int result = dialog.DoModal();
        driver.join();
        EXPECT_TRUE(started);
        return result;
    }

    /// Runs `action` on the window thread and waits until all it caused is done.
    /// Actions refer to the caller's locals, so when the wait gives up an action that
    /// has not started yet is called off, and one that is running is waited for: none
    /// runs after the caller has gone on.
    static bool OnGui(ui::Dialog& dialog, std::function<void()> action) {
        struct Step {
            std::mutex mutex;
            std::condition_variable ended;
            bool started = false, finished = false, calledOff = false;
        };
        auto step = std::make_shared<Step>();
        const bool queued = ui::user::RunOnWindowThread(dialog, [step, action = std::move(action)] {
            {
                std::lock_guard lock(step->mutex);
                if (step->calledOff)
                    return;
                step->started = true;
            }
            action();
            std::lock_guard lock(step->mutex);
            step->finished = true;
            step->ended.notify_all();
        });
        if (!queued)
            return false;
        if (Idle(dialog))
            return true;
        std::unique_lock lock(step->mutex);
        if (!step->started) {
            step->calledOff = true;
            return false;
        }
        if (!step->ended.wait_for(lock, 60s, [&] { return step->finished; })) {
            std::fprintf(stderr, "a step on the window thread did not end in 60 s\n");
            std::abort();
        }
        return false;
    }
    static bool Idle(ui::Dialog& dialog) { return ui::user::WaitUntilIdle(dialog, 5s); }

    /// Waits (bounded) until `done` holds, checking on the window thread.
    static bool Eventually(ui::Dialog& dialog, const std::function<bool()>& done,
                           std::chrono::milliseconds limit = 5s) {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < end) {
            bool yes = false;
            if (!OnGui(dialog, [&] { yes = done(); }))
                return false;
            if (yes)
                return true;
            std::this_thread::sleep_for(5ms);
        }
        return false;
    }

    /// The Qt widget of a control (window thread).
    template <class W = QWidget>
    W* Widget(ui::Dialog& dialog, int controlId) {
        DialogWindow* window = backend_->windows().WindowOf(dialog);
        return window != nullptr ? dynamic_cast<W*>(window->Control(controlId)) : nullptr;
    }
    DialogWindow* WindowOf(ui::Dialog& dialog) { return backend_->windows().WindowOf(dialog); }

    /// A user's click on a control's widget (window thread).
    void Click(ui::Dialog& dialog, int controlId) {
        QWidget* widget = Widget(dialog, controlId);
        ASSERT_NE(widget, nullptr) << controlId;
        QTest::mouseClick(widget, Qt::LeftButton);
    }
    /// A user's pick of row `row` from a drop-down list's popup (window thread).
    void PickFromPopup(ui::Dialog& dialog, int controlId, int row) {
        auto* list = Widget<QComboBox>(dialog, controlId);
        ASSERT_NE(list, nullptr) << controlId;
        list->showPopup();
        QAbstractItemView* view = list->view();
        const QModelIndex index = view->model()->index(row, 0);
        view->scrollTo(index);  // long lists show a part at a time
        const QRect cell = view->visualRect(index);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cell.center());
    }

    /// Saves the dialog's window (or any window) as build/screenshots/NAME.png (window
    /// thread).
    void Screenshot(ui::Dialog& dialog, const std::string& name) {
        ASSERT_NE(WindowOf(dialog), nullptr);
        Screenshot(*WindowOf(dialog), name);
    }
    static void Screenshot(QWidget& window, const std::string& name) {
        std::filesystem::create_directories(TALBEX_SCREENSHOT_DIR);
        const std::string path = std::string(TALBEX_SCREENSHOT_DIR) + "/" + name + ".png";
        EXPECT_TRUE(window.grab().save(QString::fromStdString(path))) << path;
    }

    std::unique_ptr<QtBackend> backend_;
};

}  // namespace talbex::qt::testing
