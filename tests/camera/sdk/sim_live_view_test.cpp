// Live view of the simulated camera: JPEG frames with their fields, zoom, and autofocus
// frames that the lens drive and live-view autofocus change.
#include <numeric>
#include <thread>

#include "sim_fixture.h"

namespace talbex::sim::testing {
namespace {

class LiveViewTest : public SimCameraTest {
  protected:
    struct Frame {
        SdkError result = kSdkErrInternal;
        std::vector<uint8_t> jpeg;
        uint32_t zoom = 0;
        SdkRect zoomRect{};
        tagSdkPoint position{};
        std::vector<uint32_t> histogram;
        SdkSize coordinates{};
    };

    // What the program's frame download does: a 2 MiB memory stream, an image reference,
    // the download, then the five frame properties.
    Frame Download() {
        Frame frame;
        SdkStreamRef stream = nullptr;
        SdkEvfImageRef image = nullptr;
        EXPECT_EQ(SdkCreateMemoryStream(0x200000, &stream), kSdkOk);
        EXPECT_EQ(SdkCreateEvfImageRef(stream, &image), kSdkOk);
        frame.result = SdkDownloadEvfImage(camera_, image);
        if (frame.result == kSdkOk) {
            const void* data = nullptr;
            uint64_t length = 0;
            SdkGetPointer(stream, &data);
            SdkGetLength(stream, &length);
            if (data != nullptr) {
                const auto* bytes = static_cast<const uint8_t*>(data);
                frame.jpeg.assign(bytes, bytes + length);
            }
            frame.histogram.resize(kHistogramValues);
            EXPECT_EQ(SdkGetPropertyData(image, kPropEvfZoom, 0, 4, &frame.zoom), kSdkOk);
            EXPECT_EQ(SdkGetPropertyData(image, kPropEvfImagePosition, 0, 8, &frame.position),
                      kSdkOk);
            EXPECT_EQ(SdkGetPropertyData(image, kPropEvfHistogram, 0, 4096, frame.histogram.data()),
                      kSdkOk);
            EXPECT_EQ(SdkGetPropertyData(image, kPropEvfZoomRect, 0, 16, &frame.zoomRect), kSdkOk);
            EXPECT_EQ(SdkGetPropertyData(image, kPropEvfCoordinateSystem, 0, 8, &frame.coordinates),
                      kSdkOk);
        }
        SdkRelease(image);
        SdkRelease(stream);
        return frame;
    }

    // A new frame, one frame period (30 a second) after the last one asked for.
    Frame NextFrame() {
        std::this_thread::sleep_for(std::chrono::milliseconds(40));
        return Download();
    }

    SdkFocusInfo Focus() {
        SdkFocusInfo info{};
        EXPECT_EQ(SdkGetPropertyData(camera_, kPropFocusInfo, 0, sizeof info, &info), kSdkOk);
        return info;
    }

