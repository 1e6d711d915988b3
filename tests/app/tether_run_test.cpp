// The remote-control window's tethering view driven by the window script in a headless
// run: guides from their check box and key, live view, zoom and the shutter by keys, the
// last picture named, "saved" and opened, the live view alone and back, and a key the
// window does not know reported.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/talbex_process.h"

namespace talbex {
namespace {

namespace fs = std::filesystem;

class TetherRun : public apptest::TalbexProcessTest {};

TEST_F(TetherRun, TheScriptDrivesKeysAndGuides) {
    const std::string home = dir_ / "home/";
    const std::string photos = dir_ / "photos";
    fs::create_directories(photos);
    const std::string script = dir_ / "tether.txt";
    std::ofstream(script) << "wait 3.5\n"
                             "click 1014\n"  // the main window's remote control
                             "wait 1.5\n"
                             "folder " +
                                 photos +
                                 "\n"
                                 "click 1068\n"
                                 "click 1081\n"  // the grid
                                 "key C\n"       // the centre mark
                                 "key L\n"       // live view
                                 "wait 1\n"
                                 "key +\n"
                                 "key -\n"
                                 "key L\n"
                                 "key Space\n"
                                 "wait 3\n"
                                 "doubleclick 1022\n"
                                 "key Space\n"  // alone, it still shoots
                                 "wait 3\n"
                                 "key Escape\n"
                                 "click 1083\n"  // the last picture
                                 "key Q\n"
                                 "close\n"
                                 "quit\n";
    const apptest::Outcome run =
        RunTalbex({"--language", "en", "--script", script},
                  "timeout 60 env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM TALBEX_HOME='" +
                      home + "' TALBEX_VENDOR_HOST= LC_ALL=C TALBEX_CAMERA=sim");
    ASSERT_EQ(run.status, 0) << run.err << run.out;
    std::vector<std::string> pictures;
    for (const auto& entry : fs::directory_iterator(photos))
        pictures.push_back(entry.path().filename().string());
    ASSERT_EQ(pictures.size(), 2u) << run.out;
    std::sort(pictures.begin(), pictures.end());
    const std::string last = photos + "/" + pictures.back();
    for (const std::string& line : {
             std::string("[Remote Control] control 1081 checked: 1\n"),
             std::string("[Remote Control] control 1082 checked: 1\n"),
             std::string("[Remote Control] control 1000 visible: 0\n"),
             std::string("[Remote Control] control 1000 visible: 1\n"),
             "[Remote Control] control 1084 text: " + pictures.back() + "\n",
             "[Remote Control] control 1085 text: " + photos + "\n",
             std::string("[Remote Control] control 1086 text: saved\n"),
             "browser would open: " + last + "\n",
             std::string("script line 20: key Q had no effect"),
         })
        EXPECT_NE(run.out.find(line), std::string::npos) << line << "\n" << run.out;
    // Every other line of the script was taken.
    size_t refused = 0;
    for (size_t at = run.out.find("had no effect"); at != std::string::npos;
         at = run.out.find("had no effect", at + 1))
        ++refused;
    EXPECT_EQ(refused, 1u) << run.out;
}

}  // namespace
}  // namespace talbex
