#include "ptpip/ptpip_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "ptpip/ptp_codes.h"
#include "ptpip/ptpip_packet.h"

namespace talbex::ptpip {

namespace {

// An initiator's packets are requests and property values: small. A property value
// larger than this is no value the camera keeps.
constexpr size_t kMaxInitiatorPacket = 64 * 1024 + 64;
constexpr size_t kMaxDataIn = 64 * 1024;
constexpr size_t kMaxHandshakePacket = 4096;
constexpr int kPollMs = 100;
// Initiators served at once; each has a thread of its own, so there is a bound.
constexpr size_t kMaxClients = 8;
constexpr int kSocketTimeoutSeconds = 5;

const std::array<uint8_t, 16> kGuid = {0x54, 0x61, 0x6C, 0x62, 0x65, 0x78, 0x2D, 0x73,
                                       0x69, 0x6D, 0x2D, 0x73, 0x65, 0x72, 0x76, 0x65};

bool SendAll(int fd, std::span<const uint8_t> bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

void SetTimeouts(int fd) {
    timeval tv{kSocketTimeoutSeconds, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
    const int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
}

// Reads until one packet is complete; false on a closed, timed-out or broken stream.
bool ReadPacket(int fd, PacketStream& stream, Packet* packet) {
    for (;;) {
        switch (stream.Next(packet)) {
            case PacketStream::Result::kPacket:
                return true;
            case PacketStream::Result::kMalformed:
                return false;
            case PacketStream::Result::kNeedMore:
                break;
        }
        uint8_t buffer[4096];
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        stream.Feed(std::span<const uint8_t>(buffer, static_cast<size_t>(n)));
    }
}

class CommandSink : public DataSink {
  public:
    CommandSink(int fd, uint32_t transaction) : fd_(fd), transaction_(transaction) {}
    bool Start(uint64_t total) override {
        return SendAll(fd_, BuildStartData(transaction_, total));
    }
    bool Write(std::span<const uint8_t> bytes) override {
        return SendAll(fd_, BuildData(transaction_, bytes, false));
    }
    bool End(std::span<const uint8_t> bytes) override {
        return SendAll(fd_, BuildData(transaction_, bytes, true));
    }

  private:
    int fd_;
    uint32_t transaction_;
};

}  // namespace

struct PtpIpServer::Client {
    uint32_t connection = 0;
    // Both sockets are closed under this lock, so no other thread shuts down a number
    // the system has already given to a new socket.
    std::mutex eventMutex;
    int commandFd = -1;
    int eventFd = -1;
    std::thread thread;
    std::atomic<bool> done{false};
};

PtpIpServer::PtpIpServer(ServedCamera& camera) : camera_(camera) {
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
        ::listen(listenFd_, 8) != 0) {
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

void PtpIpServer::Run(const std::atomic<bool>& stop,
                      std::optional<std::chrono::steady_clock::time_point> deadline) {
    while (!stop && (!deadline || std::chrono::steady_clock::now() < *deadline)) {
        pollfd p{listenFd_, POLLIN, 0};
        if (::poll(&p, 1, kPollMs) > 0 && (p.revents & POLLIN) != 0)
            Accept();
        Reap(false);
    }
    stopping_ = true;
    DropAll();
    Reap(true);
}

void PtpIpServer::Accept() {
    const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0)
        return;
    SetTimeouts(fd);
    Handshake(fd);
}

void PtpIpServer::Handshake(int fd) {
    PacketStream stream(kMaxHandshakePacket);
    Packet packet;
    if (!ReadPacket(fd, stream, &packet)) {
        ::close(fd);
        return;
    }
    if (packet.type == kInitCommandRequest) {
        auto request = ParseInitCommandRequest(packet.payload);
        auto client = std::make_shared<Client>();
        client->commandFd = fd;
        bool admitted = false;
        if (request && !camera_.Gone() && !stopping_) {
            std::lock_guard lock(mutex_);
            if (clients_.size() < kMaxClients) {
                client->connection = nextConnection_++;
                clients_.push_back(client);
                admitted = true;
            }
        }
        if (!admitted) {
            SendAll(fd, BuildInitFail(request ? kFailBusy : kFailUnspecified));
            ::close(fd);
            return;
        }
        if (!SendAll(fd, BuildInitCommandAck(client->connection, kGuid, camera_.ModelName()))) {
            client->done = true;
            ::shutdown(fd, SHUT_RDWR);
        }
        Log("connection " + std::to_string(client->connection) + " from \"" + request->name + "\"");
        client->thread = std::thread([this, client] { Serve(client); });
        return;
    }
    if (packet.type == kInitEventRequest) {
        auto connection = ParseInitEventRequest(packet.payload);
        std::shared_ptr<Client> owner;
        {
            std::lock_guard lock(mutex_);
            for (auto& c : clients_)
                if (connection && c->connection == *connection && !c->done)
                    owner = c;
        }
        if (owner) {
            std::lock_guard lock(owner->eventMutex);
            if (owner->eventFd < 0 && SendAll(fd, BuildInitEventAck())) {
                owner->eventFd = fd;
                return;
            }
        }
        SendAll(fd, BuildInitFail(kFailRejectedInitiator));
        ::close(fd);
        return;
    }
    if (packet.type == kProbeRequest)
        SendAll(fd, BuildProbeResponse());
    ::close(fd);
}

void PtpIpServer::Serve(const std::shared_ptr<Client>& client) {
    const int fd = client->commandFd;
    PacketStream stream(kMaxInitiatorPacket);
    SessionState session;
    // An operation waiting for its data phase, and the data gathered so far.
    std::optional<OperationRequest> waiting;
    bool started = false;  // the data phase has announced its length
    uint64_t expected = 0;
    std::vector<uint8_t> dataIn;

    auto answer = [&](const OperationRequest& request, std::span<const uint8_t> data) {
        CommandSink sink(fd, request.transaction);
        Reply reply = camera_.Handle(session, request, data, sink);
        if (reply.drop)
            return false;
        return SendAll(fd, BuildOperationResponse(reply.code, request.transaction, reply.params));
    };

    bool open = !client->done;
    while (open && !stopping_) {
        pollfd p{fd, POLLIN, 0};
        const int ready = ::poll(&p, 1, kPollMs);
        if (ready == 0)
            continue;
        if (ready < 0 && errno == EINTR)
            continue;
        uint8_t buffer[16384];
        const ssize_t n = ready > 0 ? ::recv(fd, buffer, sizeof buffer, 0) : -1;
        if (n < 0 && errno == EINTR)
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
                        open = answer(request, dataIn);
                    }
                    break;
                }
                case kProbeRequest:
                    open = SendAll(fd, BuildProbeResponse());
                    break;
                default:
                    break;  // cancel and anything unknown: nothing to do
            }
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
    Log("connection " + std::to_string(client->connection) + " closed");
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
        if (client->eventFd >= 0 && client->commandFd >= 0 && !client->done &&
            !SendAll(client->eventFd, packet))
            ::shutdown(client->commandFd, SHUT_RDWR);  // an initiator that stopped listening
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
    std::list<std::shared_ptr<Client>> finished;
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
    }
}

}  // namespace talbex::ptpip
