// The Qt backend with a dialog holding a control of every kind: the widgets show the
// dialog's data at their places, what the user does with them reaches the dialog as on
// the headless backend, the window thread sleeps on Qt's loop and wakes at once, a
// question is a real Yes/No box, and Chinese text is drawn.
#include <time.h>

#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>

#include "platform/ui/dialog_units.h"
#include "platform/ui/prompts.h"
#include "platform/ui/test_dialog.h"
#include "qt_fixture.h"

namespace talbex::qt::testing {
namespace {

using namespace ui::testing;

QRect PixelsOf(ui::DialogUnitRect units) {
    const ui::PixelRect r = ui::DialogUnitsToPixels(units);
    return QRect(r.left, r.top, r.width, r.height);
}

TEST_F(QtTest, WidgetsShowTheDialogsDataAndUserInputReachesItLikeOnTheHeadlessBackend) {
    TestDialog dialog;
    int buttonClicks = 0;
    int picks = 0;
    dialog.onInit = [&] {
        for (const char* row : {"b", "C", "a"})
            dialog.Item(kSortedList).AddString(row);
        for (const char* row : {"one", "two", "three"})
            dialog.Item(kList).AddString(row);
        dialog.Item(kList).SetWindowText("not a row");
        dialog.Item(kProgress).SetPos(40);
        dialog.Item(kEdit).SetWindowText("起");
    };
    dialog.onButton = [&] { ++buttonClicks; };
    dialog.onListPick = [&] { ++picks; };

    const int result = RunDriven(dialog, [&] {
        OnGui(dialog, [&] {
            DialogWindow* window = WindowOf(dialog);
            ASSERT_NE(window, nullptr);
            EXPECT_TRUE(window->isVisible());
            EXPECT_EQ(window->windowTitle(), "测试");
            EXPECT_EQ(window->size(), QSize(1116, 419));  // 744 x 258 dialog units
            EXPECT_EQ(Widget(dialog, kButton)->geometry(), PixelsOf({10, 30, 50, 14}));
            EXPECT_EQ(Widget(dialog, kPicture)->geometry(), PixelsOf({506, 115, 231, 136}));
            EXPECT_EQ(Widget<QPushButton>(dialog, kButton)->text(), "按钮");
            EXPECT_FALSE(Widget(dialog, kHiddenButton)->isVisible());
            EXPECT_FALSE(Widget(dialog, kDisabledButton)->isEnabled());
            auto* sorted = Widget<QComboBox>(dialog, kSortedList);
            ASSERT_EQ(sorted->count(), 3);
            EXPECT_EQ(sorted->itemText(0), "a");
            EXPECT_EQ(sorted->itemText(2), "C");
            EXPECT_EQ(Widget<QComboBox>(dialog, kList)->currentText(), "not a row");
            EXPECT_EQ(Widget<QProgressBar>(dialog, kProgress)->value(), 40);
            EXPECT_EQ(Widget<QLineEdit>(dialog, kEdit)->text(), "起");
        });
        // Clicks, picks and typing on the widgets.
        OnGui(dialog, [&] { Click(dialog, kButton); });
        OnGui(dialog, [&] { Click(dialog, kDisabledButton); });
        EXPECT_EQ(buttonClicks, 1);
        OnGui(dialog, [&] { PickFromPopup(dialog, kList, 1); });
        EXPECT_EQ(picks, 1);
        EXPECT_EQ(dialog.Item(kList).GetCurSel(), 1);
        EXPECT_EQ(dialog.Item(kList).GetWindowText(), "two");
        OnGui(dialog, [&] {
            auto* edit = Widget<QLineEdit>(dialog, kEdit);
            edit->setFocus();
            edit->selectAll();
            QTest::keyClicks(edit, "Owner 1");
        });
        EXPECT_EQ(dialog.Item(kEdit).GetWindowText(), "Owner 1");
        // The dialog's own changes show in the widgets.
        OnGui(dialog, [&] {
            dialog.Item(kButton).SetWindowText("Halfway");
            dialog.Item(kButton).EnableWindow(false);
            dialog.Item(kList).ResetContent();
        });
        OnGui(dialog, [&] {
            EXPECT_EQ(Widget<QPushButton>(dialog, kButton)->text(), "Halfway");
            EXPECT_FALSE(Widget(dialog, kButton)->isEnabled());
            EXPECT_EQ(Widget<QComboBox>(dialog, kList)->count(), 0);
        });
        // Escape is the close box: the dialog's close handler decides (here: Cancel).
        OnGui(dialog, [&] { QTest::keyClick(WindowOf(dialog), Qt::Key_Escape); });
    });
    EXPECT_EQ(result, ui::kIdCancel);
}

double ProcessCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

TEST_F(QtTest, TheWindowThreadSleepsOnQtAndAPostFromAWorkerWakesItAtOnce) {
    TestDialog dialog;
    std::atomic<int> ticks{0};
    const auto now = [] { return std::chrono::steady_clock::now().time_since_epoch().count(); };
    std::atomic<int64_t> handledAt{0};
    // When the timer was set and when it ticked the fifth time, both on the window thread.
    std::atomic<int64_t> setAt{0}, fifthAt{0};
    dialog.onInit = [&] {
        dialog.SetTimer(1, 3600 * 1000);  // far away: the wait must not rely on timers
        setAt = now();
        dialog.SetTimer(2, 20);
    };
    dialog.onTimer = [&](uint32_t id) {
        if (id == 2 && ++ticks == 5) {
            fifthAt = now();
            dialog.KillTimer(2);
        }
    };
    dialog.onPrivate = [&](ui::WParam, ui::LParam) {
        handledAt = now();
        return ui::LResult{0};
    };
    RunDriven(dialog, [&] {
        // Five ticks of a 20 ms timer, on Qt's loop.
        const auto start = std::chrono::steady_clock::now();
        while (ticks < 5 && std::chrono::steady_clock::now() - start < 5s)
            std::this_thread::sleep_for(1ms);
        ASSERT_EQ(ticks, 5);
        // Five periods from the setting, less the few per cent early Qt allows a timer.
        EXPECT_GE(std::chrono::steady_clock::duration(fifthAt - setAt), 90ms);
        // Idle: the window thread sleeps instead of looking for work.
        ASSERT_TRUE(Idle(dialog));
        const double cpuBefore = ProcessCpuSeconds();
        std::this_thread::sleep_for(400ms);
        EXPECT_LT(ProcessCpuSeconds() - cpuBefore, 0.1);
        // A worker's post is handled at once.
        std::thread worker([&] {
            const auto sent = std::chrono::steady_clock::now();
            dialog.PostMessage(ui::kWmApp + 1);
            while (handledAt == 0 && std::chrono::steady_clock::now() - sent < 5s)
                std::this_thread::sleep_for(100us);
            const auto latency =
                std::chrono::steady_clock::duration(handledAt.load()) - sent.time_since_epoch();
            EXPECT_LT(latency, 50ms);
        });
        worker.join();
        EXPECT_EQ(ticks, 5);  // the killed timer stays quiet
        OnGui(dialog, [&] { ui::user::CloseWindow(dialog); });
    });
}

TEST_F(QtTest, AQuestionIsARealYesNoBoxAndTheWindowGoesOnMeanwhile) {
    TestDialog dialog;
    std::optional<ui::MessageBoxAnswer> answer;
    std::atomic<int> ticks{0};
    dialog.onInit = [&] { dialog.SetTimer(3, 10); };
    dialog.onTimer = [&](uint32_t) { ++ticks; };
    dialog.onButton = [&] {
        answer = ui::ShowMessageBox("要升级吗？", ui::MessageBoxKind::kYesNoQuestion);
    };
    RunDriven(dialog, [&] {
        OnGui(dialog, [&] { Click(dialog, kButton); });
        QMessageBox* box = nullptr;
        ASSERT_TRUE(Eventually(dialog, [&] {
            box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            return box != nullptr && box->isVisible();
        }));
        OnGui(dialog, [&] {
            EXPECT_EQ(box->text(), "要升级吗？");
            EXPECT_EQ(box->icon(), QMessageBox::Question);
            EXPECT_EQ(box->standardButtons(), QMessageBox::Yes | QMessageBox::No);
            Screenshot(*box, "message_box_question");
        });
        // The window's timers go on while the box waits for the user (a nested loop).
        const int before = ticks;
        std::this_thread::sleep_for(100ms);
        EXPECT_GT(ticks, before);
        OnGui(dialog, [&] { QTest::mouseClick(box->button(QMessageBox::No), Qt::LeftButton); });
        OnGui(dialog, [&] { ui::user::CloseWindow(dialog); });
    });
    EXPECT_EQ(answer, ui::MessageBoxAnswer::kNo);
}

// One character in the program's font, black on white.
QImage Rendered(const QString& character) {
    QImage image(40, 40, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(QApplication::font());
    painter.setPen(Qt::black);
    painter.drawText(image.rect(), Qt::AlignCenter, character);
    return image;
}

TEST_F(QtTest, ChineseTextRendersAsItsOwnGlyphs) {
    // A font without Chinese draws every such character as the same "missing" box, the
    // one a private-use character gets.
    const QImage xiang = Rendered("相");
    const QImage ji = Rendered("机");
    const QImage missing = Rendered(QString(QChar(0xE000)));
    QImage blank(40, 40, QImage::Format_RGB32);
    blank.fill(Qt::white);
    EXPECT_NE(xiang, blank);
    EXPECT_NE(xiang, ji);
    EXPECT_NE(xiang, missing);
    EXPECT_NE(ji, missing);
    EXPECT_EQ(QApplication::font().pointSize(), 9);
}

}  // namespace
}  // namespace talbex::qt::testing
