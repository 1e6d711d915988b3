#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <set>
#include <thread>
#include <utility>
#include <vector>

#include "camera/camera_model.h"
#include "camera/evf_data_set.h"
#include "camera/sdk/sdk.h"
#include "camera/sdk/sdk_backend.h"
#include "controls/evf_picture_box.h"
#include "controls/evf_zoom_button.h"
#include "controls_host.h"
#include "platform/raster/jpeg_encoder.h"

namespace talbex::controls::testing {
namespace {

using raster::Rgb;
using Pixels = std::set<std::pair<int, int>>;

constexpr int kSmallPicture = 1;  // 320 x 240 pixels
constexpr int kHalfPicture = 2;   // 512 x 340 pixels
constexpr int kZoomButton = 3;

constexpr ui::ControlTemplate kControls[] = {
    {kSmallPicture, ui::ControlKind::kPicture, {0, 1, 213, 148}, "", "", 0},
    {kHalfPicture, ui::ControlKind::kPicture, {220, 0, 341, 209}, "", "", 0},
    {kZoomButton, ui::ControlKind::kPushButton, {0, 220, 50, 14}, "放大", "Zoom", 0},
};
constexpr ui::DialogTemplate kTemplate{950, "取景", "Live view", 600, 240, kControls};

class Host : public ui::Dialog {
  public:
    Host() : ui::Dialog(kTemplate) {
        AttachControl(kSmallPicture, small);
        AttachControl(kHalfPicture, half);
        AttachControl(kZoomButton, zoom);
    }
    CEVFPictureBox small;
    CEVFPictureBox half;
    CEvfZoomButton zoom;
};

constexpr Rgb kBackground{40, 40, 40};

// A flat dark frame as the camera would send it, in a stream of the boundary.
SdkStreamRef FrameStream(int width = 64, int height = 48) {
    std::vector<uint8_t> jpeg;
    raster::EncodeJpeg(raster::Bitmap(width, height, kBackground), 95, jpeg);
    auto stream = MakeMemoryStream(jpeg.size());
    stream->Write(jpeg.data(), jpeg.size());
    return SdkRegisterObject(stream);
}

SdkStreamRef BytesStream(const std::vector<uint8_t>& bytes) {
    auto stream = MakeMemoryStream(bytes.size());
    if (!bytes.empty())
        stream->Write(bytes.data(), bytes.size());
    return SdkRegisterObject(stream);
}

camera::EvfDataSet Frame(SdkStreamRef stream, uint32_t zoom, SdkRect zoomRect, SdkSize system) {
    camera::EvfDataSet data{};
    data.stream = stream;
    data.zoom = zoom;
    data.zoomRect = zoomRect;
    data.coordinateSystem = system;
    return data;
}

bool IsBackground(Rgb p) {
    return std::abs(p.r - kBackground.r) < 8 && std::abs(p.g - kBackground.g) < 8 &&
           std::abs(p.b - kBackground.b) < 8;
}

// The pixels of a colour on the surface.
Pixels Coloured(const raster::Bitmap& b, Rgb colour) {
    Pixels found;
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x)
            if (b.At(x, y) == colour)
                found.insert({x, y});
    return found;
}

Pixels Outline(int left, int top, int right, int bottom) {  // inclusive corners
    Pixels p;
    for (int x = left; x <= right; ++x) {
        p.insert({x, top});
        p.insert({x, bottom});
    }
    for (int y = top; y <= bottom; ++y) {
        p.insert({left, y});
        p.insert({right, y});
    }
    return p;
}

SdkFocusPoint Point(uint32_t valid, uint32_t selected, uint32_t justFocus, SdkRect r) {
    return SdkFocusPoint{valid, selected, justFocus, r, 0};
}

class EvfPictureTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // Streams live behind the boundary, which needs a backend; no camera is needed.
        SdkUseBackend(MakeNoCameraBackend());
        ASSERT_EQ(SdkInitialize(), kSdkOk);
        model.addObserver(&host.small);
        model.addObserver(&host.half);
        model.addObserver(&host.zoom);
        host.small.addActionListener(&actions);  // the half-size picture fires to nobody
    }
    void TearDown() override {
        for (SdkStreamRef s : streams)
            SdkRelease(s);
        SdkTerminate();
        SdkUseBackend(nullptr);
    }

    // The model's notifications come from the worker thread.
    void FromWorker(const std::string& type, void* arg) {
        std::thread([&] { model.notifyObservers(type, arg); }).join();
    }
    void Changed(uint32_t id) { FromWorker("PropertyChanged", &id); }
    void SetAfMode(uint32_t mode) {
        model.setPropertyUInt32(kPropEvfAfMode, mode);
        Changed(kPropEvfAfMode);
    }
    void SetFocusInfo(SdkRect image, std::vector<SdkFocusPoint> points, uint32_t count = 0) {
        SdkFocusInfo info{};
        info.imageRect = image;
        info.pointNumber = count ? count : static_cast<uint32_t>(points.size());
        for (size_t i = 0; i < points.size(); ++i)
            info.focusPoint[i] = points[i];
        model.setFocusInfo(info);
        Changed(kPropFocusInfo);
    }
    void Draw(camera::EvfDataSet data) { FromWorker("EvfDataChanged", &data); }
    SdkStreamRef Stream(SdkStreamRef s) {
        streams.push_back(s);
        return s;
    }

    camera::CameraModel model{nullptr};
    Host host;
    RecordingListener actions{true};
    std::vector<SdkStreamRef> streams;
};

