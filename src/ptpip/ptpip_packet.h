// The packets of the protocol's TCP/IP transport: splitting a byte stream into packets,
// reading the ones an initiator sends and building the ones a camera answers with.
//
// Nothing here trusts a length: a packet shorter than its header or longer than the
// stream's limit breaks the stream, and every parser answers nullopt for a payload that
// does not hold what its type needs.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace talbex::ptpip {

inline constexpr size_t kHeaderBytes = 8;

struct Packet {
    uint32_t type = 0;
    std::vector<uint8_t> payload;
};

/// Cuts a byte stream into packets: Feed what arrives, then take packets with Next.
class PacketStream {
  public:
    /// `maxPacket`: the longest packet (header included) the stream accepts.
    explicit PacketStream(size_t maxPacket) : max_(maxPacket) {}

    void Feed(std::span<const uint8_t> bytes);

    enum class Result { kPacket, kNeedMore, kMalformed };
    /// A malformed stream stays malformed: its connection cannot be trusted again.
    Result Next(Packet* out);

  private:
    std::vector<uint8_t> buffer_;
    size_t start_ = 0;
    size_t max_;
    bool broken_ = false;
};

struct InitCommandRequest {
    std::array<uint8_t, 16> guid{};
    std::string name;
    uint32_t version = 0;
};

struct OperationRequest {
    uint32_t dataPhase = 0;
    uint16_t code = 0;
    uint32_t transaction = 0;
    std::array<uint32_t, 5> params{};
    size_t paramCount = 0;
};

struct StartData {
    uint32_t transaction = 0;
    uint64_t totalLength = 0;
};

struct DataChunk {
    uint32_t transaction = 0;
    std::span<const uint8_t> bytes;
};

std::optional<InitCommandRequest> ParseInitCommandRequest(std::span<const uint8_t> payload);
/// The connection number the event connection belongs to.
std::optional<uint32_t> ParseInitEventRequest(std::span<const uint8_t> payload);
std::optional<OperationRequest> ParseOperationRequest(std::span<const uint8_t> payload);
std::optional<StartData> ParseStartData(std::span<const uint8_t> payload);
/// Payload of a data or end-of-data packet.
std::optional<DataChunk> ParseDataChunk(std::span<const uint8_t> payload);
/// The transaction a cancel packet names.
std::optional<uint32_t> ParseCancel(std::span<const uint8_t> payload);

std::vector<uint8_t> BuildInitCommandAck(uint32_t connection, const std::array<uint8_t, 16>& guid,
                                         std::string_view name);
std::vector<uint8_t> BuildInitEventAck();
std::vector<uint8_t> BuildInitFail(uint32_t reason);
std::vector<uint8_t> BuildOperationResponse(uint16_t code, uint32_t transaction,
                                            std::span<const uint32_t> params = {});
std::vector<uint8_t> BuildEvent(uint16_t code, uint32_t transaction,
                                std::span<const uint32_t> params = {});
std::vector<uint8_t> BuildStartData(uint32_t transaction, uint64_t totalLength);
/// A data packet, or the end-of-data packet when `last`.
std::vector<uint8_t> BuildData(uint32_t transaction, std::span<const uint8_t> bytes, bool last);
std::vector<uint8_t> BuildProbeResponse();

}  // namespace talbex::ptpip
