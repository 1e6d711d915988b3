#include "ptpip/ptpip_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "ptpip/ptp_codes.h"
#include "ptpip/ptpip_packet.h"
#include "ptpip/ptpip_socket.h"

namespace talbex::ptpip {

namespace {

// An initiator's packets are requests and property values: small. A property value
// larger than this is no value the camera keeps.
constexpr size_t kMaxInitiatorPacket = 64 * 1024 + 64;
constexpr size_t kMaxDataIn = 64 * 1024;
constexpr size_t kMaxHandshakePacket = 4096;

const std::array<uint8_t, 16> kGuid = {0x54, 0x61, 0x6C, 0x62, 0x65, 0x78, 0x2D, 0x73,
                                       0x69, 0x6D, 0x2D, 0x73, 0x65, 0x72, 0x76, 0x65};

// One operation's answer: its data phase and its response share one allowance for the
// client to take them, which grows with the data's length.
class CommandSink : public DataSink {
  public:
    CommandSink(int fd, uint32_t transaction, const ServerLimits& limits,
                const std::atomic<bool>& stop)
        : fd_(fd),
          transaction_(transaction),
          leastRate_(std::max<uint64_t>(limits.leastRate, 1)),
          allowance_(limits.sendFloor),
          stop_(stop) {}

    bool Start(uint64_t total) override {
        const uint64_t bytes = std::min<uint64_t>(total, uint64_t{1} << 40);
        allowance_ += std::chrono::milliseconds(static_cast<int64_t>(bytes * 1000 / leastRate_));
        return Send(BuildStartData(transaction_, total));
    }
    bool Write(std::span<const uint8_t> bytes) override {
        return Send(BuildData(transaction_, bytes, false));
    }
    bool End(std::span<const uint8_t> bytes) override {
        return Send(BuildData(transaction_, bytes, true));
    }
    bool Abandoned() override { return stop_ || late_; }

    bool Respond(uint16_t code, std::span<const uint32_t> params = {}) {
        return Send(BuildOperationResponse(code, transaction_, params));
    }
    bool Send(const std::vector<uint8_t>& packet) {
        if (SendWithin(fd_, packet, &allowance_, stop_))
            return true;
        late_ = allowance_ <= Clock::duration::zero();
        return false;
    }
    /// The client did not take the answer within its allowance.
    bool late() const { return late_; }

  private:
    int fd_;
    uint32_t transaction_;
    uint64_t leastRate_;
    Clock::duration allowance_;
    const std::atomic<bool>& stop_;
    bool late_ = false;
};

}  // namespace

struct PtpIpServer::Client {
    uint32_t connection = 0;
    std::mutex eventMutex;
    int commandFd = -1;
    int eventFd = -1;
    std::thread thread;  // set under mutex_ before the client is listed
    std::atomic<bool> done{false};
};

// A connection in its handshake; its thread owns the socket until it hands it on.
struct PtpIpServer::Pending {
    std::thread thread;  // set by Run's thread, which alone joins it
    std::atomic<bool> done{false};
};

PtpIpServer::PtpIpServer(ServedCamera& camera, ServerLimits limits)
    : camera_(camera), limits_(limits) {
    camera_.SetEventListener(
        [this](uint16_t code, uint32_t transaction, std::vector<uint32_t> params) {
            Broadcast(code, transaction, params);
        });
    camera_.SetGoneListener([this] {
        Log("the camera is gone: connections dropped");
        DropAll();
    });
}

PtpIpServer::~PtpIpServer() {
    camera_.SetEventListener(nullptr);
    camera_.SetGoneListener(nullptr);
    stopping_ = true;
    DropAll();
    Reap(true);
    if (listenFd_ >= 0)
        ::close(listenFd_);
}

void PtpIpServer::Log(const std::string& line) {
    std::lock_guard lock(logMutex_);
    if (log_)
        log_(line);
}

bool PtpIpServer::Listen(const std::string& host, uint16_t port, std::string* error) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    if (inet_pton(AF_INET, host.c_str(), &address.sin_addr) != 1) {
        *error = "not an IPv4 address: " + host;
        return false;
    }
    listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listenFd_ < 0) {
        *error = std::string("socket: ") + std::strerror(errno);
        return false;
    }
    const int one = 1;
    setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    if (::bind(listenFd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listenFd_, 16) != 0) {
        *error = host + ":" + std::to_string(port) + ": " + std::strerror(errno);
        ::close(listenFd_);
        listenFd_ = -1;
        return false;
    }
    socklen_t length = sizeof address;
    getsockname(listenFd_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    return true;
}

void PtpIpServer::Run(const std::atomic<bool>& stop, std::optional<Clock::time_point> deadline) {
    while (!stop && (!deadline || Clock::now() < *deadline)) {
        pollfd p{listenFd_, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(kWaitSlice.count())) > 0 && (p.revents & POLLIN) != 0)
            Accept();
        Reap(false);
    }
    stopping_ = true;
    DropAll();
    Reap(true);
}