TEST_F(EvfPictureTest, TheZoomRectangleIsScaledToTheControlAndDrawnWhite) {
    WindowThread window(host);
    ASSERT_EQ(host.small.ClientWidth(), 320);
    ASSERT_EQ(host.small.ClientHeight(), 240);
    SetAfMode(0);
    Draw(Frame(Stream(FrameStream()), 1, {1200, 800, 1200, 800}, {6000, 4000}));
    const raster::Bitmap& surface = *host.small.Surface();
    EXPECT_EQ(Coloured(surface, raster::kWhite), Outline(64, 48, 128, 96));
    // The picture fills the rest of the control, stretched.
    EXPECT_TRUE(IsBackground(surface.At(0, 0)));
    EXPECT_TRUE(IsBackground(surface.At(319, 239)));
    EXPECT_TRUE(IsBackground(surface.At(100, 70)));
    // Then the next frame and fresh focus information are asked for.
    EXPECT_EQ(actions.Lines(), (std::vector<std::string>{"get_Property 0x104", "downloadEVF"}));
}

TEST_F(EvfPictureTest, AMagnifiedFrameDrawsThePictureOnly) {
    WindowThread window(host);
    SetAfMode(0);
    SetFocusInfo({0, 0, 320, 240}, {Point(1, 1, 1, {10, 10, 20, 20})});
    Draw(Frame(Stream(FrameStream()), 5, {1200, 800, 1200, 800}, {6000, 4000}));
    const raster::Bitmap& surface = *host.small.Surface();
    for (int y = 0; y < 240; y += 3)
        for (int x = 0; x < 320; x += 3)
            ASSERT_TRUE(IsBackground(surface.At(x, y))) << x << "," << y;
    // A coordinate system of size 0 leaves the overlay out too.
    Draw(Frame(Stream(FrameStream()), 1, {1200, 800, 1200, 800}, {0, 4000}));
    EXPECT_TRUE(Coloured(surface, raster::kWhite).empty());
    EXPECT_TRUE(Coloured(surface, kFocusFrameGreen).empty());
}

