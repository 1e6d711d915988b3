// What a resizable window adds to the framework: keys of the whole window, check boxes,
// clicks on pictures, its place and size as the backend tells them, the screen's pixel
// density, and keeping a remembered place on a screen.
#include <gtest/gtest.h>

#include <mutex>
#include <sstream>
#include <string>
#include <vector>

#include "platform/ui/change_listener.h"
#include "platform/ui/dialog.h"
#include "platform/ui/keys.h"
#include "platform/ui/screen_fit.h"
#include "window_thread.h"

namespace talbex::ui::testing {
namespace {

constexpr int kShoot = 10;
constexpr int kHiddenShoot = 11;
constexpr int kOff = 12;
constexpr int kGrid = 13;
constexpr int kView = 14;
constexpr int kToggleCommand = 90;

constexpr ControlTemplate kControls[] = {
    {kShoot,
     ControlKind::kPushButton,
     {4, 4, 40, 14},
     "拍",
     "Shoot",
     0,
     "拍（空格）",
     "Shoot (Space)"},
    {kHiddenShoot, ControlKind::kPushButton, {4, 20, 40, 14}, "藏", "", kStyleHidden},
    {kOff, ControlKind::kPushButton, {4, 36, 40, 14}, "关", "", kStyleDisabled},
    {kGrid, ControlKind::kCheckBox, {4, 52, 40, 12}, "格", "Grid", 0},
    {kView, ControlKind::kPicture, {50, 4, 100, 60}, "", "", 0},
};
constexpr Accelerator kKeys[] = {
    {kKeySpace, kShoot}, {'H', kHiddenShoot}, {'O', kOff}, {'G', kGrid}, {'L', kToggleCommand},
};
constexpr DialogTemplate kResizable{950, "窗",      "Window",         160,
                                    80,  kControls, kDialogResizable, kKeys};
constexpr DialogTemplate kFixed{951, "窗", "Window", 160, 80, kControls};

class Window : public Dialog {
  public:
    explicit Window(const DialogTemplate& t = kResizable) : Dialog(t) {}
    std::vector<std::string> heard;  // window thread

  protected:
    const MessageMap* GetMessageMap() const override {
        static const MessageMap map = MessageMapBuilder<Window>(Dialog::BaseMap())
                                          .OnMessage(kWmCommand, &Window::OnCommand)
                                          .OnMessage(kWmSize, &Window::OnSize)
                                          .Build();
        return &map;
    }

