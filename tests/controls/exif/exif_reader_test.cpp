#include "controls/exif/exif_reader.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "controls/exif/picture_builder.h"
#include "platform/os/diagnostics.h"
#include "support/temp_folder.h"

namespace talbex::exif {
namespace {

using testing::Jpeg;
using testing::JpegLayout;
using testing::RawEntry;
using testing::Tiff;

// Collects the trace output while alive.
class CapturedDiagnostics {
  public:
    CapturedDiagnostics() {
        previous_ = os::SetTraceSink([this](std::string_view t) { text.append(t); });
    }
    ~CapturedDiagnostics() { os::SetTraceSink(std::move(previous_)); }
    std::string text;

  private:
    os::DiagnosticSink previous_;
};

// A picture as a camera makes it: a body serial text in the EXIF directory, the camera
// serial number in the maker note, a thumbnail directory after the main one.
std::vector<uint8_t> CameraPicture(bool little, JpegLayout layout = {}) {
    Tiff t(little);
    const uint32_t text = t.Data(std::string("1234 5678\0", 10));
    const uint32_t maker = t.Directory({{0x0001, 3, 1, 5}, {0x000C, 4, 1, 123456}});
    const uint32_t exif = t.Directory({{0xA431, 2, 10, text}, {0x927C, 7, 26, maker}});
    const uint32_t ifd1 = t.Directory({{0x0103, 3, 1, 6}});
    const uint32_t ifd0 =
        t.Directory({{0x8769, 4, 1, exif}, {0x010F, 2, 4, t.Inline("Cam")}}, ifd1);
    t.SetFirstDirectory(ifd0);
    return Jpeg(t.bytes, layout);
}

const char kCameraPictureListing[] =
    "Main Image Information:\n"
    "\n"
    "Exif sub IFD Information:\n"
    "0xA431      2           10            8\t1234 5678\n"
    "\n"
    "Maker Note Information:\n"
    "0x000C      4            1       123456\t\n"
    "\n"
    "Thumbnail Image Information:\n";

TEST(ExifReader, CameraPictureInBothByteOrdersGivesTheMakerNoteNumberAndTheExactListing) {
    for (bool little : {true, false}) {
        SCOPED_TRACE(little ? "II" : "MM");
        CapturedDiagnostics diagnostics;
        ExifReader reader;
        ASSERT_TRUE(reader.OpenBytes(CameraPicture(little), "camera.jpg"));
        EXPECT_EQ(diagnostics.text, kCameraPictureListing);
        EXPECT_EQ(reader.serialFound(), 1);
        EXPECT_EQ(reader.serialText(), "0000123456");
        EXPECT_TRUE(reader.HasUsableSerial());
        EXPECT_TRUE(reader.exifParsed());
        EXPECT_TRUE(reader.exifHeaderValid());
        EXPECT_FALSE(reader.jfifSegmentSeen());
        EXPECT_EQ(reader.littleEndian(), little);
        EXPECT_EQ(reader.tiffBase(), 2u + 4u + 6u);
        EXPECT_EQ(reader.mainImageEntries().size(), 2u);
        EXPECT_EQ(reader.thumbnailEntries().size(), 1u);
        EXPECT_EQ(reader.exifEntries().size(), 2u);
        EXPECT_EQ(reader.makerNoteEntries().size(), 2u);
        EXPECT_EQ(reader.makerNoteEntries().at(0x000C).value, 123456u);
    }
}

TEST(ExifReader, BodySerialTextAloneIsStoredWithItsBlankTurnedIntoZero) {
    for (bool little : {true, false}) {
        Tiff t(little);
        const uint32_t text = t.Data(std::string("1234 5678\0", 10));
        const uint32_t exif = t.Directory({{0xA431, 2, 10, text}});
        t.SetFirstDirectory(t.Directory({{0x8769, 4, 1, exif}}));
        ExifReader reader;
        ASSERT_TRUE(reader.OpenBytes(Jpeg(t.bytes, {.app0 = true}), "x.jpg"));
        EXPECT_TRUE(reader.jfifSegmentSeen());
        EXPECT_EQ(reader.serialFound(), 1);
        EXPECT_EQ(reader.serialText(), "123405678");
    }
}

TEST(ExifReader, OfTwoTextsTheFirstListedStaysAndAShortTextIsListedButNotStored) {
    Tiff t(true);
    const uint32_t first = t.Data(std::string("AAAA1\0", 6));
    const uint32_t second = t.Data(std::string("BBBB2\0", 6));
    const uint32_t exif = t.Directory({{0xA431, 2, 6, first}, {0xA431, 2, 6, second}});
    const uint32_t ifd1 = t.Directory({{0xA431, 2, 6, second}});
    // Main image directory: a text of four bytes held in the value field.
    t.SetFirstDirectory(t.Directory({{0x8769, 4, 1, exif}, {0xA431, 2, 4, t.Inline("S12")}}, ifd1));
    CapturedDiagnostics diagnostics;
    ExifReader reader;
    ASSERT_TRUE(reader.OpenBytes(Jpeg(t.bytes), "x.jpg"));
    EXPECT_EQ(reader.serialText(), "AAAA1");
    EXPECT_EQ(reader.exifEntries().size(), 1u);  // the repeated tag kept its first entry
    EXPECT_NE(diagnostics.text.find("\tS12\n"), std::string::npos) << diagnostics.text;
    EXPECT_NE(diagnostics.text.find("\tBBBB2\n"), std::string::npos) << diagnostics.text;
}

TEST(ExifReader, ANumberInTheThumbnailDirectoryReplacesTheMakerNoteNumber) {
    // The thumbnail directory is listed last, and a number always replaces what is stored.
    Tiff t(false);
    const uint32_t maker = t.Directory({{0x000C, 4, 1, 111111}});
    const uint32_t exif = t.Directory({{0x927C, 7, 12, maker}});
    const uint32_t ifd1 = t.Directory({{0x000C, 4, 1, 4000000000u}});
    t.SetFirstDirectory(t.Directory({{0x8769, 4, 1, exif}}, ifd1));
    ExifReader reader;
    ASSERT_TRUE(reader.OpenBytes(Jpeg(t.bytes), "x.jpg"));
    EXPECT_EQ(reader.serialText(), "4000000000");
}

struct ListingCase {
    const char* name;
    uint16_t type;
    uint32_t count;
    // Builds the entry's value (inline bytes or appended data) in the given TIFF.
    uint32_t (*value)(Tiff&, bool little);
    const char* listed;  // what follows the tab
};

uint32_t Inline16(bool little, uint16_t a, uint16_t b) {
    return little ? (a | (uint32_t{b} << 16)) : ((uint32_t{a} << 16) | b);
}

const ListingCase kListingCases[] = {
    {"byte", 1, 3, [](Tiff&, bool) { return 0x01020304u; }, ""},
    {"short text", 2, 4, [](Tiff& t, bool) { return t.Inline("AB"); }, "AB"},
    {"four-byte text", 2, 4, [](Tiff& t, bool) { return t.Inline("WXYZ"); }, "WXYZ"},
    {"one short", 3, 1, [](Tiff&, bool l) { return Inline16(l, 513, 7); }, "513"},
    {"two shorts", 3, 2, [](Tiff&, bool l) { return Inline16(l, 7, 65535); }, "7,65535"},
    {"no short", 3, 0, [](Tiff&, bool l) { return Inline16(l, 1, 2); }, "1,2"},
    {"three shorts", 3, 3,
     [](Tiff& t, bool) {
         return t.Data16({1, 2, 65535});
     },
     "1,2,65535"},
    {"two longs", 4, 2,
     [](Tiff& t, bool) {
         return t.Data32({1, 4294967295u});
     },
     "1,4294967295"},
    {"no long", 4, 0, [](Tiff&, bool) { return 8u; }, ""},
    {"rationals", 5, 2,
     [](Tiff& t, bool) {
         return t.Data32({1, 2, 3, 4});
     },
     "1/2,3/4"},
    {"few undefined", 7, 3, [](Tiff& t, bool) { return t.Inline("\x01\xAB\xFF"); }, "01,AB,FF"},
    {"undefined", 7, 5, [](Tiff& t, bool) { return t.Data(std::string("\0\x01\x02\x03\xFE", 5)); },
     "00,01,02,03,FE"},
    {"signed rational", 10, 2,
     [](Tiff& t, bool) {
         return t.Data32({0xFFFFFFFF, 2, 3, 0x80000000});
     },
     "-1/2,3/-2147483648"},
    {"other type", 9, 1, [](Tiff&, bool) { return 5u; }, ""},
};

TEST(ExifReader, SerialTagValuesAreListedByTypeInEitherByteOrder) {
    for (const ListingCase& c : kListingCases) {
        for (bool little : {true, false}) {
            SCOPED_TRACE(std::string(c.name) + (little ? " II" : " MM"));
            Tiff t(little);
            const uint32_t value = c.value(t, little);
            t.SetFirstDirectory(t.Directory({{0xA431, c.type, c.count, value}}));
            CapturedDiagnostics diagnostics;
            ExifReader reader;
            ASSERT_TRUE(reader.OpenBytes(Jpeg(t.bytes), "x.jpg"));
            const size_t tab = diagnostics.text.find('\t');
            ASSERT_NE(tab, std::string::npos) << diagnostics.text;
            const size_t end = diagnostics.text.find('\n', tab);
            EXPECT_EQ(diagnostics.text.substr(tab + 1, end - tab - 1), c.listed);
            EXPECT_EQ(reader.serialFound(), 0);  // none of these is stored
        }
    }
}

TEST(ExifReader, FilesThatAreNotJpegPicturesAreRefusedWithTheirMessages) {
    struct Case {
        std::vector<uint8_t> bytes;
        const char* message;
    };
    std::vector<uint8_t> noEnd = CameraPicture(true, {.endMarker = false});
    const Case cases[] = {
        {{}, "SOI(Start Of Image) error\n"},
        {{0xFF}, "SOI(Start Of Image) error\n"},
        {{0xFF, 0xD8}, "EOI(End Of Image) error\n"},
        {{0x89, 'P', 'N', 'G', 0xFF, 0xD9}, "SOI(Start Of Image) error\n"},
        {noEnd, "EOI(End Of Image) error\n"},
    };
    for (const Case& c : cases) {
        CapturedDiagnostics diagnostics;
        ExifReader reader;
        std::string error;
        EXPECT_FALSE(reader.OpenBytes(c.bytes, "pic.jpg", &error));
        EXPECT_EQ(diagnostics.text, std::string(c.message) + "pic.jpg is not a JPEG image.\n");
        EXPECT_EQ(error, "not a JPEG image");
        EXPECT_EQ(reader.serialFound(), 0);
    }
}

TEST(ExifReader, PictureWithoutExifOrWithAnotherSegmentFirstIsAJpegWithoutSerial) {
    ExifReader bare;
    EXPECT_TRUE(bare.OpenBytes(std::vector<uint8_t>{0xFF, 0xD8, 0xFF, 0xD9}, "bare.jpg"));
    EXPECT_FALSE(bare.exifParsed());

    CapturedDiagnostics diagnostics;
    ExifReader reader;
    EXPECT_TRUE(reader.OpenBytes(CameraPicture(true, {.segmentBeforeApp1 = true}), "x.jpg"));
    EXPECT_FALSE(reader.exifParsed());
    EXPECT_EQ(reader.serialFound(), 0);
    EXPECT_TRUE(reader.makerNoteEntries().empty());
    EXPECT_EQ(diagnostics.text, "");
}

TEST(ExifReader, UnknownByteOrderIsReportedAndReadAsBigEndian) {
    std::vector<uint8_t> bytes = CameraPicture(false, {.exifHeader = "Exif!!"});
    const size_t order = 2 + 4 + 6;
    bytes[order] = 'X';
    bytes[order + 1] = 'X';
    CapturedDiagnostics diagnostics;
    ExifReader reader;
    ASSERT_TRUE(reader.OpenBytes(bytes, "x.jpg"));
    EXPECT_FALSE(reader.exifHeaderValid());  // the walk goes on regardless
    EXPECT_FALSE(reader.littleEndian());
    EXPECT_EQ(diagnostics.text.rfind("ERROR: byte order is neither \"II\" or \"MM\"Main Image", 0),
              0u)
        << diagnostics.text;
    EXPECT_EQ(reader.serialText(), "0000123456");
}

TEST(ExifReader, SerialTextIsCutToNineteenCharactersAndMayEndAtTheFileEnd) {
    Tiff t(true);
    const uint32_t exif = t.Directory({{0xA431, 2, 40, 0}});  // value set below
    t.SetFirstDirectory(t.Directory({{0x8769, 4, 1, exif}}));
    const uint32_t text = t.Data(std::string("AB CD EF GH IJ KL MN OP QR ST\0", 30));
    t.Set32(exif + 2 + 8, text);
    t.Set32(exif + 2 + 4, 30);
    ExifReader reader;
    ASSERT_TRUE(reader.OpenBytes(Jpeg(t.bytes), "x.jpg"));
    EXPECT_EQ(reader.serialText(), "AB0CD0EF0GH0IJ0KL0M");
    EXPECT_EQ(reader.serialText().size(), kMaxSerialLength);

    // A count reaching exactly to the last byte of the file is still whole (the scan data
    // and the end marker follow the TIFF data); one byte more is not.
    std::vector<uint8_t> bytes = Jpeg(t.bytes);
    const uint32_t toEnd = static_cast<uint32_t>(bytes.size() - (2 + 4 + 6) - text);
    t.Set32(exif + 2 + 4, toEnd);
    ExifReader atEnd;
    ASSERT_TRUE(atEnd.OpenBytes(Jpeg(t.bytes), "x.jpg"));
    EXPECT_EQ(atEnd.serialText(), "AB0CD0EF0GH0IJ0KL0M");
    t.Set32(exif + 2 + 4, toEnd + 1);  // one byte past the end: missing, nothing stored
    ExifReader pastEnd;
    ASSERT_TRUE(pastEnd.OpenBytes(Jpeg(t.bytes), "x.jpg"));
    EXPECT_EQ(pastEnd.serialFound(), 0);
}

TEST(ExifReader, TextStartingWithAnEightBitByteIsStoredButNotUsable) {
    Tiff t(true);
    const uint32_t text = t.Data("\xC3\xA9-12345");
    const uint32_t exif = t.Directory({{0xA431, 2, 8, text}});
    t.SetFirstDirectory(t.Directory({{0x8769, 4, 1, exif}}));
    ExifReader reader;
    ASSERT_TRUE(reader.OpenBytes(Jpeg(t.bytes), "x.jpg"));
    EXPECT_EQ(reader.serialFound(), 1);
    EXPECT_FALSE(reader.HasUsableSerial());
}

TEST(ExifReader, OffsetsAndCountsPastTheEndAreMissingData) {
    for (bool little : {true, false}) {
        SCOPED_TRACE(little ? "II" : "MM");
        {  // first directory far outside the file
            Tiff t(little);
            t.SetFirstDirectory(0xFFFFFFF0u);
            ExifReader reader;
            ASSERT_TRUE(reader.OpenBytes(Jpeg(t.bytes), "x.jpg"));
            EXPECT_TRUE(reader.exifParsed());
            EXPECT_TRUE(reader.mainImageEntries().empty());
        }
        {  // sub-directories, maker note and texts past the end; huge counts
            Tiff t(little);
            const uint32_t text = t.Data(std::string("12345678\0", 9));
            const uint32_t maker = t.Directory({{0x000C, 2, 0xFFFFFFFF, text}});
            const uint32_t exif = t.Directory({{0xA431, 2, 9, 0xFFFFFFF8u},
                                               {0x927C, 7, 0xFFFFFFFF, maker},
                                               {0x000C, 7, 0xFFFFFFFF, text}});
            const uint32_t ifd1 = t.Directory({{0x000C, 5, 0x80000000u, text}});
            t.SetFirstDirectory(
                t.Directory({{0x8769, 4, 1, exif}, {0xA431, 10, 0xFFFFFFFF, 0xFFFFFFFF}}, ifd1));
            CapturedDiagnostics diagnostics;
            ExifReader reader;
            ASSERT_TRUE(reader.OpenBytes(Jpeg(t.bytes), "x.jpg"));
            EXPECT_EQ(reader.serialFound(), 0);
            EXPECT_EQ(reader.makerNoteEntries().size(), 1u);
            // Each serial-tag line stops at its tab: nothing could be read.
            EXPECT_NE(diagnostics.text.find('\t'), std::string::npos);
            for (size_t tab = diagnostics.text.find('\t'); tab != std::string::npos;
                 tab = diagnostics.text.find('\t', tab + 1))
                EXPECT_EQ(diagnostics.text[tab + 1], '\n') << diagnostics.text;
        }
        {  // a directory claiming 65535 entries with two in the file
            Tiff t(little);
            const uint32_t ifd0 = t.Directory({{0x000C, 4, 1, 42}, {0x0100, 3, 1, 1}});
            t.bytes[ifd0] = 0xFF;
            t.bytes[ifd0 + 1] = 0xFF;
            t.SetFirstDirectory(ifd0);
            ExifReader reader;
            ASSERT_TRUE(reader.OpenBytes(Jpeg(t.bytes), "x.jpg"));
            EXPECT_EQ(reader.serialText(), "0000000042");
            EXPECT_TRUE(reader.thumbnailEntries().empty());  // no next offset was read
        }
    }
}

TEST(ExifReader, DirectoriesPointingAtThemselvesAreReadOnceEach) {
    Tiff t(true);
    const uint32_t exif = t.Directory({{0x927C, 7, 1, 0}, {0xA431, 2, 6, 0}}, 0);
    const uint32_t ifd1 = t.Directory({{0x0100, 3, 1, 1}});
    const uint32_t ifd0 = t.Directory({{0x8769, 4, 1, exif}, {0x000C, 4, 1, 7}}, ifd1);
    t.Set32(t.NextFieldOf(ifd1), ifd1);  // thumbnail chain loops
    t.Set32(t.NextFieldOf(exif), exif);  // so does the EXIF directory's
    t.Set32(exif + 2 + 8, ifd0);         // maker note = main directory
    t.Set32(exif + 2 + 12 + 8, t.Data("SN-00001"));
    t.SetFirstDirectory(ifd0);
    CapturedDiagnostics diagnostics;
    ExifReader reader;
    ASSERT_TRUE(reader.OpenBytes(Jpeg(t.bytes), "x.jpg"));
    EXPECT_EQ(reader.makerNoteEntries().size(), reader.mainImageEntries().size());
    // The main directory's number is listed first; the maker note (the main directory
    // again) repeats it, and the EXIF text in between is not stored over it.
    EXPECT_EQ(reader.serialText(), "0000000007");
    EXPECT_NE(diagnostics.text.find("WARNING: Next IFD Offset of IFD1ThumbnailImage != 0\n"),
              std::string::npos);
    EXPECT_NE(diagnostics.text.find("WARNING: Next IFD Offset of ExifSubIFD != 0\n"),
              std::string::npos);
}

TEST(ExifReader, EveryTruncationOfAPictureIsReadSafely) {
    // Cut anywhere and closed again with an end marker: never a wrong serial.
    for (bool little : {true, false}) {
        const std::vector<uint8_t> whole = CameraPicture(little, {.app0 = true});
        for (size_t cut = 2; cut < whole.size(); ++cut) {
            std::vector<uint8_t> bytes(whole.begin(), whole.begin() + static_cast<long>(cut));
            bytes.push_back(0xFF);
            bytes.push_back(0xD9);
            CapturedDiagnostics diagnostics;
            ExifReader reader;
            ASSERT_TRUE(reader.OpenBytes(bytes, "cut.jpg"));
            if (reader.serialFound()) {
                EXPECT_TRUE(reader.serialText() == "0000123456" ||
                            reader.serialText() == "123405678")
                    << cut << ": " << reader.serialText();
            }
        }
    }
}

class ExifReaderFile : public ::testing::Test {
  protected:
    std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) {
        const std::string path = dir_ / name;
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
        return path;
    }
    talbex::testing::TempFolder dir_{"talbex-exif"};
};

TEST_F(ExifReaderFile, ReadsAFileByPathAndNamesTheReasonWhenItCannot) {
    ExifReader reader;
    EXPECT_TRUE(reader.Open(Write("IMG_0001.JPG", CameraPicture(true))));
    EXPECT_EQ(reader.serialText(), "0000123456");

    const std::string missing = dir_ / "none.jpg";
    CapturedDiagnostics diagnostics;
    ExifReader absent;
    std::string error;
    EXPECT_FALSE(absent.Open(missing, &error));
    EXPECT_EQ(diagnostics.text, "Fail to open file: " + missing + "\n");
    EXPECT_EQ(error, "cannot open: No such file or directory");

    ExifReader folder;
    EXPECT_FALSE(folder.Open(dir_.path(), &error));
    EXPECT_EQ(error, "cannot open: is a folder");
}

}  // namespace
}  // namespace talbex::exif
