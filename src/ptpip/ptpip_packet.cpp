#include "ptpip/ptpip_packet.h"

#include "ptpip/ptp_bytes.h"
#include "ptpip/ptp_codes.h"

namespace talbex::ptpip {

namespace {

// Starts a packet of `type`; Finish writes its length.
ByteWriter Begin(uint32_t type) {
    ByteWriter w;
    w.U32(0);
    w.U32(type);
    return w;
}

std::vector<uint8_t> Finish(ByteWriter& w) {
    w.PatchU32(0, static_cast<uint32_t>(w.size()));
    return w.Take();
}

}  // namespace

void PacketStream::Feed(std::span<const uint8_t> bytes) {
    if (broken_)
        return;
    // Drop what was already handed out before the buffer grows.
    if (start_ > 0 && start_ == buffer_.size()) {
        buffer_.clear();
        start_ = 0;
    } else if (start_ > 65536) {
        buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(start_));
        start_ = 0;
    }
    buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
}

PacketStream::Result PacketStream::Next(Packet* out) {
    if (broken_)
        return Result::kMalformed;
    const size_t available = buffer_.size() - start_;
    if (available < kHeaderBytes)
        return Result::kNeedMore;
    ByteReader header(std::span<const uint8_t>(buffer_.data() + start_, kHeaderBytes));
    const uint32_t length = header.U32();
    const uint32_t type = header.U32();
    if (length < kHeaderBytes || length > max_) {
        broken_ = true;
        return Result::kMalformed;
    }
    if (available < length)
        return Result::kNeedMore;
    out->type = type;
    const uint8_t* body = buffer_.data() + start_ + kHeaderBytes;
    out->payload.assign(body, body + (length - kHeaderBytes));
    start_ += length;
    return Result::kPacket;
}

std::optional<InitCommandRequest> ParseInitCommandRequest(std::span<const uint8_t> payload) {
    ByteReader r(payload);
    InitCommandRequest request;
    for (uint8_t& b : request.guid)
        b = r.U8();
    // The friendly name runs up to a zero unit; the version follows it.
    std::u16string name;
    for (;;) {
        const char16_t unit = r.U16();
        if (!r.ok())
            return std::nullopt;
        if (unit == 0)
            break;
        name += unit;
    }
    request.name = Utf16ToUtf8(name);
    request.version = r.U32();
    if (!r.ok())
        return std::nullopt;
    return request;
}

std::optional<uint32_t> ParseInitEventRequest(std::span<const uint8_t> payload) {
    ByteReader r(payload);
    const uint32_t connection = r.U32();
    if (!r.ok())
        return std::nullopt;
    return connection;
}

std::optional<OperationRequest> ParseOperationRequest(std::span<const uint8_t> payload) {
    ByteReader r(payload);
    OperationRequest request;
    request.dataPhase = r.U32();
    request.code = r.U16();
    request.transaction = r.U32();
    if (!r.ok() || r.remaining() % 4 != 0 || r.remaining() / 4 > request.params.size())
        return std::nullopt;
    request.paramCount = r.remaining() / 4;
    for (size_t i = 0; i < request.paramCount; ++i)
        request.params[i] = r.U32();
    return request;
}

std::optional<StartData> ParseStartData(std::span<const uint8_t> payload) {
    ByteReader r(payload);
    StartData start;
    start.transaction = r.U32();
    start.totalLength = r.U64();
    if (!r.ok())
        return std::nullopt;
    return start;
}

std::optional<DataChunk> ParseDataChunk(std::span<const uint8_t> payload) {
    ByteReader r(payload);
    DataChunk chunk;
    chunk.transaction = r.U32();
    if (!r.ok())
        return std::nullopt;
    chunk.bytes = payload.subspan(4);
    return chunk;
}

std::optional<uint32_t> ParseCancel(std::span<const uint8_t> payload) {
    return ParseInitEventRequest(payload);  // one transaction number, laid out alike
}

std::vector<uint8_t> BuildInitCommandAck(uint32_t connection, const std::array<uint8_t, 16>& guid,
                                         std::string_view name) {
    ByteWriter w = Begin(kInitCommandAck);
    w.U32(connection);
    w.Bytes(guid);
    for (char16_t unit : Utf8ToUtf16(name))
        w.U16(unit);
    w.U16(0);
    w.U32(kProtocolVersion);
    return Finish(w);
}

std::vector<uint8_t> BuildInitEventAck() {
    ByteWriter w = Begin(kInitEventAck);
    return Finish(w);
}

std::vector<uint8_t> BuildInitFail(uint32_t reason) {
    ByteWriter w = Begin(kInitFail);
    w.U32(reason);
    return Finish(w);
}

std::vector<uint8_t> BuildOperationResponse(uint16_t code, uint32_t transaction,
                                            std::span<const uint32_t> params) {
    ByteWriter w = Begin(kOperationResponse);
    w.U16(code);
    w.U32(transaction);
    for (uint32_t p : params.first(std::min<size_t>(params.size(), 5)))
        w.U32(p);
    return Finish(w);
}

std::vector<uint8_t> BuildEvent(uint16_t code, uint32_t transaction,
                                std::span<const uint32_t> params) {
    ByteWriter w = Begin(kEventPacket);
    w.U16(code);
    w.U32(transaction);
    for (uint32_t p : params.first(std::min<size_t>(params.size(), 3)))
        w.U32(p);
    return Finish(w);
}

std::vector<uint8_t> BuildStartData(uint32_t transaction, uint64_t totalLength) {
    ByteWriter w = Begin(kStartData);
    w.U32(transaction);
    w.U64(totalLength);
    return Finish(w);
}

std::vector<uint8_t> BuildData(uint32_t transaction, std::span<const uint8_t> bytes, bool last) {
    ByteWriter w = Begin(last ? kEndData : kDataPacket);
    w.U32(transaction);
    w.Bytes(bytes);
    return Finish(w);
}

std::vector<uint8_t> BuildProbeResponse() {
    ByteWriter w = Begin(kProbeResponse);
    return Finish(w);
}

}  // namespace talbex::ptpip
