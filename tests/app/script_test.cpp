// Scripts: what each line means, the line that cannot be understood, and the driver
// acting on the topmost window like a person.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <sstream>
#include <thread>

#include "app/script.h"
#include "app/script_driver.h"
#include "platform/ui/headless_prompts.h"
#include "platform/ui/prompts.h"
#include "platform/ui/test_dialog.h"
#include "platform/ui/window_thread.h"

namespace talbex::app {
namespace {

using Kind = ScriptCommand::Kind;
using namespace std::chrono_literals;

struct Parsed {
    Script script;
    std::string error;
};

Parsed Parse(const std::string& text) {
    Parsed parsed;
    const bool understood = ParseScript(text, &parsed.script, &parsed.error);
    EXPECT_EQ(understood, parsed.error.empty());
    return parsed;
}

TEST(ScriptParse, EveryCommandWithItsArguments) {
    const Parsed s = Parse(
        "# a comment\n"
        "\n"
        "wait 1.5\n"
        "click 1015\r\n"
        "pick 1007 3\n"
        "pick 1007 \"Tv \\\"1/250\\\"\"\n"
        "type 1041 \"李 Wei\"\n"
        "answer \"Detection of the new\" Yes\n"
        "folder /tmp/my pictures\n"
        "close\n"
        "  quit  \n");
    ASSERT_TRUE(s.error.empty()) << s.error;
    const std::vector<ScriptCommand>& c = s.script.commands;
    ASSERT_EQ(c.size(), 9u);
    EXPECT_EQ(c[0].kind, Kind::kWait);
    EXPECT_DOUBLE_EQ(c[0].seconds, 1.5);
    EXPECT_EQ(c[0].line, 3);
    EXPECT_EQ(c[1].kind, Kind::kClick);
    EXPECT_EQ(c[1].controlId, 1015);
    EXPECT_EQ(c[2].kind, Kind::kPickRow);
    EXPECT_EQ(c[2].row, 3);
    EXPECT_EQ(c[3].kind, Kind::kPickLabel);
    EXPECT_EQ(c[3].text, "Tv \"1/250\"");
    EXPECT_EQ(c[4].kind, Kind::kType);
    EXPECT_EQ(c[4].text, "李 Wei");
    EXPECT_EQ(c[5].kind, Kind::kAnswer);
    EXPECT_EQ(c[5].text, "Detection of the new");
    EXPECT_EQ(c[5].answer, ui::MessageBoxAnswer::kYes);
    EXPECT_EQ(c[6].kind, Kind::kFolder);
    EXPECT_EQ(c[6].text, "/tmp/my pictures");
    EXPECT_EQ(c[7].kind, Kind::kClose);
    EXPECT_EQ(c[8].kind, Kind::kQuit);
    EXPECT_EQ(c[8].line, 11);
}

TEST(ScriptParse, KeysAndDoubleClicks) {
    const Parsed s = Parse("key Space\nkey l\nkey +\nkey escape\ndoubleclick 1022\n");
    ASSERT_TRUE(s.error.empty()) << s.error;
    const std::vector<ScriptCommand>& c = s.script.commands;
    ASSERT_EQ(c.size(), 5u);
    const ui::Key keys[] = {ui::kKeySpace, 'L', '+', ui::kKeyEscape};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(c[i].kind, Kind::kKey);
        EXPECT_EQ(c[i].key, keys[i]);
    }
    EXPECT_EQ(c[4].kind, Kind::kDoubleClick);
    EXPECT_EQ(c[4].controlId, 1022);
}

TEST(ScriptParse, ALineThatCannotBeUnderstoodNamesItsNumber) {
    const char* bad[] = {
        "clik 1015",         // unknown verb
        "click",             // no id
        "click 10x",         // not a number
        "click -3",          // negative id
        "wait soon",         // not seconds
        "wait -1",           // negative
        "pick 1007",         // no row or label
        "type 1041 hello",   // text not quoted
        "type 1041 \"open",  // no closing quote
        "answer \"Cannot\" Maybe",
        "answer Cannot OK",  // message not quoted
        "folder",            // no path
        "quit now",          // trailing words
        "close 1015",        // the close box has no id
        "key",               // no key
        "key Spacebar",      // no such key
        "key \"L\"",         // keys are not quoted
        "key L +",           // one key a line
        "doubleclick",       // no id
        "await",             // no id
        "await 1014 soon",   // not seconds
        "await 1014 2 3",    // trailing words
    };
    for (const char* line : bad) {
        const Parsed s = Parse("wait 0\nclick 1\n" + std::string(line) + "\nquit\n");
        EXPECT_EQ(s.error, "line 3: cannot understand: " + std::string(line)) << line;
    }
}

// The driver against a small dialog run on its own window thread.
class ScriptDriverTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ui::SetMessageBoxes(&prompts_);
        ui::SetFolderChooser(&prompts_);
    }
    void TearDown() override {
        ui::SetMessageBoxes(nullptr);
        ui::SetFolderChooser(nullptr);
    }
    bool Run(const std::string& text, std::chrono::milliseconds windowWait = 2s) {
        const Parsed parsed = Parse(text);
        EXPECT_TRUE(parsed.error.empty()) << parsed.error;
        ScriptDriver driver(
            prompts_, out_, [this] { ++quits_; }, [] { return false; }, windowWait);
        return driver.Run(parsed.script);
    }

    ui::HeadlessPrompts prompts_{nullptr};
    std::ostringstream out_;
    std::atomic<int> quits_{0};
};