  private:
    LResult OnCommand(WParam w, LParam) {
        heard.push_back("command " + std::to_string(CommandControlId(w)) + " " +
                        std::to_string(CommandCode(w)));
        return 0;
    }
    LResult OnSize(WParam w, LParam l) {
        heard.push_back("size " + std::to_string(SizeWidth(l)) + "x" +
                        std::to_string(SizeHeight(l)) + (w == kSizeMaximized ? " maximised" : ""));
        return 0;
    }
};

TEST(WindowInput, KeysClicksAndDoubleClicksReachWhatTheyName) {
    Window window;
    WindowThread thread(window);
    struct Case {
        const char* what;
        std::function<bool()> act;
        bool taken;
        std::string heard;  // what the dialog heard, "" for nothing
    } const cases[] = {
        {"Space", [&] { return user::PressKey(window, kKeySpace); }, true, "command 10 0"},
        {"a hidden button's key", [&] { return user::PressKey(window, 'H'); }, true,
         "command 11 0"},
        {"a disabled button's key", [&] { return user::PressKey(window, 'O'); }, false, ""},
        {"a key of no button", [&] { return user::PressKey(window, 'L'); }, true, "command 90 1"},
        {"a key nobody has", [&] { return user::PressKey(window, 'Q'); }, false, ""},
        {"the check box's key", [&] { return user::PressKey(window, 'G'); }, true, "command 13 0"},
        {"a click on the check box", [&] { return user::Click(window, kGrid); }, true,
         "command 13 0"},
        {"a click on the picture", [&] { return user::Click(window, kView); }, true,
         "command 14 0"},
        {"a double-click on it", [&] { return user::DoubleClick(window, kView); }, true,
         "command 14 1"},
        {"a double-click on a button", [&] { return user::DoubleClick(window, kShoot); }, false,
         ""},
    };
    std::vector<bool> checks;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        bool taken = false;
        thread.Do([&] {
            window.heard.clear();
            taken = c.act();
            checks.push_back(window.Item(kGrid).GetCheck());
        });
        EXPECT_EQ(taken, c.taken);
        thread.Do([&] { EXPECT_EQ(window.heard.empty() ? "" : window.heard.back(), c.heard); });
    }
    // The key and the click turned the mark on and off again.
    EXPECT_EQ(checks[5], true);
    EXPECT_EQ(checks[6], false);
    // Tooltips follow the language like captions.
    EXPECT_EQ(window.Item(kShoot).GetToolTip(), "拍（空格）");
    thread.Do([&] { window.ApplyEnglishCaptions(); });
    EXPECT_EQ(window.Item(kShoot).GetToolTip(), "Shoot (Space)");
}

TEST(WindowInput, KeyNamesAsScriptsWriteThem) {
    struct Case {
        const char* name;
        std::optional<Key> key;
        const char* back;
    } const cases[] = {
        {"Space", kKeySpace, "Space"},
        {"space", kKeySpace, "Space"},
        {"l", 'L', "L"},
        {"+", '+', "+"},
        {"Escape", kKeyEscape, "Escape"},
        {"f12", kKeyF1 + 11, "F12"},
        {"F1", kKeyF1, "F1"},
        {"F13", std::nullopt, ""},
        {"F01", std::nullopt, ""},
        {"Spacebar", std::nullopt, ""},
        {"ab", std::nullopt, ""},
        {"", std::nullopt, ""},
        {"\x7f", std::nullopt, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(KeyFromName(c.name), c.key) << c.name;
        if (c.key) {
            EXPECT_EQ(KeyName(*c.key), c.back) << c.name;
        }
    }
}

TEST(WindowInput, PlaceSizeAndDensityComeWithTheirSizeMessages) {
    Window window;
    WindowThread thread(window);
    const PixelRect template_ = window.GetWindowRect();  // 240 x 130
    ASSERT_EQ(template_, (PixelRect{0, 0, 240, 130}));
    std::vector<std::string> heard;
    auto step = [&](const std::function<void()>& act) {
        thread.Do([&] {
            window.heard.clear();
            act();
            heard = window.heard;
        });
    };
    // Asked by the dialog: at least the template's size; maximised waits for the backend.
    step([&] { window.SetPlacement({{10, 20, 1000, 600}, false, true}); });
    EXPECT_EQ(heard, std::vector<std::string>{"size 1000x600"});
    step([&] { window.SetPlacement({{10, 20, 100, 50}, false, true}); });
    EXPECT_EQ(heard, std::vector<std::string>{"size 240x130"});
    step([&] { window.SetPlacement({{10, 20, 800, 500}, true, true}); });
    EXPECT_EQ(heard, std::vector<std::string>{"size 240x130 maximised"});
    EXPECT_EQ(window.GetPlacement().normal, (PixelRect{10, 20, 800, 500}));
    // Told by the backend: a message only when the size or state changed.
    step([&] { EXPECT_TRUE(window.Shown({{10, 20, 800, 500}, true, true}, 1600, 1000)); });
    EXPECT_EQ(heard, std::vector<std::string>{"size 1600x1000 maximised"});
    step([&] { EXPECT_FALSE(window.Shown({{30, 40, 800, 500}, true, true}, 1600, 1000)); });
    EXPECT_TRUE(heard.empty());
    EXPECT_EQ(window.GetPlacement().normal.left, 30);  // moved all the same
    // A denser screen: the picture's surface doubles, blank, and the dialog draws anew.
    thread.Do([&] { window.Item(kView).Surface()->Fill(raster::kWhite); });
    step([&] { window.PixelRatioChanged(2.0); });
    EXPECT_EQ(heard, std::vector<std::string>{"size 1600x1000 maximised"});
    thread.Do([&] {
        const raster::Bitmap& surface = *window.Item(kView).Surface();
        EXPECT_EQ(surface.Width(), 2 * window.Item(kView).ClientWidth());
        EXPECT_EQ(surface.Height(), 2 * window.Item(kView).ClientHeight());
        EXPECT_EQ(surface.At(5, 5), raster::kBlack);
        // Moved or sized, it follows too.
        window.Item(kView).MoveWindow({0, 0, 30, 20});
        EXPECT_EQ(window.Item(kView).Surface()->Width(), 60);
        // However large it is made, its surface stays within bounds.
        window.Item(kView).MoveWindow({0, 0, 30000, 20});
        EXPECT_EQ(window.Item(kView).Surface()->Width(), kMaxDevicePixels);
    });
    step([&] { window.PixelRatioChanged(2.0); });
    EXPECT_TRUE(heard.empty());
    step([&] { window.PixelRatioChanged(0.0); });  // nonsense is ignored
    EXPECT_TRUE(heard.empty());

    // A window that is not resizable keeps its size whatever it is asked.
    Window fixed(kFixed);
    WindowThread other(fixed);
    other.Do([&] { fixed.SetPlacement({{0, 0, 900, 900}, true, false}); });
    EXPECT_EQ(fixed.GetWindowRect(), template_);
    EXPECT_FALSE(fixed.GetPlacement().maximised);
}

TEST(WindowInput, ARememberedPlaceStaysOnAScreen) {
    const PixelRect screens[] = {{0, 0, 1920, 1080}, {1920, 0, 1280, 1024}};
    struct Case {
        const char* what;
        WindowPlacement place;
        PixelRect expected;
    } const cases[] = {
        {"on the first screen", {{100, 100, 1200, 700}, false, true}, {100, 100, 1200, 700}},
        {"on the second", {{2000, 50, 1000, 600}, false, true}, {2000, 50, 1000, 600}},
        {"mostly beyond the right edge",
         {{3100, 50, 1000, 600}, false, true},
         {2060, 212, 1000, 600}},
        {"far away", {{-90000, 90000, 1000, 600}, false, true}, {460, 240, 1000, 600}},
        {"above the top", {{100, -300, 1000, 600}, false, true}, {460, 240, 1000, 600}},
        {"larger than its screen", {{2000, 10, 5000, 5000}, false, true}, {2000, 10, 1280, 1024}},
        {"not placed: only sized", {{0, 0, 3000, 700}, false, false}, {0, 0, 1920, 700}},
    };
    for (const Case& c : cases) {
        const WindowPlacement fitted = FitOnScreens(c.place, screens);
        EXPECT_EQ(fitted.normal, c.expected) << c.what;
        EXPECT_EQ(fitted.positioned, c.place.positioned) << c.what;
    }
    const WindowPlacement none = FitOnScreens(cases[3].place, {});
    EXPECT_EQ(none.normal, cases[3].place.normal);
}

TEST(WindowInput, AHeadlessRunPrintsCheckMarksButNotTooltipsOrMovedControls) {
    std::ostringstream out;
    PrintingChangeListener printer(out);
    SetChangeListener(&printer);
    {
        Window window;
        WindowThread thread(window);
        thread.Do([&] {
            user::Click(window, kGrid);
            window.Item(kShoot).SetToolTip("tip");
            window.Item(kShoot).MoveWindow({1, 2, 3, 4});
            window.Item(kView).MoveWindow({0, 0, 40, 30});
            window.Item(kView).SurfaceChanged();  // drawn at its new size
        });
    }
    SetChangeListener(nullptr);
    const std::string printed = out.str();
    EXPECT_NE(printed.find("[窗] control 13 checked: 1\n"), std::string::npos) << printed;
    EXPECT_NE(printed.find("[窗] control 14 picture: 40x30\n"), std::string::npos) << printed;
    EXPECT_EQ(printed.find("tooltip"), std::string::npos) << printed;
    EXPECT_EQ(printed.find("rect"), std::string::npos) << printed;
}

}  // namespace
}  // namespace talbex::ui::testing