TEST_F(EvfPictureTest, FocusFramesAreColouredBySelectionAndFocusAndDrawnInOrder) {
    WindowThread window(host);
    SetAfMode(2);  // face detection: no zoom rectangle, frames still drawn
    SetFocusInfo({0, 0, 320, 240},
                 {Point(1, 1, 1, {10, 10, 20, 20}),    // green
                  Point(1, 0, 1, {50, 10, 20, 20}),    // grey whatever just focus says
                  Point(1, 1, 0, {90, 10, 20, 20}),    // white
                  Point(0, 1, 1, {130, 10, 20, 20}),   // not valid: not drawn
                  Point(1, 1, 2, {170, 10, 20, 20}),   // bit 0 clear: white
                  Point(1, 2, 1, {210, 10, 20, 20}),   // selected not 1: grey
                  Point(1, 1, 1, {50, 10, 20, 20})});  // drawn last, over the grey one
    Draw(Frame(Stream(FrameStream()), 1, {1200, 800, 1200, 800}, {6000, 4000}));
    const raster::Bitmap& s = *host.small.Surface();
    EXPECT_EQ(Coloured(s, kFocusFrameGreen), [] {
        Pixels p = Outline(10, 10, 29, 29);
        p.merge(Outline(50, 10, 69, 29));
        return p;
    }());
    EXPECT_EQ(Coloured(s, kFocusFrameWhite), [] {
        Pixels p = Outline(90, 10, 109, 29);
        p.merge(Outline(170, 10, 189, 29));
        return p;
    }());
    EXPECT_EQ(Coloured(s, kFocusFrameGrey), Outline(210, 10, 229, 29));
    EXPECT_TRUE(IsBackground(s.At(130, 10)));
    EXPECT_FALSE(host.zoom.IsWindowEnabled());
    EXPECT_FALSE(host.small.showZoomRect());

    // Back to mode 0: the button is usable and the rectangle returns.
    SetAfMode(0);
    EXPECT_TRUE(host.zoom.IsWindowEnabled());
    Draw(Frame(Stream(FrameStream()), 1, {1200, 800, 1200, 800}, {6000, 4000}));
    Pixels white = Outline(64, 48, 128, 96);
    white.merge(Outline(90, 10, 109, 29));
    white.merge(Outline(170, 10, 189, 29));
    EXPECT_EQ(Coloured(s, kFocusFrameWhite), white);
}

TEST_F(EvfPictureTest, FramesAreScaledFromTheImageRectangleToTheControl) {
    WindowThread window(host);
    ASSERT_EQ(host.half.ClientWidth(), 512);
    ASSERT_EQ(host.half.ClientHeight(), 340);
    SetFocusInfo({0, 0, 1024, 680},
                 {Point(1, 1, 1, {301, 201, 101, 61}), Point(0, 0, 0, {-7, 3, 1025, 5})});
    const SdkFocusInfo frames = host.half.focusFrames();
    EXPECT_EQ(frames.focusPoint[0].rect.x, 150);
    EXPECT_EQ(frames.focusPoint[0].rect.y, 100);
    EXPECT_EQ(frames.focusPoint[0].rect.width, 50);
    EXPECT_EQ(frames.focusPoint[0].rect.height, 30);
    // Every entry in use is converted, valid or not; truncated toward zero.
    EXPECT_EQ(frames.focusPoint[1].rect.x, -3);
    EXPECT_EQ(frames.focusPoint[1].rect.width, 512);
    // The whole picture halved: a 1024 x 680 frame onto 512 x 340, pixel by pixel.
    raster::Bitmap picture(1024, 680);
    for (int y = 0; y < 680; ++y)
        for (int x = 0; x < 1024; ++x)
            picture.Set(
                x, y,
                Rgb{static_cast<uint8_t>(x / 64 * 16), static_cast<uint8_t>(y / 40 * 15), 90});
    std::vector<uint8_t> jpeg;
    raster::EncodeJpeg(picture, 100, jpeg);
    raster::Bitmap decoded;
    ASSERT_TRUE(raster::DecodeJpeg(jpeg.data(), jpeg.size(), decoded));
    SetFocusInfo({0, 0, 1024, 680}, {});
    Draw(Frame(Stream(BytesStream(jpeg)), 5, {}, {1024, 680}));
    const raster::Bitmap& s = *host.half.Surface();
    for (int y = 0; y < 340; ++y)
        for (int x = 0; x < 512; ++x)
            ASSERT_EQ(s.At(x, y), decoded.At(2 * x, 2 * y)) << x << "," << y;
}

