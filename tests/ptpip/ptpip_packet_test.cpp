// The transport's packet stream and parsers against malformed input, and the data set
// fields a camera sends.
#include <gtest/gtest.h>

#include "ptpip/ptp_bytes.h"
#include "ptpip/ptp_codes.h"
#include "ptpip/ptpip_packet.h"

namespace talbex::ptpip {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes Header(uint32_t length, uint32_t type) {
    ByteWriter w;
    w.U32(length);
    w.U32(type);
    return w.Take();
}

TEST(PacketStreamTest, NeverTrustsALength) {
    struct Case {
        const char* what;
        std::vector<Bytes> feeds;
        std::vector<PacketStream::Result> results;
    };
    using R = PacketStream::Result;
    Bytes request = BuildOperationResponse(kRespOk, 7);  // any well-formed packet
    Bytes two = request;
    two.insert(two.end(), request.begin(), request.end());
    std::vector<Bytes> byteByByte;
    for (uint8_t b : request)
        byteByByte.push_back({b});
    const Case cases[] = {
        {"shorter than its header", {Header(7, kOperationRequest)}, {R::kMalformed}},
        {"zero length", {Header(0, kOperationRequest)}, {R::kMalformed}},
        {"longer than the limit", {Header(1025, kDataPacket)}, {R::kMalformed}},
        {"the limit itself, still arriving", {Header(1024, kDataPacket)}, {R::kNeedMore}},
        {"two packets in one read", {two}, {R::kPacket, R::kPacket, R::kNeedMore}},
        {"one byte at a time", byteByByte, {R::kPacket, R::kNeedMore}},
        {"broken stays broken", {Header(3, 1), request}, {R::kMalformed, R::kMalformed}},
    };
    for (const Case& c : cases) {
        PacketStream stream(1024);
        for (const Bytes& feed : c.feeds)
            stream.Feed(feed);
        Packet packet;
        for (R expected : c.results)
            EXPECT_EQ(stream.Next(&packet), expected) << c.what;
    }
}

TEST(PacketParsersTest, RefuseWhatDoesNotFit) {
    auto request = [](size_t paramBytes) {
        ByteWriter w;
        w.U32(1);
        w.U16(kOpGetObject);
        w.U32(9);
        for (size_t i = 0; i < paramBytes; ++i)
            w.U8(static_cast<uint8_t>(i));
        return w.Take();
    };
    EXPECT_EQ(ParseOperationRequest(request(0))->paramCount, 0u);
    EXPECT_EQ(ParseOperationRequest(request(20))->paramCount, 5u);
    EXPECT_EQ(ParseOperationRequest(request(4))->params[0], 0x03020100u);
    EXPECT_FALSE(ParseOperationRequest(request(24)));  // six parameters
    EXPECT_FALSE(ParseOperationRequest(request(6)));   // a parameter cut short
    EXPECT_FALSE(ParseOperationRequest(Bytes(9, 0)));  // no room for the transaction

    EXPECT_FALSE(ParseStartData(Bytes(11, 0)));
    EXPECT_FALSE(ParseDataChunk(Bytes(3, 0)));
    EXPECT_EQ(ParseDataChunk(Bytes{1, 0, 0, 0, 0xAB})->bytes.size(), 1u);

    ByteWriter init;
    init.Bytes(Bytes(16, 0x11));
    for (char16_t c : u"host")
        init.U16(c);  // the terminating zero included
    init.U32(kProtocolVersion);
    auto parsed = ParseInitCommandRequest(init.bytes());
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->name, "host");
    EXPECT_EQ(parsed->version, kProtocolVersion);
    ByteWriter unterminated;
    unterminated.Bytes(Bytes(16, 0));
    unterminated.U16('h');
    unterminated.U16('o');
    EXPECT_FALSE(ParseInitCommandRequest(unterminated.bytes()));
}

TEST(PtpStringTest, CountsAndCharactersSurviveAndLiesAreCaught) {
    ByteWriter w;
    w.String("Jane 张 😀");
    w.String("");
    ByteReader r(w.bytes());
    EXPECT_EQ(r.String(), "Jane 张 😀");
    EXPECT_EQ(r.String(), "");
    EXPECT_TRUE(r.ok());
    EXPECT_EQ(r.remaining(), 0u);

    const Bytes claimsMore = {5, 'a', 0};  // five units announced, one present
    ByteReader lying(claimsMore);
    lying.String();
    EXPECT_FALSE(lying.ok());

    // The count byte holds 255 units at most: longer text is cut, never a surrogate half.
    ByteWriter longText;
    longText.String(std::string(253, 'x') + "😀");
    EXPECT_EQ(longText.bytes()[0], 254);  // 253 characters and the terminator
    EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16("a\xff"
                                      "b")),
              "a\xEF\xBF\xBD"
              "b");
}

}  // namespace
}  // namespace talbex::ptpip
