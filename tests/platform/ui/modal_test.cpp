#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/ui/headless_prompts.h"
#include "platform/ui/prompts.h"
#include "test_dialog.h"
#include "window_thread.h"

namespace talbex::ui::testing {
namespace {

using namespace std::chrono_literals;

TEST(Modal, ADialogOpenedFromAHandlerNestsAndHandsBackItsResult) {
    TestDialog outer;
    TestDialog inner;
    std::vector<int> results;
    std::atomic<int> outerMessages{0};
    outer.onPrivate = [&](WParam, LParam) {
        ++outerMessages;
        return LResult{0};
    };
    outer.onButton = [&] {
        EXPECT_EQ(TopmostModal(), &outer);
        results.push_back(inner.DoModal());
        EXPECT_EQ(TopmostModal(), &outer);
    };
    inner.onButton = [&] { inner.EndDialog(77); };
    WindowThread window(outer);
    window.Do([&] { user::Click(outer, kButton); });
    ASSERT_EQ(TopmostModal(), &inner);
    EXPECT_EQ(ModalStack(), (std::vector<Dialog*>{&outer, &inner}));
    // The outer window keeps receiving its messages while the inner one runs.
    outer.PostMessage(kWmApp + 1);
    ASSERT_TRUE(window.Idle());
    EXPECT_EQ(outerMessages, 1);
    window.Do([&] { user::Click(inner, kButton); });
    EXPECT_EQ(TopmostModal(), &outer);
    // Run the inner dialog a second time: ended with its OK button.
    window.Do([&] { user::Click(outer, kButton); });
    window.Do([&] { user::Click(inner, kIdOk); });
    window.Do([&] { user::Click(outer, kIdCancel); });
    EXPECT_EQ(window.Result(), kIdCancel);
    EXPECT_EQ(results, (std::vector<int>{77, kIdOk}));
    EXPECT_EQ(TopmostModal(), nullptr);
}

TEST(Modal, TheCloseBoxRunsTheDialogsOwnCloseHandler) {
    TestDialog dialog;
    int requests = 0;
    dialog.onClose = [&] {
        if (++requests == 2)
            dialog.EndDialog(kIdOk);
    };
    WindowThread window(dialog);
    EXPECT_TRUE(user::CloseWindow(dialog));
    ASSERT_TRUE(window.Idle());
    EXPECT_TRUE(dialog.IsRunning());
    user::CloseWindow(dialog);
    EXPECT_EQ(window.Result(), kIdOk);
    EXPECT_EQ(requests, 2);
}

// A list object bound to its control that handles its own selection change.
class SelfHandlingList : public Window {
  public:
    int picks = 0;
    int privateMessages = 0;

  protected:
    const MessageMap* GetMessageMap() const override {
        static const MessageMap map = MessageMapBuilder<SelfHandlingList>()
                                          .OnReflected(kCbnSelChange, &SelfHandlingList::OnPick)
                                          .OnMessage(kWmApp + 2, &SelfHandlingList::OnPrivate)
                                          .Build();
        return &map;
    }

