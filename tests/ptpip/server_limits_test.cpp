// Clients that would hold the server: slow or silent handshakes, idle connections, slow
// readers, and a stop while any of them is connected. Bounds are shortened through
// ServerLimits so each case takes a second or two.
#include <gtest/gtest.h>

#include <functional>
#include <thread>

#include "ptpip/ptp_bytes.h"
#include "ptpip/ptp_codes.h"
#include "served_simulator.h"

namespace talbex::ptpip::testing {
namespace {

using Clock = std::chrono::steady_clock;

Bytes Length(uint32_t length) {
    ByteWriter w;
    w.U32(length);
    return w.Take();
}

// A connected client with a session and its event connection.
struct SessionClient {
    explicit SessionClient(uint16_t port, int receiveBuffer = 0)
        : command(port, receiveBuffer), events(port) {
        const auto id = command.Hello("session");
        EXPECT_TRUE(id && events.EventHello(*id));
        const auto opened = command.Operation(kOpOpenSession, {1});
        EXPECT_TRUE(opened && opened->code == kRespOk);
    }
    // Takes a picture; its handle.
    uint32_t Capture() {
        const auto taken = command.Operation(kOpInitiateCapture, {0, 0});
        EXPECT_TRUE(taken && taken->code == kRespOk);
        const auto added = events.Event(kEventObjectAdded);
        return added && !added->empty() ? added->front() : 0;
    }
    Initiator command;
    Initiator events;
};

TEST(PtpIpServerLimitsTest, ASlowHandshakeHoldsNoOneElseAndEndsAtItsDeadline) {
    ServedSimulator served;
    ServerLimits limits;
    limits.handshake = 1000ms;
    served.Start(limits);
    const auto connected = Clock::now();
    Initiator slow(served.port());
    ASSERT_TRUE(slow.Send(Length(4000)));  // a long packet announced, then bytes trickle
    std::this_thread::sleep_for(100ms);

    Initiator other(served.port());
    const auto asked = Clock::now();
    EXPECT_TRUE(other.Hello("other"));
    EXPECT_LT(Clock::now() - asked, 400ms);

    // A byte every 100 ms does not stretch the one deadline.
    bool closed = false;
    for (int i = 0; i < 30 && !closed; ++i) {
        slow.Send({0});
        closed = slow.ClosedWithin(100ms);
    }
    EXPECT_TRUE(closed);
    EXPECT_LT(Clock::now() - connected, 2000ms);
}

TEST(PtpIpServerLimitsTest, StopsWithinASecondWhateverClientsDo) {
    struct Case {
        const char* what;
        std::function<void(ServedSimulator&, std::vector<std::unique_ptr<Initiator>>&,
                           std::vector<std::unique_ptr<SessionClient>>&)>
            hold;
    };
    const Case cases[] = {
        {"a handshake that trickles a byte every 200 ms",
         [](ServedSimulator& served, auto& raw, auto&) {
             raw.push_back(std::make_unique<Initiator>(served.port()));
             raw.back()->Send(Length(4000));
         }},
        {"a transfer whose client stopped reading",
         [](ServedSimulator& served, auto&, auto& sessions) {
             sessions.push_back(std::make_unique<SessionClient>(served.port(), 32 * 1024));
             SessionClient& client = *sessions.back();
             const uint32_t handle = client.Capture();
             client.command.Send(
                 Initiator::Request(kOpGetObject, client.command.NextTransaction(), {handle}));
             std::this_thread::sleep_for(300ms);  // the server now waits for room
         }},
        {"an idle session",
         [](ServedSimulator& served, auto&, auto& sessions) {
             sessions.push_back(std::make_unique<SessionClient>(served.port()));
         }},
    };
    for (const Case& c : cases) {
        sim::CameraSettings settings;
        settings.pictureBytes = 8'000'000;
        ServedSimulator served(settings);
        served.Start();
        std::vector<std::unique_ptr<Initiator>> raw;
        std::vector<std::unique_ptr<SessionClient>> sessions;
        c.hold(served, raw, sessions);
        std::jthread trickle([&](std::stop_token stop) {
            while (!stop.stop_requested()) {
                for (auto& client : raw)
                    client->Send({0});
                std::this_thread::sleep_for(200ms);
            }
        });
        std::this_thread::sleep_for(300ms);
        EXPECT_TRUE(served.StopWithin(1000ms)) << c.what;
    }
}

TEST(PtpIpServerLimitsTest, IdleConnectionsEndAndMakeRoomForOthers) {
    ServedSimulator served;
    ServerLimits limits;
    limits.idle = 500ms;
    served.Start(limits);
    std::vector<std::unique_ptr<Initiator>> idle;
    for (size_t i = 1; i < limits.maxClients; ++i) {
        idle.push_back(std::make_unique<Initiator>(served.port()));
        ASSERT_TRUE(idle.back()->Hello("idle"));
    }
    Initiator active(served.port());
    ASSERT_TRUE(active.Hello("active"));

    // A full server refuses at once, with its reason.
    Initiator refused(served.port());
    uint32_t reason = 0;
    EXPECT_FALSE(refused.Hello("ninth", &reason));
    EXPECT_EQ(reason, kFailBusy);

    // A client that keeps asking stays; the silent ones go after the bound.
    for (int i = 0; i < 8; ++i) {
        const auto info = active.Operation(kOpGetDeviceInfo);
        ASSERT_TRUE(info) << i;
        EXPECT_EQ(info->code, kRespOk);
        std::this_thread::sleep_for(150ms);
    }
    for (auto& client : idle)
        EXPECT_TRUE(client->ClosedWithin(200ms));
    Initiator later(served.port());
    EXPECT_TRUE(later.Hello("later"));
}

TEST(PtpIpServerLimitsTest, ASlowReaderLosesItsTransferAtADeadlineByItsSize) {
    sim::CameraSettings settings;
    settings.pictureBytes = 8'000'000;
    ServedSimulator served(settings);
    ServerLimits limits;
    limits.sendFloor = 300ms;
    limits.leastRate = 16 << 20;  // 8 MB: 0.3 s + 0.5 s of waiting on the client
    served.Start(limits);
    SessionClient slow(served.port(), 32 * 1024);
    const uint32_t handle = slow.Capture();
    ASSERT_NE(handle, 0u);
    ASSERT_TRUE(slow.command.Send(
        Initiator::Request(kOpGetObject, slow.command.NextTransaction(), {handle})));

    // 16 KiB every 50 ms: each piece makes room, so no single send waits long, but the
    // picture would take 25 s.
    const auto asked = Clock::now();
    bool dropped = false;
    while (!dropped && slow.command.Drain(16 * 1024) && Clock::now() - asked < 4s) {
        std::this_thread::sleep_for(50ms);
        dropped = served.Logged("closed: the client did not take its data in time", 0ms);
    }
    EXPECT_TRUE(dropped);
    EXPECT_LT(Clock::now() - asked, 3s);

    // The camera is free again, and a client that reads gets the whole picture.
    SessionClient fast(served.port());
    const auto picture = fast.command.Operation(kOpGetObject, {handle});
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->code, kRespOk);
    EXPECT_EQ(picture->data.size(), 8'000'000u);
}

}  // namespace
}  // namespace talbex::ptpip::testing