void PtpIpServer::Accept() {
    const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (fd < 0)
        return;
    const int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    auto pending = std::make_shared<Pending>();
    bool room;
    {
        std::lock_guard lock(mutex_);
        room = !stopping_ && handshakes_.size() < limits_.maxHandshakes;
        if (room)
            handshakes_.push_back(pending);
    }
    if (!room) {
        SendNow(fd, BuildInitFail(kFailBusy));
        ::close(fd);
        return;
    }
    pending->thread = std::thread([this, pending, fd] {
        Handshake(fd);
        pending->done = true;
    });
}

void PtpIpServer::Handshake(int fd) {
    const auto deadline = Clock::now() + limits_.handshake;
    PacketStream stream(kMaxHandshakePacket);
    Packet packet;
    if (ReadPacketBy(fd, stream, &packet, deadline, stopping_)) {
        switch (packet.type) {
            case kInitCommandRequest: {
                const auto request = ParseInitCommandRequest(packet.payload);
                AdmitCommand(fd, request ? &*request : nullptr, deadline);
                return;
            }
            case kInitEventRequest:
                AttachEvents(fd, ParseInitEventRequest(packet.payload));
                return;
            case kProbeRequest:
                SendNow(fd, BuildProbeResponse());
                break;
            default:
                break;
        }
    }
    ::close(fd);
}

void PtpIpServer::AdmitCommand(int fd, const InitCommandRequest* request,
                               Clock::time_point deadline) {
    if (request != nullptr && !camera_.Gone()) {
        std::lock_guard lock(mutex_);
        if (!stopping_ && clients_.size() < limits_.maxClients) {
            auto client = std::make_shared<Client>();
            client->commandFd = fd;
            client->connection = nextConnection_++;
            client->thread = std::thread(
                [this, client, name = request->name, deadline] { Serve(client, name, deadline); });
            clients_.push_back(client);
            return;
        }
    }
    // Refused with its reason, at once: a client that cannot be served is not kept waiting.
    SendNow(fd, BuildInitFail(request != nullptr ? kFailBusy : kFailUnspecified));
    ::close(fd);
}

void PtpIpServer::AttachEvents(int fd, std::optional<uint32_t> connection) {
    std::shared_ptr<Client> owner;
    {
        std::lock_guard lock(mutex_);
        for (auto& c : clients_)
            if (connection && c->connection == *connection && !c->done)
                owner = c;
    }
    if (owner) {
        std::lock_guard lock(owner->eventMutex);
        // Serving sets `done` before it closes the event socket under this lock.
        if (owner->eventFd < 0 && !owner->done && SendNow(fd, BuildInitEventAck())) {
            owner->eventFd = fd;
            return;
        }
    }
    SendNow(fd, BuildInitFail(kFailRejectedInitiator));
    ::close(fd);
}

