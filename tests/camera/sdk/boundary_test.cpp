// The boundary's own promises, whatever backend stands behind it.
#include <gtest/gtest.h>

#include "camera/sdk/sdk.h"
#include "camera/sdk/sdk_backend.h"

namespace {

class BoundaryTest : public ::testing::Test {
  protected:
    void SetUp() override { SdkUseBackend(MakeNoCameraBackend()); }
    void TearDown() override {
        while (SdkTerminate() == kSdkOk) {
        }
        SdkUseBackend(nullptr);
    }
};

TEST_F(BoundaryTest, CallsBeforeInitializeAreRefused) {
    SdkCameraListRef list = nullptr;
    EXPECT_EQ(SdkGetCameraList(&list), kSdkErrNotInitialized);
    EXPECT_EQ(SdkTerminate(), kSdkErrNotInitialized);
}

TEST_F(BoundaryTest, NoCameraGivesAnEmptyList) {
    ASSERT_EQ(SdkInitialize(), kSdkOk);
    SdkCameraListRef list = nullptr;
    ASSERT_EQ(SdkGetCameraList(&list), kSdkOk);
    int32_t count = -1;
    EXPECT_EQ(SdkGetChildCount(list, &count), kSdkOk);
    EXPECT_EQ(count, 0);
    SdkBaseRef camera = nullptr;
    EXPECT_NE(SdkGetChildAtIndex(list, 0, &camera), kSdkOk);
    EXPECT_EQ(SdkRelease(list), 0u);
}

TEST_F(BoundaryTest, NullAndReleasedReferencesAreAnsweredWithAnError) {
    ASSERT_EQ(SdkInitialize(), kSdkOk);
    SdkCameraListRef list = nullptr;
    ASSERT_EQ(SdkGetCameraList(&list), kSdkOk);
    SdkRelease(list);
    int32_t count = 0;
    EXPECT_EQ(SdkGetChildCount(list, &count), kSdkErrInvalidHandle);
    EXPECT_EQ(SdkGetChildCount(nullptr, &count), kSdkErrInvalidHandle);
    EXPECT_EQ(SdkOpenSession(nullptr), kSdkErrInvalidHandle);
    EXPECT_EQ(SdkRelease(list), 0xFFFFFFFFu);
    EXPECT_EQ(SdkRelease(nullptr), 0xFFFFFFFFu);
    uint32_t value = 0;
    EXPECT_EQ(SdkGetPropertyData(nullptr, kPropAv, 0, 4, &value), kSdkErrInvalidHandle);
    EXPECT_EQ(SdkGetChildCount(list, nullptr), kSdkErrInvalidPointer);
}

TEST_F(BoundaryTest, InitializeNestsAndTerminateFreesEverything) {
    ASSERT_EQ(SdkInitialize(), kSdkOk);
    ASSERT_EQ(SdkInitialize(), kSdkOk);
    SdkStreamRef stream = nullptr;
    ASSERT_EQ(SdkCreateMemoryStream(16, &stream), kSdkOk);
    EXPECT_EQ(SdkTerminate(), kSdkOk);
    uint64_t length = 1;
    EXPECT_EQ(SdkGetLength(stream, &length), kSdkOk);  // still open: one Initialize left
    EXPECT_EQ(length, 0u);
    EXPECT_EQ(SdkTerminate(), kSdkOk);
    EXPECT_EQ(SdkLiveReferenceCount(), 0u);
    ASSERT_EQ(SdkInitialize(), kSdkOk);
    EXPECT_EQ(SdkGetLength(stream, &length), kSdkErrInvalidHandle);
}

TEST_F(BoundaryTest, EvfImageAnswersItsFrameProperties) {
    ASSERT_EQ(SdkInitialize(), kSdkOk);
    SdkStreamRef stream = nullptr;
    ASSERT_EQ(SdkCreateMemoryStream(0x200000, &stream), kSdkOk);
    SdkEvfImageRef image = nullptr;
    ASSERT_EQ(SdkCreateEvfImageRef(stream, &image), kSdkOk);
    uint32_t zoom = 0;
    EXPECT_EQ(SdkGetPropertyData(image, kPropEvfZoom, 0, sizeof zoom, &zoom), kSdkOk);
    EXPECT_EQ(zoom, 1u);
    SdkRect rect{};
    EXPECT_EQ(SdkGetPropertyData(image, kPropEvfZoomRect, 0, 4, &rect), kSdkErrInvalidLength);
    EXPECT_EQ(SdkGetPropertyData(image, kPropAv, 0, 4, &zoom), kSdkErrPropertyUnavailable);
    // The image keeps its stream alive after the stream reference is dropped.
    SdkRelease(stream);
    SdkRelease(image);
    EXPECT_EQ(SdkLiveReferenceCount(), 0u);
}

}  // namespace
