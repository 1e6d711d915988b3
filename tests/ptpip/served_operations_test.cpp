// Operations as a camera answers them over PTP/IP: a card that fills, and a data phase
// that ends short.
#include <gtest/gtest.h>

#include "ptpip/ptp_bytes.h"
#include "ptpip/ptp_codes.h"
#include "served_simulator.h"

namespace talbex::ptpip::testing {
namespace {

TEST(ServedOperationsTest, ACaptureAnswersStoreFullOnceThePictureBudgetIsSpent) {
    sim::CameraSettings settings;
    settings.pictureBytes = 1'000'000;
    ServedSimulator served(settings);
    served.camera().SetPictureBudget(2'500'000);  // room for two such pictures
    served.Start();
    Initiator client(served.port());
    Initiator events(served.port());
    const auto id = client.Hello("shooter");
    ASSERT_TRUE(id && events.EventHello(*id));
    ASSERT_EQ(client.Operation(kOpOpenSession, {1})->code, kRespOk);
    auto capture = [&] { return client.Operation(kOpInitiateCapture, {0, 0})->code; };

    std::vector<uint32_t> handles;
    for (int i = 0; i < 2; ++i) {
        ASSERT_EQ(capture(), kRespOk) << i;
        const auto added = events.Event(kEventObjectAdded);
        ASSERT_TRUE(added && !added->empty()) << i;
        handles.push_back(added->front());
    }
    EXPECT_EQ(capture(), kRespStoreFull);
    EXPECT_FALSE(events.Event(kEventObjectAdded, 300ms));  // and no picture was taken
    const auto card = client.Operation(kOpGetStorageInfo, {0x00010001});
    ASSERT_TRUE(card);
    ByteReader r(card->data);
    r.Skip(6);  // storage type, file system, access
    EXPECT_EQ(r.U64(), 2'500'000u);
    EXPECT_LT(r.U64(), 1'000'000u);

    ASSERT_EQ(client.Operation(kOpDeleteObject, {handles[0]})->code, kRespOk);
    EXPECT_EQ(capture(), kRespOk);
}

TEST(ServedOperationsTest, AShortDataPhaseIsRefusedAndNothingApplied) {
    ServedSimulator served;
    served.Start();
    Initiator client(served.port());
    ASSERT_TRUE(client.Hello("writer"));
    ASSERT_EQ(client.Operation(kOpOpenSession, {1})->code, kRespOk);
    auto aperture = [&] {
        const auto value = client.Operation(kOpGetDevicePropValue, {kDpcFNumber});
        return value ? ByteReader(value->data).U16() : 0;
    };
    const uint16_t before = aperture();
    const uint16_t wanted = before == 800 ? 560 : 800;  // f/8 or f/5.6

    struct Case {
        const char* what;
        uint64_t announced;
        uint16_t code;
        uint16_t after;
    };
    const Case cases[] = {
        {"two bytes of a hundred", 100, kRespIncompleteTransfer, before},
        {"the whole value", 2, kRespOk, wanted},
    };
    for (const Case& c : cases) {
        const uint32_t t = client.NextTransaction();
        const Bytes value = {static_cast<uint8_t>(wanted & 0xFF),
                             static_cast<uint8_t>(wanted >> 8)};
        ASSERT_TRUE(client.Send(Initiator::Request(kOpSetDevicePropValue, t, {kDpcFNumber}, true)));
        ASSERT_TRUE(client.Send(BuildStartData(t, c.announced)));
        ASSERT_TRUE(client.Send(BuildData(t, value, true)));
        const auto response = client.Read();
        ASSERT_TRUE(response && response->type == kOperationResponse) << c.what;
        EXPECT_EQ(ByteReader(response->payload).U16(), c.code) << c.what;
        EXPECT_EQ(aperture(), c.after) << c.what;
    }
}

}  // namespace
}  // namespace talbex::ptpip::testing
