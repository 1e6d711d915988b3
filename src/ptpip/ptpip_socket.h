// Waiting on a client's socket with a bound. The server's sockets never block: every wait
// is a poll cut into short slices, so a stopping server is heard at once and no client
// can stretch a wait by sending, or taking, one byte at a time.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <span>

#include "ptpip/ptpip_packet.h"

namespace talbex::ptpip {

using Clock = std::chrono::steady_clock;

/// The longest a waiting thread sleeps before it looks at its stop flag again.
inline constexpr std::chrono::milliseconds kWaitSlice{100};

/// Sends all of `bytes`, waiting for room at most `*allowance` in all (the time waited is
/// taken off it), and no longer once `stop` is set. False: not all of it went.
bool SendWithin(int fd, std::span<const uint8_t> bytes, Clock::duration* allowance,
                const std::atomic<bool>& stop);
/// Sends `bytes` only if they fit at once; false when they did not all go.
bool SendNow(int fd, std::span<const uint8_t> bytes);

/// Reads until one packet is whole, by `deadline`. False on a closed, broken or malformed
/// stream, at the deadline and once `stop` is set.
bool ReadPacketBy(int fd, PacketStream& stream, Packet* packet, Clock::time_point deadline,
                  const std::atomic<bool>& stop);

}  // namespace talbex::ptpip