    static std::vector<uint32_t> InFocus(const SdkFocusInfo& info) {
        std::vector<uint32_t> frames;
        for (uint32_t i = 0; i < info.pointNumber && i < kMaxFocusPoints; ++i) {
            if (info.focusPoint[i].valid == 1 && (info.focusPoint[i].justFocus & 1) != 0)
                frames.push_back(i);
        }
        return frames;
    }
};

TEST_F(LiveViewTest, FramesArriveOnlyWhileTheComputerIsTheOutput) {
    Open({CameraSettings{}});  // the default frame size
    EXPECT_EQ(Download().result, kSdkErrObjectNotReady);
    StartLiveView();
    EXPECT_EQ(Download().result, kSdkErrObjectNotReady) << "the first frame takes a moment";
    const Frame frame = NextFrame();
    ASSERT_EQ(frame.result, kSdkOk);
    const DecodedJpeg jpeg = DecodeJpeg(frame.jpeg.data(), frame.jpeg.size());
    ASSERT_TRUE(jpeg.ok);
    EXPECT_EQ(jpeg.width, 1024);
    EXPECT_EQ(jpeg.height, 680);
    EXPECT_EQ(frame.zoom, 1u);
    EXPECT_EQ(frame.coordinates.width, 6000);
    EXPECT_EQ(frame.coordinates.height, 4000);
    EXPECT_EQ(frame.zoomRect.width, 1200);
    EXPECT_EQ(frame.zoomRect.height, 800);
    EXPECT_EQ(frame.position.x, 0);
    EXPECT_EQ(frame.position.y, 0);
    // The histogram counts every pixel of the frame in each of its four parts.
    for (size_t part = 0; part < 4; ++part) {
        const auto begin = frame.histogram.begin() + static_cast<long>(part * 256);
        EXPECT_EQ(std::accumulate(begin, begin + 256, 0ull), 1024ull * 680ull);
    }
    // Red is far from uniform: the scene has sky, grass and a red ball.
    const auto red = frame.histogram.begin() + 256;
    EXPECT_LT(*std::max_element(red, red + 256), 1024u * 680u / 2);

    ASSERT_EQ(WriteU32(kPropEvfOutputDevice, 0), kSdkOk);
    EXPECT_EQ(Download().result, kSdkErrObjectNotReady);
}

TEST_F(LiveViewTest, TheSceneMoves) {
    Open();
    StartLiveView();
    const Frame first = NextFrame();
    std::this_thread::sleep_for(std::chrono::milliseconds(120));
    const Frame later = Download();
    ASSERT_EQ(first.result, kSdkOk);
    ASSERT_EQ(later.result, kSdkOk);
    EXPECT_NE(first.jpeg, later.jpeg);
}

TEST_F(LiveViewTest, ZoomMagnifiesWhereTheZoomPositionIs) {
    CameraSettings settings = SmallCamera();
    settings.liveViewSize = {640, 424};
    Open({settings});
    StartLiveView();
    const Frame whole = NextFrame();
    ASSERT_EQ(WriteU32(kPropEvfZoom, 5), kSdkOk);
    const tagSdkPoint far{10000, -5};
    ASSERT_EQ(SdkSetPropertyData(camera_, kPropEvfZoomPosition, 0, sizeof far, &far), kSdkOk);
    EXPECT_TRUE(events_.WaitFor(kPropertyEventPropertyChanged, kPropEvfZoomPosition));
    tagSdkPoint at{};
    ASSERT_EQ(SdkGetPropertyData(camera_, kPropEvfZoomPosition, 0, sizeof at, &at), kSdkOk);
    EXPECT_EQ(at.x, 4800) << "kept inside the picture";
    EXPECT_EQ(at.y, 0);
    const Frame zoomed = NextFrame();
    ASSERT_EQ(zoomed.result, kSdkOk);
    EXPECT_EQ(zoomed.zoom, 5u);
    EXPECT_EQ(zoomed.zoomRect.x, 4800);
    EXPECT_EQ(zoomed.zoomRect.y, 0);
    EXPECT_EQ(zoomed.position.x, 4800);
    const DecodedJpeg jpeg = DecodeJpeg(zoomed.jpeg.data(), zoomed.jpeg.size());
    ASSERT_TRUE(jpeg.ok);
    EXPECT_EQ(jpeg.width, 640);
    EXPECT_EQ(jpeg.height, 424);
    EXPECT_NE(zoomed.histogram, whole.histogram);
    EXPECT_NE(WriteU32(kPropEvfZoom, 3), kSdkOk);
    ASSERT_EQ(WriteU32(kPropEvfDepthOfFieldPreview, 1), kSdkOk);
    EXPECT_EQ(ReadU32(kPropEvfDepthOfFieldPreview), 1u);
}

TEST_F(LiveViewTest, LensDriveAndAutofocusMoveTheFocus) {
    Open({CameraSettings{}});
    EXPECT_NE(SdkSendCommand(camera_, kCameraCommandDriveLensEvf, 0x8003), kSdkOk)
        << "the lens is driven in live view only";
    StartLiveView();
    SdkFocusInfo info = Focus();
    EXPECT_EQ(info.imageRect.width, 1024);
    EXPECT_EQ(info.imageRect.height, 680);
    ASSERT_EQ(info.pointNumber, 9u);
    EXPECT_EQ(InFocus(info), std::vector<uint32_t>{4});
    EXPECT_EQ(info.focusPoint[4].selected, 1u);
    EXPECT_EQ(info.focusPoint[0].selected, 0u);
    EXPECT_GT(info.focusPoint[0].rect.width, 0);

    events_.Clear();
    ASSERT_EQ(SdkSendCommand(camera_, kCameraCommandDriveLensEvf, 0x8003), kSdkOk);
    EXPECT_TRUE(events_.WaitFor(kPropertyEventPropertyChanged, kPropFocusInfo));
    EXPECT_EQ(InFocus(Focus()), std::vector<uint32_t>{6}) << "focused further away";
    ASSERT_EQ(SdkSendCommand(camera_, kCameraCommandDriveLensEvf, 3), kSdkOk);
    ASSERT_EQ(SdkSendCommand(camera_, kCameraCommandDriveLensEvf, 3), kSdkOk);
    EXPECT_EQ(InFocus(Focus()), std::vector<uint32_t>{2});
    EXPECT_NE(SdkSendCommand(camera_, kCameraCommandDriveLensEvf, 4), kSdkOk);

    ASSERT_EQ(SdkSendCommand(camera_, kCameraCommandDoEvfAf, 1), kSdkOk);
    info = Focus();
    EXPECT_EQ(InFocus(info), std::vector<uint32_t>{4});
    EXPECT_EQ(info.executeMode, 1u);
    ASSERT_EQ(SdkSendCommand(camera_, kCameraCommandDoEvfAf, 0), kSdkOk);
    EXPECT_EQ(Focus().executeMode, 0u);

    // Face detection follows the moving subject with one frame.
    ASSERT_EQ(WriteU32(kPropEvfAfMode, 2), kSdkOk);
    info = Focus();
    ASSERT_EQ(info.pointNumber, 1u);
    EXPECT_EQ(info.focusPoint[0].valid, 1u);
}

}  // namespace
}  // namespace talbex::sim::testing