void PtpIpServer::Serve(const std::shared_ptr<Client>& client, const std::string& name,
                        Clock::time_point ackBy) {
    const int fd = client->commandFd;
    const std::string connection = "connection " + std::to_string(client->connection);
    Clock::duration ackAllowance = ackBy - Clock::now();
    const bool greeted =
        SendWithin(fd, BuildInitCommandAck(client->connection, kGuid, camera_.ModelName()),
                   &ackAllowance, stopping_);
    if (greeted)
        Log(connection + " from \"" + name + "\"");

    PacketStream stream(kMaxInitiatorPacket);
    SessionState session;
    // An operation waiting for its data phase, and the data gathered so far.
    std::optional<OperationRequest> waiting;
    bool started = false;  // the data phase has announced its length
    uint64_t expected = 0;
    std::vector<uint8_t> dataIn;
    const char* why = "";

    auto answer = [&](const OperationRequest& request, std::span<const uint8_t> data) {
        CommandSink sink(fd, request.transaction, limits_, stopping_);
        const Reply reply = camera_.Handle(session, request, data, sink);
        const bool sent = !reply.drop && sink.Respond(reply.code, reply.params);
        // Each session is told: opening one is what wakes a camera body.
        if (request.code == kOpOpenSession && reply.code == kRespOk)
            Log(connection + ": session opened (" + std::to_string(++sessionsOpened_) +
                " since the start)");
        if (sink.late())
            why = ": the client did not take its data in time";
        return sent;
    };
    auto refuse = [&](uint16_t code, uint32_t transaction) {
        return CommandSink(fd, transaction, limits_, stopping_).Respond(code);
    };

    bool open = greeted && !client->done;
    auto heard = Clock::now();  // the last whole packet
    while (open && !stopping_) {
        const auto quiet = Clock::now() - heard;
        if (quiet >= limits_.idle) {
            why = ": idle";
            break;
        }
        pollfd p{fd, POLLIN, 0};
        const auto wait = std::chrono::ceil<std::chrono::milliseconds>(
            std::min<Clock::duration>(kWaitSlice, limits_.idle - quiet));
        const int ready = ::poll(&p, 1, static_cast<int>(std::max<int64_t>(1, wait.count())));
        if (ready == 0 || (ready < 0 && errno == EINTR))
            continue;
        uint8_t buffer[16384];
        const ssize_t n = ready > 0 ? ::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT) : -1;
        if (n < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK))
            continue;
        if (n <= 0)
            break;
        stream.Feed(std::span<const uint8_t>(buffer, static_cast<size_t>(n)));
        Packet packet;
        PacketStream::Result result;
        while (open && (result = stream.Next(&packet)) == PacketStream::Result::kPacket) {
            switch (packet.type) {
                case kOperationRequest: {
                    auto request = ParseOperationRequest(packet.payload);
                    if (!request || waiting) {
                        open = false;
                        break;
                    }
                    if (request->dataPhase == kDataPhaseFromInitiator) {
                        waiting = request;
                        started = false;
                        dataIn.clear();
                        break;
                    }
                    open = answer(*request, {});
                    break;
                }
                case kStartData: {
                    auto start = ParseStartData(packet.payload);
                    if (!start || !waiting || start->transaction != waiting->transaction ||
                        start->totalLength > kMaxDataIn) {
                        open = false;
                        break;
                    }
                    started = true;
                    expected = start->totalLength;
                    break;
                }
                case kDataPacket:
                case kEndData: {
                    auto chunk = ParseDataChunk(packet.payload);
                    if (!chunk || !waiting || !started ||
                        chunk->transaction != waiting->transaction ||
                        dataIn.size() + chunk->bytes.size() > expected) {
                        open = false;
                        break;
                    }
                    dataIn.insert(dataIn.end(), chunk->bytes.begin(), chunk->bytes.end());
                    if (packet.type == kEndData) {
                        const OperationRequest request = *waiting;
                        waiting.reset();
                        // Less than was announced is no value at all: nothing is applied.
                        open = dataIn.size() == expected
                                   ? answer(request, dataIn)
                                   : refuse(kRespIncompleteTransfer, request.transaction);
                    }
                    break;
                }
                case kProbeRequest:
                    open = CommandSink(fd, 0, limits_, stopping_).Send(BuildProbeResponse());
                    break;
                default:
                    break;  // cancel and anything unknown: nothing to do
            }
            heard = Clock::now();
        }
        if (result == PacketStream::Result::kMalformed)
            open = false;
    }

    client->done = true;
    ::shutdown(fd, SHUT_RDWR);
    {
        std::lock_guard lock(client->eventMutex);
        if (client->eventFd >= 0) {
            ::shutdown(client->eventFd, SHUT_RDWR);
            ::close(client->eventFd);
            client->eventFd = -1;
        }
    }
    if (greeted)
        Log(connection + " closed" + why);
}

void PtpIpServer::Broadcast(uint16_t code, uint32_t transaction,
                            const std::vector<uint32_t>& params) {
    const std::vector<uint8_t> packet = BuildEvent(code, transaction, params);
    std::list<std::shared_ptr<Client>> clients;
    {
        std::lock_guard lock(mutex_);
        clients = clients_;
    }
    for (auto& client : clients) {
        std::lock_guard lock(client->eventMutex);
        // An event that does not fit at once is for an initiator that stopped listening.
        if (client->eventFd >= 0 && client->commandFd >= 0 && !client->done &&
            !SendNow(client->eventFd, packet))
            ::shutdown(client->commandFd, SHUT_RDWR);
    }
}

void PtpIpServer::DropAll() {
    std::lock_guard lock(mutex_);
    for (auto& client : clients_) {
        std::lock_guard fdLock(client->eventMutex);
        if (client->commandFd >= 0)
            ::shutdown(client->commandFd, SHUT_RDWR);
        if (client->eventFd >= 0)
            ::shutdown(client->eventFd, SHUT_RDWR);
    }
}

void PtpIpServer::Reap(bool all) {
    // Handshakes first: one that ends may still have admitted a client.
    std::list<std::shared_ptr<Pending>> ended;
    std::list<std::shared_ptr<Client>> finished;
    {
        std::lock_guard lock(mutex_);
        for (auto it = handshakes_.begin(); it != handshakes_.end();) {
            if (all || (*it)->done) {
                ended.push_back(*it);
                it = handshakes_.erase(it);
            } else {
                ++it;
            }
        }
    }
    for (auto& pending : ended)
        if (pending->thread.joinable())
            pending->thread.join();
    {
        std::lock_guard lock(mutex_);
        for (auto it = clients_.begin(); it != clients_.end();) {
            if (all || (*it)->done) {
                finished.push_back(*it);
                it = clients_.erase(it);
            } else {
                ++it;
            }
        }
    }
    for (auto& client : finished) {
        if (client->thread.joinable())
            client->thread.join();
        std::lock_guard fdLock(client->eventMutex);
        ::close(client->commandFd);
        client->commandFd = -1;
        if (client->eventFd >= 0)
            ::close(client->eventFd);
        client->eventFd = -1;
    }
}

}  // namespace talbex::ptpip