  private:
    void OnPick() { ++picks; }
    LResult OnPrivate(WParam, LParam) {
        ++privateMessages;
        return 0;
    }
};

TEST(UserInput, PicksGoToTheBoundControlFirstAndElseToTheDialog) {
    TestDialog dialog;
    SelfHandlingList own;
    ASSERT_TRUE(dialog.AttachControl(kSortedList, own));
    EXPECT_FALSE(dialog.AttachControl(4242, own));
    int dialogPicks = 0;
    dialog.onListPick = [&] { ++dialogPicks; };
    dialog.onInit = [&] {
        own.AddString("b");
        own.AddString("a");
        dialog.Item(kList).AddString("x");
        dialog.Item(kList).SetItemData(0, 0x50);
    };
    WindowThread window(dialog);
    EXPECT_EQ(&dialog.Item(kSortedList), &own);
    bool picked = false;
    window.Do([&] { picked = user::PickRow(dialog, kSortedList, "b"); });
    EXPECT_TRUE(picked);
    EXPECT_EQ(own.picks, 1);
    EXPECT_EQ(own.GetCurSel(), 1);
    EXPECT_EQ(own.GetWindowText(), "b");
    EXPECT_EQ(dialogPicks, 0);
    window.Do([&] { picked = user::PickRow(dialog, kList, 0); });
    EXPECT_TRUE(picked);
    EXPECT_EQ(dialogPicks, 1);
    window.Do([&] { picked = user::PickRow(dialog, kList, 3); });  // no such row
    EXPECT_FALSE(picked);
    // Messages posted from another thread to the bound control reach its object.
    std::thread([&] { EXPECT_TRUE(own.PostMessage(kWmApp + 2)); }).join();
    ASSERT_TRUE(window.Idle());
    EXPECT_EQ(own.privateMessages, 1);
    user::CloseWindow(dialog);
    window.Result();
    EXPECT_FALSE(own.PostMessage(kWmApp + 2));  // unbound again once the dialog is gone
}

TEST(UserInput, RefusesWhatAUserCannotDo) {
    TestDialog dialog;
    int clicks = 0;
    dialog.onButton = [&] { ++clicks; };
    EXPECT_FALSE(user::Click(dialog, kButton));  // not running
    WindowThread window(dialog);
    std::vector<bool> answers;
    window.Do([&] {
        answers.push_back(user::Click(dialog, kHiddenButton));
        answers.push_back(user::Click(dialog, kDisabledButton));
        answers.push_back(user::Click(dialog, kList));            // not a button
        answers.push_back(user::TypeText(dialog, kButton, "x"));  // not an edit field
        answers.push_back(user::Click(dialog, 4242));
        answers.push_back(user::Click(dialog, kButton));
        dialog.Item(kButton).EnableWindow(false);
        answers.push_back(user::Click(dialog, kButton));
        answers.push_back(user::TypeText(dialog, kEdit, "D:/Photos"));
    });
    EXPECT_EQ(answers, (std::vector<bool>{false, false, false, false, false, true, false, true}));
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(dialog.Item(kEdit).GetWindowText(), "D:/Photos");
}

TEST(Prompts, RulesByTextStartThenDefaultsAndEveryBoxIsPrinted) {
    std::ostringstream out;
    HeadlessPrompts prompts(&out);
    prompts.AddRule("Detection to the camera", MessageBoxAnswer::kNo);
    prompts.AddRule("Save", MessageBoxAnswer::kYes);
    EXPECT_EQ(prompts.Show("Detection to the camera scene is not set", "",
                           MessageBoxKind::kYesNoQuestion),
              MessageBoxAnswer::kNo);
    EXPECT_EQ(prompts.Show("Run the updater?", "", MessageBoxKind::kYesNoQuestion),
              MessageBoxAnswer::kYes);
    prompts.SetDefaultYesNo(MessageBoxAnswer::kNo);
    EXPECT_EQ(prompts.Show("Run the updater?", "", MessageBoxKind::kYesNoQuestion),
              MessageBoxAnswer::kNo);
    // An OK box can only be acknowledged, whatever the rules say.
    EXPECT_EQ(prompts.Show("Save failed!", "Talbex", MessageBoxKind::kOk), MessageBoxAnswer::kOk);
    EXPECT_EQ(prompts.ShownBoxes().size(), 4u);
    EXPECT_EQ(out.str(),
              "message box: Detection to the camera scene is not set (Yes/No) -> No\n"
              "message box: Run the updater? (Yes/No) -> Yes\n"
              "message box: Run the updater? (Yes/No) -> No\n"
              "message box [Talbex]: Save failed! (OK) -> OK\n");
}

TEST(Prompts, FolderChooserAnswersFromItsScriptThenTheDefault) {
    std::ostringstream out;
    HeadlessPrompts prompts(&out);
    prompts.QueueFolder("/home/user/Pictures");
    prompts.QueueFolder(std::nullopt);
    SetFolderChooser(&prompts);
    SetMessageBoxes(&prompts);
    EXPECT_EQ(ChooseFolder("照片保存路径:   "), "/home/user/Pictures");
    EXPECT_EQ(ChooseFolder("照片保存路径:   "), std::nullopt);
    EXPECT_EQ(ChooseFolder("again"), std::nullopt);
    prompts.SetDefaultFolder("/tmp");
    EXPECT_EQ(ChooseFolder("again"), "/tmp");
    EXPECT_EQ(ShowMessageBox("Synch time Successfully!"), MessageBoxAnswer::kOk);
    SetFolderChooser(nullptr);
    SetMessageBoxes(nullptr);
    EXPECT_EQ(prompts.FolderTitles().size(), 4u);
    EXPECT_NE(out.str().find("folder chooser: 照片保存路径:    -> /home/user/Pictures\n"),
              std::string::npos);
    EXPECT_NE(out.str().find("-> (cancelled)\n"), std::string::npos);
    EXPECT_NE(out.str().find("message box: Synch time Successfully! (OK) -> OK\n"),
              std::string::npos);
}

}  // namespace
}  // namespace talbex::ui::testing
