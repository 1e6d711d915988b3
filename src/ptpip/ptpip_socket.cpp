#include "ptpip/ptpip_socket.h"

#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>

namespace talbex::ptpip {

namespace {

// Waits for `events` on `fd` for at most `wait` (at least a millisecond, so a poll never
// spins); answers how long it took.
Clock::duration Await(int fd, short events, Clock::duration wait) {
    const auto before = Clock::now();
    pollfd p{fd, events, 0};
    const auto ms = std::max<int64_t>(
        1, std::chrono::ceil<std::chrono::milliseconds>(std::min<Clock::duration>(wait, kWaitSlice))
               .count());
    ::poll(&p, 1, static_cast<int>(ms));
    return Clock::now() - before;
}

}  // namespace

bool SendWithin(int fd, std::span<const uint8_t> bytes, Clock::duration* allowance,
                const std::atomic<bool>& stop) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n =
            ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            done += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK))
            return false;
        if (stop || *allowance <= Clock::duration::zero())
            return false;
        *allowance -= Await(fd, POLLOUT, *allowance);
    }
    return true;
}

bool SendNow(int fd, std::span<const uint8_t> bytes) {
    const std::atomic<bool> never{false};
    Clock::duration none = Clock::duration::zero();
    return SendWithin(fd, bytes, &none, never);
}

bool ReadPacketBy(int fd, PacketStream& stream, Packet* packet, Clock::time_point deadline,
                  const std::atomic<bool>& stop) {
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
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
        if (n > 0) {
            stream.Feed(std::span<const uint8_t>(buffer, static_cast<size_t>(n)));
            continue;
        }
        if (n == 0 || (errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK))
            return false;
        const auto left = deadline - Clock::now();
        if (stop || left <= Clock::duration::zero())
            return false;
        Await(fd, POLLIN, left);
    }
}

}  // namespace talbex::ptpip
