// What an initiator sends a served camera over PTP/IP: any bytes, cut anywhere, must be
// split into packets and read without reading past them, and a string read back must be
// one the writer can write again unchanged.
#include <cstddef>
#include <cstdint>
#include <span>

#include "ptpip/ptp_bytes.h"
#include "ptpip/ptp_codes.h"
#include "ptpip/ptp_datasets.h"
#include "ptpip/ptpip_packet.h"

using namespace talbex::ptpip;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    // The first byte chooses how the stream arrives: in pieces of 1 to 256 bytes.
    const size_t piece = data[0] + 1u;
    const std::span<const uint8_t> stream(data + 1, size - 1);
    PacketStream packets(4096);
    for (size_t at = 0; at < stream.size(); at += piece) {
        packets.Feed(stream.subspan(at, std::min(piece, stream.size() - at)));
        Packet packet;
        while (packets.Next(&packet) == PacketStream::Result::kPacket) {
            const std::span<const uint8_t> payload(packet.payload);
            ParseInitCommandRequest(payload);
            ParseInitEventRequest(payload);
            ParseStartData(payload);
            ParseCancel(payload);
            if (auto request = ParseOperationRequest(payload)) {
                if (request->paramCount > request->params.size())
                    __builtin_trap();
            }
            if (auto chunk = ParseDataChunk(payload)) {
                for (uint16_t type : {kTypeInt8, kTypeUInt8, kTypeInt16, kTypeUInt16, kTypeInt32,
                                      kTypeUInt32, kTypeString})
                    ParsePropertyValue(chunk->bytes, type);
                ByteReader reader(chunk->bytes);
                const std::string text = reader.String();
                // A string the count byte can hold survives being written again.
                if (reader.ok() && Utf8ToUtf16(text).size() <= 254) {
                    ByteWriter writer;
                    writer.String(text);
                    ByteReader again(writer.bytes());
                    if (again.String() != text || !again.ok())
                        __builtin_trap();
                }
            }
        }
    }
    return 0;
}