TEST_F(ScriptDriverTest, ClicksPicksTypesAndAnswersOnTheTopmostWindow) {
    ui::testing::TestDialog dialog;
    std::vector<std::string> seen;  // window thread only, read after the run
    dialog.onInit = [&] {
        dialog.Item(ui::testing::kList).AddString("alpha");
        dialog.Item(ui::testing::kList).AddString("beta");
    };
    dialog.onButton = [&] {
        seen.push_back(
            ui::ToString(ui::ShowMessageBox("Proceed now?", ui::MessageBoxKind::kYesNoQuestion)));
        seen.push_back(ui::ChooseFolder("Where").value_or("(none)"));
    };
    dialog.onListPick = [&] {
        seen.push_back("picked " + std::to_string(dialog.Item(ui::testing::kList).GetCurSel()));
    };
    ui::testing::WindowThread thread(dialog);
    EXPECT_TRUE(
        Run("type 300 \"hello\"\n"
            "pick 201 1\n"
            "pick 201 \"alpha\"\n"
            "answer \"Proceed\" Yes\n"
            "folder /srv/photos\n"
            "click 100\n"
            "answer \"Proceed\" No\n"  // a later answer replaces the earlier one
            "click 100\n"
            "quit\n"
            "click 100\n"));  // never reached
    ASSERT_TRUE(thread.Idle());
    EXPECT_EQ(dialog.Item(ui::testing::kEdit).GetWindowText(), "hello");
    EXPECT_EQ(seen, (std::vector<std::string>{"picked 1", "picked 0", "Yes", "/srv/photos", "No",
                                              "(none)"}));
    EXPECT_EQ(quits_, 1);
    EXPECT_TRUE(out_.str().empty()) << out_.str();
}

// "await" goes on as soon as the control can be used, and says so when it never could.
TEST_F(ScriptDriverTest, AwaitGoesOnOnceTheControlCanBeUsedAndSaysWhenItGaveUp) {
    ui::testing::TestDialog dialog;
    ui::testing::WindowThread thread(dialog);
    // The button is enabled a while later, from elsewhere, with the window idle meanwhile.
    std::thread later([&] {
        std::this_thread::sleep_for(300ms);
        ui::user::RunOnWindowThread(
            dialog, [&] { dialog.Item(ui::testing::kDisabledButton).EnableWindow(true); });
    });
    EXPECT_TRUE(Run("await 102 20\nclick 102\nawait 101 0.2\n"));
    later.join();
    EXPECT_EQ(out_.str(), "script line 3: await 101 gave up after 0.2 s\n");
}

