#include "served_simulator.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

#include "camera/sdk/sdk_backend.h"
#include "camera/sdk/sim/sim_backend.h"
#include "ptpip/ptp_bytes.h"
#include "ptpip/ptp_codes.h"

namespace talbex::ptpip::testing {

ServedSimulator::ServedSimulator(sim::CameraSettings settings, ServedOptions options) {
    simulated_ = sim::InstallSimulatedCameras({std::move(settings)})->Camera(0);
    std::string error;
    camera_ = ServedCamera::Open(&error, std::move(options));
    EXPECT_TRUE(camera_) << error;
}

void ServedSimulator::Start(ServerLimits limits) {
    server_ = std::make_unique<PtpIpServer>(*camera_, limits);
    std::string error;
    ASSERT_TRUE(server_->Listen("127.0.0.1", 0, &error)) << error;
    port_ = server_->Port();
    server_->SetLog([this](const std::string& line) {
        std::lock_guard lock(logMutex_);
        log_.push_back(line);
    });
    running_ = std::async(std::launch::async, [this] { server_->Run(stop_, std::nullopt); });
}

bool ServedSimulator::StopWithin(std::chrono::milliseconds patience) {
    stop_ = true;
    return !running_.valid() || running_.wait_for(patience) == std::future_status::ready;
}

bool ServedSimulator::Logged(const std::string& text, std::chrono::milliseconds wait) {
    const auto deadline = std::chrono::steady_clock::now() + wait;
    do {
        {
            std::lock_guard lock(logMutex_);
            for (const std::string& line : log_)
                if (line.find(text) != std::string::npos)
                    return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    } while (std::chrono::steady_clock::now() < deadline);
    return false;
}

ServedSimulator::~ServedSimulator() {
    stop_ = true;
    if (running_.valid())
        running_.wait();
    server_.reset();
    camera_.reset();
    SdkUseBackend(nullptr);
}

Initiator::Initiator(uint16_t port, int receiveBuffer) {
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (receiveBuffer > 0)
        setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    EXPECT_EQ(::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
}

Initiator::~Initiator() {
    ::close(fd_);
}

bool Initiator::Send(const Bytes& bytes) {
    return ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL) ==
           static_cast<ssize_t>(bytes.size());
}

std::optional<Packet> Initiator::Read(std::chrono::milliseconds wait) {
    const auto deadline = std::chrono::steady_clock::now() + wait;
    Packet packet;
    for (;;) {
        const auto result = stream_.Next(&packet);
        if (result == PacketStream::Result::kPacket)
            return packet;
        if (result == PacketStream::Result::kMalformed)
            return std::nullopt;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd p{fd_, POLLIN, 0};
        if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0)
            return std::nullopt;
        uint8_t buffer[65536];
        const ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
        if (n <= 0)
            return std::nullopt;
        stream_.Feed(std::span<const uint8_t>(buffer, static_cast<size_t>(n)));
    }
}

bool Initiator::Drain(size_t count) {
    std::vector<uint8_t> buffer(count);
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, 0) <= 0)
        return true;  // nothing there yet
    const ssize_t n = ::recv(fd_, buffer.data(), buffer.size(), MSG_DONTWAIT);
    return n > 0 || (n < 0 && (errno == EAGAIN || errno == EINTR));
}

bool Initiator::ClosedWithin(std::chrono::milliseconds wait) {
    const auto deadline = std::chrono::steady_clock::now() + wait;
    while (std::chrono::steady_clock::now() < deadline) {
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, 20) > 0) {
            uint8_t buffer[65536];
            const ssize_t n = ::recv(fd_, buffer, sizeof buffer, MSG_DONTWAIT);
            if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR))
                return true;
        }
    }
    return false;
}

std::optional<uint32_t> Initiator::Hello(const std::string& name, uint32_t* failReason) {
    ByteWriter w;
    w.U32(0);
    w.U32(kInitCommandRequest);
    w.Bytes(Bytes(16, 0x42));
    for (char16_t unit : Utf8ToUtf16(name))
        w.U16(unit);
    w.U16(0);
    w.U32(kProtocolVersion);
    w.PatchU32(0, static_cast<uint32_t>(w.size()));
    if (failReason != nullptr)
        *failReason = 0;
    if (!Send(w.Take()))
        return std::nullopt;
    auto answer = Read();
    if (answer && answer->type == kInitCommandAck && answer->payload.size() >= 4)
        return ByteReader(answer->payload).U32();
    if (answer && answer->type == kInitFail && failReason != nullptr)
        *failReason = ByteReader(answer->payload).U32();
    return std::nullopt;
}

bool Initiator::EventHello(uint32_t connection) {
    ByteWriter w;
    w.U32(12);
    w.U32(kInitEventRequest);
    w.U32(connection);
    auto answer = Send(w.Take()) ? Read() : std::nullopt;
    return answer && answer->type == kInitEventAck;
}

Bytes Initiator::Request(uint16_t code, uint32_t transaction, const std::vector<uint32_t>& params,
                         bool dataOut) {
    ByteWriter w;
    w.U32(0);
    w.U32(kOperationRequest);
    w.U32(dataOut ? kDataPhaseFromInitiator : 1);
    w.U16(code);
    w.U32(transaction);
    for (uint32_t p : params)
        w.U32(p);
    w.PatchU32(0, static_cast<uint32_t>(w.size()));
    return w.Take();
}

std::optional<Initiator::Response> Initiator::Operation(uint16_t code, std::vector<uint32_t> params,
                                                        const Bytes* dataOut) {
    const uint32_t transaction = NextTransaction();
    if (!Send(Request(code, transaction, params, dataOut != nullptr)))
        return std::nullopt;
    if (dataOut != nullptr && !(Send(BuildStartData(transaction, dataOut->size())) &&
                                Send(BuildData(transaction, *dataOut, true))))
        return std::nullopt;
    Response response;
    while (auto packet = Read()) {
        if (packet->type == kDataPacket || packet->type == kEndData) {
            auto chunk = ParseDataChunk(packet->payload);
            response.data.insert(response.data.end(), chunk->bytes.begin(), chunk->bytes.end());
        } else if (packet->type == kOperationResponse) {
            ByteReader r(packet->payload);
            response.code = r.U16();
            r.U32();
            while (r.remaining() >= 4)
                response.params.push_back(r.U32());
            return response;
        }
    }
    return std::nullopt;
}

std::optional<std::vector<uint32_t>> Initiator::Event(uint16_t code,
                                                      std::chrono::milliseconds wait) {
    const auto deadline = std::chrono::steady_clock::now() + wait;
    while (auto packet = Read(std::chrono::duration_cast<std::chrono::milliseconds>(
               deadline - std::chrono::steady_clock::now()))) {
        ByteReader r(packet->payload);
        if (packet->type != kEventPacket || r.U16() != code)
            continue;
        r.U32();
        std::vector<uint32_t> params;
        while (r.remaining() >= 4)
            params.push_back(r.U32());
        return params;
    }
    return std::nullopt;
}

}  // namespace talbex::ptpip::testing
