// Runs the built program: talbex serial FILE...
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/talbex_process.h"
#include "controls/exif/picture_builder.h"

namespace talbex {
namespace {

namespace fs = std::filesystem;
using exif::testing::Jpeg;
using exif::testing::Tiff;

std::vector<uint8_t> PictureWithText(const std::string& text) {
    Tiff t(true);
    const uint32_t at = t.Data(text + std::string(1, '\0'));
    const uint32_t exif = t.Directory({{0xA431, 2, static_cast<uint32_t>(text.size() + 1), at}});
    t.SetFirstDirectory(t.Directory({{0x8769, 4, 1, exif}}));
    return Jpeg(t.bytes);
}

using apptest::Outcome;

class SerialCommand : public apptest::TalbexProcessTest {
  protected:
    std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) {
        const std::string path = dir_ / name;
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
        return path;
    }

    Outcome Talbex(const std::vector<std::string>& args) { return RunTalbex(args); }
};

TEST_F(SerialCommand, OneLinePerFileInOrderAndStatusOneWhenAnyFailed) {
    const std::string camera = Write("IMG_0001.JPG", PictureWithText("1234 5678"));
    const std::string bare = Write("bare.jpg", {0xFF, 0xD8, 0xFF, 0xD9});
    const std::string text = Write("notes.txt", {'h', 'i', '\n'});
    const std::string missing = dir_ / "gone.jpg";
    const Outcome run = Talbex({"serial", camera, bare, text, missing, dir_.path()});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, camera + "\t123405678\n" + bare + "\t-\n" + text +
                           "\terror: not a JPEG image\n" + missing +
                           "\terror: cannot open: No such file or directory\n" + dir_.path() +
                           "\terror: cannot open: is a folder\n");
    EXPECT_EQ(run.err, "");
}

TEST_F(SerialCommand, VerboseListsTheSerialTagsOnStandardErrorOnly) {
    const std::string camera = Write("a.jpg", PictureWithText("SN 7"));
    const Outcome quiet = Talbex({"serial", camera});
    const Outcome verbose = Talbex({"serial", "--verbose", camera});
    EXPECT_EQ(quiet.status, 0);
    EXPECT_EQ(verbose.status, 0);
    EXPECT_EQ(quiet.out, camera + "\tSN07\n");
    EXPECT_EQ(verbose.out, quiet.out);
    EXPECT_EQ(verbose.err,
              "Main Image Information:\n\nExif sub IFD Information:\n"
              "0xA431      2            5            8\tSN 7\n\n"
              "Maker Note Information:\n\nThumbnail Image Information:\n");
}

// Neither a serial nor a file name can break the two columns of a line: the serial's
// control characters show as '?', the name's are escaped so it can be read back.
TEST_F(SerialCommand, ControlCharactersCannotBreakTheLine) {
    const std::string file = Write("tab.jpg", PictureWithText("AB\tC\nD\x1b"));
    Outcome run = Talbex({"serial", file});
    EXPECT_EQ(run.out, file + "\tAB?C?D?\n");

    const std::string odd = Write("a\tb\nc\\d\x1b.jpg", PictureWithText("SN 7"));
    run = Talbex({"serial", odd});
    EXPECT_EQ(run.out, dir_.path() + "a\\tb\\nc\\\\d\\x1B.jpg\tSN07\n");
}

TEST_F(SerialCommand, UsageErrorsGoToStandardErrorWithStatusTwo) {
    const Outcome none = Talbex({"serial"});
    EXPECT_EQ(none.status, 2);
    EXPECT_EQ(none.out, "");
    EXPECT_NE(none.err.find("Usage: talbex serial"), std::string::npos);
    const Outcome unknown = Talbex({"serial", "--fast", "x.jpg"});
    EXPECT_EQ(unknown.status, 2);
    EXPECT_EQ(unknown.out, "");
    // After "--" every argument is a file name.
    const Outcome dashed = Talbex({"serial", "--", "--verbose"});
    EXPECT_EQ(dashed.status, 1);
    EXPECT_EQ(dashed.out, "--verbose\terror: cannot open: No such file or directory\n");
}

}  // namespace
}  // namespace talbex