TEST_F(EvfPictureTest, AnEmptyImageRectangleOrAnOversizedCountDrawsSafely) {
    WindowThread window(host);
    SetFocusInfo({0, 0, 0, 240}, {Point(1, 1, 1, {10, 10, 20, 20})});
    EXPECT_EQ(host.small.focusFrames().pointNumber, 0u);
    Draw(Frame(Stream(FrameStream()), 1, {}, {6000, 4000}));
    EXPECT_TRUE(Coloured(*host.small.Surface(), kFocusFrameGreen).empty());

    // A record claiming more than 128 frames: only the 128 the record holds are used.
    std::vector<SdkFocusPoint> points(128, Point(1, 1, 1, {1, 1, 2, 2}));
    SdkFocusInfo info{};
    info.imageRect = {0, 0, 320, 240};
    info.pointNumber = 100000;
    for (size_t i = 0; i < 128; ++i)
        info.focusPoint[i] = points[i];
    model.setFocusInfo(info);
    Changed(kPropFocusInfo);
    EXPECT_LE(host.small.focusFrames().pointNumber, 128u);
    // Frames far outside the control, and huge scales, clip without trouble.
    SetFocusInfo({0, 0, 1, 1}, {Point(1, 1, 1, {2000000000, -2000000000, 2000000000, 5})});
    Draw(Frame(Stream(FrameStream()), 1, {2147483000, 0, 2147483000, 10}, {1, 1}));
    EXPECT_TRUE(Coloured(*host.small.Surface(), kFocusFrameGreen).empty());
}

TEST_F(EvfPictureTest, UndecodableOrMissingDataPaintsNothingAndTheLoopGoesOn) {
    WindowThread window(host);
    raster::Bitmap* surface = host.small.Surface();
    surface->Fill(Rgb{1, 2, 3});
    Draw(Frame(Stream(BytesStream({0xFF, 0xD8, 0x00, 0x11, 0x22})), 1, {}, {10, 10}));
    Draw(Frame(Stream(BytesStream({})), 1, {}, {10, 10}));
    Draw(Frame(nullptr, 1, {}, {10, 10}));
    EXPECT_EQ(Coloured(*surface, Rgb{1, 2, 3}).size(), 320u * 240u);
    EXPECT_EQ(actions.Count("downloadEVF"), 3u);
    EXPECT_EQ(actions.Count("get_Property 0x104"), 3u);
}

TEST_F(EvfPictureTest, TheFrameLoopStartsOncePerSwitchOn) {
    WindowThread window(host);
    auto device = [&](uint32_t value) {
        model.setPropertyUInt32(kPropEvfOutputDevice, value);
        Changed(kPropEvfOutputDevice);
    };
    device(kEvfOutputDeviceComputer);
    device(kEvfOutputDeviceComputer | 1);
    EXPECT_TRUE(host.small.loopRunning());
    EXPECT_EQ(actions.Count("downloadEVF"), 1u);
    device(1);
    EXPECT_FALSE(host.small.loopRunning());
    device(kEvfOutputDeviceComputer);
    EXPECT_EQ(actions.Count("downloadEVF"), 2u);
    // Other properties and events leave the loop alone.
    Changed(kPropEvfZoom);
    FromWorker("PropertyChanged", nullptr);
    FromWorker("EvfDataChanged", nullptr);
    EXPECT_EQ(actions.Count("downloadEVF"), 2u);
}

