// Qt's own texts follow the main window's language: the standard buttons of a real
// message box and of the real folder chooser, read off their widgets, in the Chinese
// window and again after each click of the language switch.
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

#include "platform/qt/qt_translations.h"
#include "platform/ui/prompts.h"
#include "qt_main_window_fixture.h"

namespace talbex::qt::testing {
namespace {

class QtTranslationsTest : public QtMainWindowTest {
  protected:
    /// The texts of the standard buttons of the prompt `show` opens on the window
    /// thread, "first | second"; the prompt is then dismissed.
    std::string PromptButtons(Main& window, std::function<void()> show) {
        ui::user::RunOnWindowThread(window, std::move(show));
        std::string texts = "(no prompt)";
        Eventually(window, [&] { return QApplication::activeModalWidget() != nullptr; });
        OnGui(window, [&] {
            QWidget* prompt = QApplication::activeModalWidget();
            if (auto* box = qobject_cast<QMessageBox*>(prompt)) {
                texts = (box->button(QMessageBox::Yes)->text() + " | " +
                         box->button(QMessageBox::No)->text())
                            .toStdString();
                QTest::mouseClick(box->button(QMessageBox::No), Qt::LeftButton);
            } else if (auto* chooser = qobject_cast<QFileDialog*>(prompt)) {
                auto* buttons = chooser->findChild<QDialogButtonBox*>();
                texts = (buttons->button(QDialogButtonBox::Open)->text() + " | " +
                         buttons->button(QDialogButtonBox::Cancel)->text())
                            .toStdString();
                chooser->reject();
            }
        });
        return texts;
    }
    std::string QuestionButtons(Main& window) {
        return PromptButtons(
            window, [] { ui::ShowMessageBox("Replace?", ui::MessageBoxKind::kYesNoQuestion); });
    }
    std::string ChooserButtons(Main& window) {
        return PromptButtons(window, [] { ui::ChooseFolder("Set the photo path"); });
    }
};

TEST_F(QtTranslationsTest, StandardButtonsAreChineseInTheChineseWindowAndFollowTheSwitch) {
    if (!QtTranslations::ChineseInstalled())
        GTEST_SKIP() << "Qt's Simplified Chinese translation is not in "
                     << QtTranslations::DefaultFolder().toStdString()
                     << " (Debian package qt6-translations-l10n): Qt's texts stay English";
    sim::InstallSimulatedCameras({});
    Main window(Setup(2052));  // a Chinese system
    RunDriven(window, [&] {
        EXPECT_EQ(QuestionButtons(window), "是(&Y) | 否(&N)");
        EXPECT_EQ(ChooserButtons(window), "选择(&C) | 取消");
        OnGui(window, [&] { Click(window, Main::kLanguageSwitch); });
        EXPECT_EQ(QuestionButtons(window), "&Yes | &No");
        EXPECT_EQ(ChooserButtons(window), "&Choose | Cancel");
        OnGui(window, [&] { Click(window, Main::kLanguageSwitch); });
        EXPECT_EQ(QuestionButtons(window), "是(&Y) | 否(&N)");
    });
}

}  // namespace
}  // namespace talbex::qt::testing
