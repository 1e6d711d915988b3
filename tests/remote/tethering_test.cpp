// The remote-control window as a tethering view, headless, on the simulated camera: laid
// out for its size and its frames' shape, driven by its keys (live view, zoom, focus, the
// shutter) and its guides, the last picture saved with its thumbnail and a click that
// opens it, the live view alone and back, the name of a picture coming, both languages,
// and the window's place remembered without trusting the file it is kept in.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>

#include "controls/evf_picture_box.h"
#include "controls/histogram_view.h"
#include "remote/remote_control_layout.h"
#include "remote/remote_fixture.h"
#include "remote/window_place_file.h"
#include "resources/dialog_templates.h"

namespace talbex::remote::testing {
namespace {

using ui::ChangeEvent;

constexpr int kPicture = CVellmoraDlg::kLiveViewPicture;

class TetheringTest : public RemoteControlTest {
  protected:
    void Remember(const std::string& folder) {
        std::ofstream(home() + "saveto.txt", std::ios::binary | std::ios::trunc) << folder;
    }
    controls::CEVFPictureBox& Picture() {
        return dynamic_cast<controls::CEVFPictureBox&>(Item(kPicture));
    }
    size_t Frames() { return changes_.Values(kPicture, ChangeEvent::What::kSurface).size(); }
    /// Waits until `count` more frames were drawn.
    bool MoreFrames(size_t count) {
        const size_t before = Frames();
        return Eventually([&] { return Frames() >= before + count; });
    }
    bool Key(ui::Key key) {
        bool taken = false;
        Do([&] { taken = ui::user::PressKey(window(), key); });
        return taken;
    }
    RemoteLayout Expected(int width, int height, bool alone) {
        const SdkSize frame = sim::CameraSettings{}.liveViewSize;
        return LayOutRemoteControl(resources::RemoteControlDialog(), width, height, frame.width,
                                   frame.height, alone);
    }
};

TEST_F(TetheringTest, KeysGuidesTheLastPictureAndTheLiveViewAloneOnABigWindow) {
    Remember(saveTo_.path());
    Open(3);
    // The desktop shows the window at 1600 x 1000.
    Do([&] { window().Shown({{50, 40, 1600, 1000}, false, true}, 1600, 1000); });

    // L: live view; the picture takes the window's room in the frames' shape, the
    // histogram of each frame lies under it.
    ASSERT_TRUE(Key('L'));
    ASSERT_TRUE(MoreFrames(5));
    const RemoteLayout big = Expected(1600, 1000, false);
    ASSERT_TRUE(Eventually([&] { return Item(kPicture).GetWindowRect() == big.picture; }));
    EXPECT_EQ(big.picture, (ui::PixelRect{759, 187, 831, 551}));
    EXPECT_EQ(Item(CVellmoraDlg::kHistogram).GetWindowRect(), big.histogram);
    ASSERT_TRUE(MoreFrames(2));
    Do([&] {
        auto& view = dynamic_cast<controls::CHistogramView&>(Item(CVellmoraDlg::kHistogram));
        const raster::Histogram& shown = view.histogram();
        EXPECT_GT(shown.samples, 1000u);
        EXPECT_EQ(shown.samples, Picture().histogram().samples);
        // Drawn: the colours' curves are on the histogram's surface.
        const raster::Bitmap& surface = *view.Surface();
        int coloured = 0;
        for (int y = 0; y < surface.Height(); ++y)
            for (int x = 0; x < surface.Width(); ++x)
                coloured += surface.At(x, y) == controls::kHistogramRed;
        EXPECT_GT(coloured, 10);
    });

    // Guides from their check boxes (the grid) and keys (the centre mark).
    Do([&] { ASSERT_TRUE(ui::user::Click(window(), CVellmoraDlg::kGridBox)); });
    ASSERT_TRUE(Key('C'));
    EXPECT_EQ(Picture().guides(), controls::kGuideThirds | controls::kGuideCentre);
    EXPECT_TRUE(Item(CVellmoraDlg::kCentreBox).GetCheck());
    ASSERT_TRUE(MoreFrames(2));
    Do([&] {
        // Over any picture a guide's pixels are at least as light as the blend makes them.
        const raster::Bitmap& s = *Item(kPicture).Surface();
        const int least = controls::kGuideAlpha * 255 / 256;
        auto light = [&](int x, int y) {
            const raster::Rgb p = s.At(x, y);
            return p.r >= least && p.g >= least && p.b >= least;
        };
        for (int y = 0; y < s.Height(); y += 3)
            ASSERT_TRUE(light(s.Width() / 3, y) && light(2 * s.Width() / 3, y)) << y;
        for (int x = 0; x < s.Width(); x += 3)
            ASSERT_TRUE(light(x, s.Height() / 3)) << x;
        EXPECT_TRUE(light(s.Width() / 2 + 12, s.Height() / 2));  // the centre mark's arm
    });
    Do([&] { ui::user::Click(window(), CVellmoraDlg::kGridBox); });
    ASSERT_TRUE(Key('C'));
    EXPECT_EQ(Picture().guides(), 0u);

    // Zoom and focus.
    ASSERT_TRUE(Key('+'));
    EXPECT_TRUE(Eventually([&] { return camera_->PropertyValue(kPropEvfZoom) == 5u; }));
    ASSERT_TRUE(Key('-'));
    EXPECT_TRUE(Eventually([&] { return camera_->PropertyValue(kPropEvfZoom) == 1u; }));
    for (ui::Key key : {',', '.', '[', ']'}) {
        const int32_t lens = camera_->LensPosition();
        ASSERT_TRUE(Key(key));
        EXPECT_TRUE(Eventually([&] { return camera_->LensPosition() != lens; })) << char(key);
    }

    // Space: the picture reaches the save folder and shows with its name, folder, "saved"
    // and thumbnail; a click on the thumbnail opens it.
    ASSERT_TRUE(Key(ui::kKeySpace));
    ASSERT_TRUE(Eventually([&] { return fs::exists(saveTo_ / kFixedName); }));
    ASSERT_TRUE(thread().Idle());
    EXPECT_EQ(Item(CVellmoraDlg::kLastNameLabel).GetWindowText(), kFixedName);
    std::string folder = saveTo_.path();
    folder.pop_back();
    EXPECT_EQ(Item(CVellmoraDlg::kLastFolderLabel).GetWindowText(), folder);
    EXPECT_EQ(Item(CVellmoraDlg::kSavedLabel).GetWindowText(), "saved");
    EXPECT_EQ(window().lastPicture(), saveTo_ / kFixedName);
    // The camera's pictures are mostly sky at the top and ground at the bottom.
    EXPECT_TRUE(Eventually([&] {
        bool drawn = false;
        Do([&] {
            const raster::Bitmap& t = *Item(CVellmoraDlg::kThumbnail).Surface();
            const raster::Rgb top = t.At(t.Width() / 2, t.Height() / 2 - t.Height() / 4);
            drawn = top.b > top.r + 40;
        });
        return drawn;
    }));
    Do([&] { ASSERT_TRUE(ui::user::Click(window(), CVellmoraDlg::kThumbnail)); });
    EXPECT_EQ(launcher_.Opened(), std::vector<std::string>{saveTo_ / kFixedName});

    // A double-click shows the live view alone, maximised; the keys go on working;
    // Escape brings everything back.
    Do([&] { ASSERT_TRUE(ui::user::DoubleClick(window(), kPicture)); });
    EXPECT_TRUE(window().liveViewAlone());
    EXPECT_TRUE(window().GetPlacement().maximised);
    EXPECT_FALSE(Item(CVellmoraDlg::kTakePictureButton).IsWindowVisible());
    EXPECT_FALSE(Item(CVellmoraDlg::kHistogram).IsWindowVisible());
    EXPECT_EQ(Item(kPicture).GetWindowRect(), Expected(1600, 1000, true).picture);
    const uint32_t taken = camera_->PicturesTaken();
    ASSERT_TRUE(Key(ui::kKeySpace));
    EXPECT_TRUE(Eventually([&] { return camera_->PicturesTaken() == taken + 1; }));
    ASSERT_TRUE(Key(ui::kKeyEscape));
    EXPECT_FALSE(window().liveViewAlone());
    EXPECT_FALSE(window().GetPlacement().maximised);
    EXPECT_TRUE(Item(CVellmoraDlg::kTakePictureButton).IsWindowVisible());
    EXPECT_EQ(Item(kPicture).GetWindowRect(), big.picture);

    // L again: live view off. The window keeps its place for the next time.
    ASSERT_TRUE(Key('L'));
    EXPECT_TRUE(Eventually([&] { return !Picture().loopRunning(); }));
    CloseWindow();
    EXPECT_EQ(Slurp(home() + kWindowPlaceFileName), "50 40 1600 1000 0\n");
}

TEST_F(TetheringTest, InChineseTheComingPictureIsNamedAndTheLastOneSaid) {
    Remember(saveTo_.path());
    Open(1);
    EXPECT_EQ(Item(CVellmoraDlg::kTakePictureButton).GetToolTip(), "拍照（空格键）");
    EXPECT_EQ(Item(CVellmoraDlg::kGridBox).GetWindowText(), "九宫格");
    camera_->SetTransferTime(1500ms);
    ASSERT_TRUE(Key(ui::kKeySpace));
    // While it comes, the progress bar names it (with its percentage, in a desktop window).
    ASSERT_TRUE(Eventually([&] {
        return Item(CVellmoraDlg::kProgressBar).GetWindowText() == camera_->LastPictureName();
    }));
    ASSERT_TRUE(Eventually([&] { return fs::exists(saveTo_ / kFixedName); }));
    ASSERT_TRUE(thread().Idle());
    EXPECT_EQ(Item(CVellmoraDlg::kProgressBar).GetWindowText(), "");
    EXPECT_EQ(Item(CVellmoraDlg::kSavedLabel).GetWindowText(), "已保存");
    EXPECT_EQ(Item(CVellmoraDlg::kLastNameLabel).GetWindowText(), kFixedName);
    // Never shown by a desktop, the window has no place to remember.
    CloseWindow();
    EXPECT_FALSE(fs::exists(home() + kWindowPlaceFileName));
}

TEST_F(TetheringTest, ARememberedPlaceIsTakenAndABrokenFileGivesTheDefault) {
    const ui::PixelRect standard{0, 0, 1116, 527};  // the template's 744 x 324 units
    struct Case {
        const char* what;
        std::string bytes;  // empty: a FIFO
        ui::PixelRect client;
        bool maximised;
    } const cases[] = {
        {"a place", "10 20 1300 700 0\n", {0, 0, 1300, 700}, false},
        {"maximised", "-5 0 1300 700 1\n", standard, true},
        {"smaller than the window can be", "10 20 300 200 0\n", standard, false},
        {"huge", "10 20 99999 700 0\n", standard, false},
        {"larger than any screen", "10 20 9000 700 0\n", standard, false},
        {"far off", "999999 20 1300 700 0\n", standard, false},
        {"no line end", "10 20 1300 700 0", standard, false},
        {"words", "left top 1300 700 0\n", standard, false},
        {"too many numbers", "10 20 1300 700 0 1\n", standard, false},
        {"two blanks", "10  20 1300 700 0\n", standard, false},
        {"a maximised of 2", "10 20 1300 700 2\n", standard, false},
        {"overflowing", "10 20 99999999999999999999 700 0\n", standard, false},
        {"bytes of anything", std::string(100000, '\xff'), standard, false},
        {"a FIFO", "", standard, false},
    };
    const std::string file = home() + kWindowPlaceFileName;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove(file);
        if (c.bytes.empty())
            ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
        else
            std::ofstream(file, std::ios::binary) << c.bytes;
        Open(3);
        EXPECT_EQ(window().GetWindowRect(), c.client);
        EXPECT_EQ(window().GetPlacement().maximised, c.maximised);
        CloseWindow();
    }
    // What a file that was taken brings back is written back as it was.
    fs::remove(file);
    std::ofstream(file) << "10 20 1300 700 0\n";
    Open(3);
    CloseWindow();
    EXPECT_EQ(Slurp(file), "10 20 1300 700 0\n");
}

TEST(RemoteControlLayout, TheTemplatesPlacesAtItsSizeAndTheFramesShapeBeyond) {
    const ui::DialogTemplate& t = resources::RemoteControlDialog();
    const ui::PixelRect small{11, 416, 132, 101};  // the last picture's template place
    struct Case {
        int width, height, frameWidth, frameHeight;
        bool alone;
        ui::PixelRect picture, histogram, thumbnail;
    } const cases[] = {
        // The template's own size, frames not known yet: its places exactly.
        {1116, 527, 0, 0, false, {759, 187, 347, 221}, {759, 416, 347, 101}, small},
        // Its frames' shape, across the middle of the room.
        {1116, 527, 1024, 680, false, {766, 187, 332, 221}, {766, 416, 332, 101}, small},
        // Larger: the last picture grows below its lines, as wide as the settings.
        {1600,
         1000,
         1024,
         680,
         false,
         {759, 187, 831, 551},
         {759, 746, 831, 101},
         {11, 507, 739, 483}},
        // Tall and narrow: as wide as the room, the histogram right under it.
        {1200,
         1400,
         1024,
         680,
         false,
         {759, 187, 431, 286},
         {759, 481, 431, 101},
         {11, 507, 739, 883}},
        // Alone: the whole window, centred.
        {1600, 1000, 1024, 680, true, {47, 0, 1505, 1000}, {759, 416, 347, 101}, small},
        {1116, 527, 0, 0, true, {0, 0, 1116, 527}, {759, 416, 347, 101}, small},
    };
    for (const Case& c : cases) {
        const RemoteLayout layout =
            LayOutRemoteControl(t, c.width, c.height, c.frameWidth, c.frameHeight, c.alone);
        EXPECT_EQ(layout.picture, c.picture) << c.width << "x" << c.height;
        EXPECT_EQ(layout.histogram, c.histogram) << c.width << "x" << c.height;
        EXPECT_EQ(layout.thumbnail, c.thumbnail) << c.width << "x" << c.height;
        // The lines stay above the last picture, never over it.
        EXPECT_LE(layout.lines[3].top + layout.lines[3].height,
                  c.thumbnail.top + c.thumbnail.height);
        if (c.thumbnail.width != small.width) {
            EXPECT_LT(layout.lines[3].top + layout.lines[3].height, layout.thumbnail.top);
        }
    }
}

}  // namespace
}  // namespace talbex::remote::testing