TEST_F(EvfPictureTest, DrawOverlayRestoresThePenAndBrushOfTheSurface) {
    raster::Bitmap bitmap(320, 240);
    raster::Painter painter(bitmap);
    painter.SelectPen(raster::Pen{Rgb{7, 7, 7}});
    painter.SelectBrush(raster::Brush{Rgb{9, 9, 9}, false});
    WindowThread window(host);
    SetAfMode(0);
    window.Do([&] { host.small.DrawOverlay(painter, 1200, 800, 2400, 1600, 6000, 4000); });
    EXPECT_EQ(painter.CurrentPen(), (raster::Pen{Rgb{7, 7, 7}}));
    EXPECT_EQ(painter.CurrentBrush(), (raster::Brush{Rgb{9, 9, 9}, false}));
    EXPECT_EQ(Coloured(bitmap, raster::kWhite), Outline(64, 48, 128, 96));
}

TEST_F(EvfPictureTest, FramesHandedOverWhileFocusInformationChangesAreDrawnWhole) {
    // The worker replaces the focus frames while the window thread draws: every drawing
    // must show one complete set, never a mix of two.
    WindowThread window(host);
    SetAfMode(2);
    std::atomic<bool> stop{false};
    std::thread focus([&] {
        for (int round = 0; !stop; ++round) {
            SdkFocusInfo info{};
            info.imageRect = {0, 0, 320, 240};
            info.pointNumber = 64;
            const int32_t y = round % 2 == 0 ? 10 : 100;
            for (uint32_t i = 0; i < 64; ++i)
                info.focusPoint[i] = Point(1, 1, 1, {static_cast<int32_t>(i * 4), y, 3, 3});
            model.setFocusInfo(info);
            uint32_t id = kPropFocusInfo;
            model.notifyObservers("PropertyChanged", &id);
        }
    });
    while (host.small.focusFrames().pointNumber != 64)
        std::this_thread::yield();
    int mixed = 0;
    int empty = 0;
    for (int i = 0; i < 30; ++i) {
        Draw(Frame(Stream(FrameStream()), 1, {}, {6000, 4000}));
        const Pixels green = Coloured(*host.small.Surface(), kFocusFrameGreen);
        if (green.empty()) {
            ++empty;
            continue;
        }
        const int firstY = green.begin()->second;  // any pixel's row tells which set
        for (const auto& [x, y] : green)
            if ((firstY < 50) != (y < 50)) {
                ++mixed;
                break;
            }
    }
    stop = true;
    focus.join();
    EXPECT_EQ(mixed, 0);
    EXPECT_EQ(empty, 0);
}

TEST(EvfZoomButton, FiresItsActionWhenClickedAndIgnoresOtherEvents) {
    Host host;
    RecordingListener actions;
    host.zoom.setActionCommand("zoom_Zoom");
    host.zoom.addActionListener(&actions);
    WindowThread window(host);
    bool clicked = false;
    window.Do([&] { clicked = ui::user::Click(host, kZoomButton); });
    EXPECT_TRUE(clicked);
    EXPECT_EQ(actions.Lines(), (std::vector<std::string>{"zoom_Zoom"}));
    camera::CameraModel model(nullptr);
    model.setPropertyUInt32(kPropEvfAfMode, 2);
    uint32_t other = kPropEvfZoom;
    host.zoom.update(&model, nullptr);
    camera::ModelEvent wrong("PropertyChanged", &other);
    host.zoom.update(&model, &wrong);
    EXPECT_TRUE(host.zoom.IsWindowEnabled());
    uint32_t mode = kPropEvfAfMode;
    camera::ModelEvent right("PropertyChanged", &mode);
    host.zoom.update(&model, &right);
    EXPECT_FALSE(host.zoom.IsWindowEnabled());
    window.Do([&] { clicked = ui::user::Click(host, kZoomButton); });
    EXPECT_FALSE(clicked);  // a disabled button cannot be clicked
}

}  // namespace
}  // namespace talbex::controls::testing
