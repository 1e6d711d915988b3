// Nikon's operations as an initiator sees them on the wire, where libgphoto2 does not
// look: events only through GetEvent, the picture in memory off every card listing, the
// live-view header, and the bounds on what a session keeps.
#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "ptpip/nikon_codes.h"
#include "ptpip/polled_events.h"
#include "ptpip/ptp_bytes.h"
#include "ptpip/ptp_codes.h"
#include "served_simulator.h"

namespace talbex::ptpip::testing {
namespace {

std::vector<PolledEvents::Event> FetchEvents(Initiator& client) {
    const auto answer = client.Operation(kOpNikonGetEvent);
    std::vector<PolledEvents::Event> events;
    if (!answer || answer->code != kRespOk)
        return events;
    ByteReader r(answer->data);
    for (uint16_t n = r.U16(); n > 0 && r.ok(); --n) {
        PolledEvents::Event e;
        e.code = r.U16();
        e.param = r.U32();
        events.push_back(e);
    }
    return events;
}

bool Has(const std::vector<PolledEvents::Event>& events, uint16_t code, uint32_t param) {
    return std::any_of(events.begin(), events.end(),
                       [&](const auto& e) { return e.code == code && e.param == param; });
}

TEST(NikonOperationsTest, AShotIntoMemoryIsAnnouncedFetchedAndDeleted) {
    ServedOptions options;
    options.vendor = ServedVendor::kNikon;
    ServedSimulator served({}, options);
    served.Start();
    Initiator client(served.port());
    Initiator channel(served.port());
    const auto id = client.Hello("nikon");
    ASSERT_TRUE(id && channel.EventHello(*id));
    ASSERT_EQ(client.Operation(kOpOpenSession, {1})->code, kRespOk);

    ASSERT_EQ(client.Operation(kOpNikonInitiateCaptureRecInSdram, {0xFFFFFFFF})->code, kRespOk);
    std::vector<PolledEvents::Event> events;
    for (int i = 0; i < 200 && !Has(events, kEventNikonObjectAddedInSdram, kNikonMemoryHandle);
         ++i) {
        const auto more = FetchEvents(client);
        events.insert(events.end(), more.begin(), more.end());
        std::this_thread::sleep_for(10ms);
    }
    ASSERT_TRUE(Has(events, kEventNikonObjectAddedInSdram, kNikonMemoryHandle));
    EXPECT_EQ(client.Operation(kOpNikonDeviceReady)->code, kRespOk);
    // Nothing comes twice: the event connection stays silent for a Nikon body.
    EXPECT_FALSE(channel.Event(kEventNikonObjectAddedInSdram, 200ms));

    // In memory, on no card: no storage, no parent, in no listing.
    const auto handles = client.Operation(kOpGetObjectHandles, {kAll, 0, kAll});
    ASSERT_TRUE(handles);
    ByteReader list(handles->data);
    for (uint32_t n = list.U32(); n > 0; --n)
        EXPECT_NE(list.U32(), kNikonMemoryHandle);
    const auto info = client.Operation(kOpGetObjectInfo, {kNikonMemoryHandle});
    ASSERT_TRUE(info && info->code == kRespOk);
    ByteReader oi(info->data);
    EXPECT_EQ(oi.U32(), 0u);  // storage
    EXPECT_EQ(oi.U16(), kFormatExifJpeg);
    const auto object = client.Operation(kOpGetObject, {kNikonMemoryHandle});
    ASSERT_TRUE(object && object->code == kRespOk);
    EXPECT_EQ(object->data, served.simulated().LastPicture());

    EXPECT_EQ(client.Operation(kOpDeleteObject, {kNikonMemoryHandle, 0})->code, kRespOk);
    EXPECT_EQ(client.Operation(kOpGetObjectInfo, {kNikonMemoryHandle})->code,
              kRespInvalidObjectHandle);
}

TEST(NikonOperationsTest, LiveViewFramesFollowAHeaderWithoutAJpegMarker) {
    ServedOptions options;
    options.vendor = ServedVendor::kNikon;
    ServedSimulator served({}, options);
    served.Start();
    Initiator client(served.port());
    ASSERT_TRUE(client.Hello("viewer"));
    ASSERT_EQ(client.Operation(kOpOpenSession, {1})->code, kRespOk);

    EXPECT_EQ(client.Operation(kOpNikonGetLiveViewImg)->code, kRespNikonNotLiveView);
    EXPECT_EQ(client.Operation(kOpNikonMfDrive, {1, 10})->code, kRespNikonNotLiveView);
    ASSERT_EQ(client.Operation(kOpNikonStartLiveView)->code, kRespOk);
    std::optional<Initiator::Response> frame;
    for (int i = 0; i < 100; ++i) {
        frame = client.Operation(kOpNikonGetLiveViewImg);
        if (!frame || frame->code != kRespDeviceBusy)
            break;
        std::this_thread::sleep_for(10ms);
    }
    ASSERT_TRUE(frame && frame->code == kRespOk);
    const Bytes& bytes = frame->data;
    ASSERT_GT(bytes.size(), 128u + 4);
    const Bytes marker = {0xFF, 0xD8};
    EXPECT_EQ(std::search(bytes.begin(), bytes.end(), marker.begin(), marker.end()) - bytes.begin(),
              128);
    EXPECT_EQ(bytes[bytes.size() - 2], 0xFF);
    EXPECT_EQ(bytes[bytes.size() - 1], 0xD9);
    ASSERT_EQ(client.Operation(kOpNikonEndLiveView)->code, kRespOk);
    EXPECT_EQ(client.Operation(kOpNikonEndLiveView)->code, kRespOk);  // none to end: done
    EXPECT_EQ(client.Operation(kOpNikonGetLiveViewImg)->code, kRespNikonNotLiveView);
}

TEST(NikonOperationsTest, TheMemorysShotCountsInThePictureBudget) {
    sim::CameraSettings settings;
    settings.pictureBytes = 1'000'000;
    ServedOptions options;
    options.vendor = ServedVendor::kNikon;
    ServedSimulator served(settings, options);
    served.camera().SetPictureBudget(1'500'000);  // room for one such picture
    served.Start();
    Initiator client(served.port());
    ASSERT_TRUE(client.Hello("budget"));
    ASSERT_EQ(client.Operation(kOpOpenSession, {1})->code, kRespOk);
    auto shoot = [&](uint16_t operation) {
        const std::vector<uint32_t> params = operation == kOpInitiateCapture
                                                 ? std::vector<uint32_t>{0, 0}
                                                 : std::vector<uint32_t>{0xFFFFFFFF};
        const uint16_t code = client.Operation(operation, params)->code;
        // The picture is there once the camera is ready again.
        for (int i = 0; i < 300 && client.Operation(kOpNikonDeviceReady)->code == kRespDeviceBusy;
             ++i)
            std::this_thread::sleep_for(10ms);
        return code;
    };
    struct Step {
        const char* what;
        uint16_t operation;
        uint16_t code;
    };
    const Step steps[] = {
        {"into memory", kOpNikonInitiateCaptureRecInSdram, kRespOk},
        {"into memory again: it replaces the last", kOpNikonInitiateCaptureRecInSdram, kRespOk},
        {"onto the card beside the memory's", kOpInitiateCapture, kRespStoreFull},
    };
    for (const Step& step : steps)
        EXPECT_EQ(shoot(step.operation), step.code) << step.what;
    EXPECT_EQ(served.simulated().PicturesTaken(), 2u);
    ASSERT_EQ(client.Operation(kOpNikonDelImageSdram, {0})->code, kRespOk);
    EXPECT_EQ(shoot(kOpInitiateCapture), kRespOk);
    EXPECT_EQ(shoot(kOpNikonInitiateCaptureRecInSdram), kRespStoreFull);
}

TEST(NikonOperationsTest, ASessionKeepsItsNewestEventsOnly) {
    PolledEvents events;
    for (uint32_t i = 0; i < PolledEvents::kLimit + 44; ++i)
        events.Push(kEventDevicePropChanged, i);
    const auto kept = events.TakeAll();
    ASSERT_EQ(kept.size(), PolledEvents::kLimit);
    EXPECT_EQ(kept.front().param, 44u);
    EXPECT_TRUE(events.TakeAll().empty());
}

}  // namespace
}  // namespace talbex::ptpip::testing