TEST_F(ScriptDriverTest, CloseUsesTheTopmostWindowsCloseBox) {
    ui::testing::TestDialog dialog;
    ui::testing::WindowThread thread(dialog);
    EXPECT_TRUE(Run("close\n"));
    EXPECT_EQ(thread.Result(), ui::kIdCancel);
    EXPECT_TRUE(Run("close\n", 50ms));  // no window left
    EXPECT_NE(out_.str().find("script line 1: close had no effect (no window)"), std::string::npos);
}

TEST_F(ScriptDriverTest, WhatAPersonCouldNotDoIsReportedAndTheScriptGoesOn) {
    ui::testing::TestDialog dialog;
    std::atomic<int> clicks{0};
    dialog.onButton = [&] { ++clicks; };
    ui::testing::WindowThread thread(dialog);
    EXPECT_TRUE(
        Run("click 102\n"   // disabled
            "click 101\n"   // hidden
            "click 4242\n"  // no such control
            "pick 201 7\n"  // no such row
            "click 100\n"));
    ASSERT_TRUE(thread.Idle());
    EXPECT_EQ(clicks, 1);
    const std::string out = out_.str();
    EXPECT_NE(out.find("script line 1: click 102 had no effect"), std::string::npos) << out;
    EXPECT_NE(out.find("script line 3: click 4242 had no effect"), std::string::npos) << out;
    EXPECT_NE(out.find("script line 4: pick 201 had no effect"), std::string::npos) << out;
    EXPECT_EQ(out.find("line 5"), std::string::npos) << out;
}

// The script starts before the program's first window; a window may end before it takes
// an action (a stop request, a main window rebuilt): the action goes to the window that
// is there then, and the one that ended is never touched again.
TEST_F(ScriptDriverTest, AnActionWaitsForItsWindowAndOutlivesOneThatEnds) {
    auto first = std::make_unique<ui::testing::TestDialog>();
    ui::testing::TestDialog second;
    std::atomic<int> firstClicks{0}, secondClicks{0};
    first->onButton = [&] { ++firstClicks; };
    second.onButton = [&] { ++secondClicks; };
    // Busy from its first moment until it ends, so it never takes the click.
    first->onInit = [&] {
        ui::user::RunOnWindowThread(*first, [&] {
            std::this_thread::sleep_for(200ms);
            first->EndDialog(ui::kIdOk);
        });
    };
    std::thread windows([&] {
        std::this_thread::sleep_for(50ms);
        first->DoModal();
        first.reset();
        second.DoModal();
    });
    EXPECT_TRUE(Run("click 100\n"));
    EXPECT_EQ(firstClicks, 0);
    EXPECT_EQ(secondClicks, 1);
    EXPECT_TRUE(out_.str().empty()) << out_.str();
    for (int i = 0; i < 5000 && !second.IsRunning(); ++i)
        std::this_thread::sleep_for(1ms);
    ui::user::CloseWindow(second);
    windows.join();
}

TEST_F(ScriptDriverTest, WithoutAnyWindowActionsHaveNoEffectAndTheRunEndsWhenTheProgramDoes) {
    EXPECT_TRUE(Run("click 100\nwait 0.01\n", 50ms));
    EXPECT_NE(out_.str().find("script line 1: click 100 had no effect"), std::string::npos);
    // A program that has ended stops a long wait at once.
    const Script script = Parse("wait 30\nclick 100\n").script;
    std::atomic<bool> ended{false};
    ScriptDriver driver(
        prompts_, out_, [] {}, [&] { return ended.load(); });
    std::thread end([&] {
        std::this_thread::sleep_for(20ms);
        ended = true;
    });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(driver.Run(script));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    end.join();
}

}  // namespace
}  // namespace talbex::app
