// `cmake --install` of the build into a folder of its own, as the package lays it out:
// the program runs from there, copies its offline pages from the installed ones, and the
// desktop entry and AppStream metainfo pass their validators. The Debian package holds
// the same files and depends on the packages of the libraries the program links.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/talbex_process.h"

namespace talbex {
namespace {

namespace fs = std::filesystem;

using InstallTest = apptest::TalbexProcessTest;

TEST_F(InstallTest, TheInstalledProgramRunsWithItsPagesIconDesktopEntryAndMetainfo) {
    const std::string build = program_.parent_path().parent_path().string();
    const std::string prefix = dir_ / "usr";
    std::string out;
    ASSERT_EQ(
        Shell("'" TALBEX_CMAKE_COMMAND "' --install '" + build + "' --prefix '" + prefix + "'",
              &out),
        0)
        << out;
    for (const char* file :
         {"bin/talbex", "libexec/talbex/talbex-desktop", "share/talbex/index_cn.htm",
          "share/talbex/index_en.htm", "share/icons/hicolor/scalable/apps/org.talbex.Talbex.svg",
          "share/applications/org.talbex.Talbex.desktop",
          "share/metainfo/org.talbex.Talbex.metainfo.xml"})
        EXPECT_TRUE(fs::is_regular_file(prefix + "/" + file)) << file;

    EXPECT_EQ(Shell("'" + prefix + "/bin/talbex' --version", &out), 0);
    EXPECT_EQ(out, "talbex 4.5.0\n");
    // The offline page comes from the installed one (which an administrator may change).
    std::ofstream(prefix + "/share/talbex/index_en.htm", std::ios::trunc) << "<p>Our shop</p>\n";
    const std::string home = dir_ / "home/";
    ASSERT_EQ(Shell("env -u TALBEX_CAMERA TALBEX_HOME='" + home + "' TALBEX_VENDOR_HOST= '" +
                        prefix + "/bin/talbex' --headless --seconds 0.3 --language en",
                    &out),
              0)
        << out;
    EXPECT_EQ(Slurp(home + "index_en.htm"), "<p>Our shop</p>\n");
    // Without --headless the installed program becomes its windows' half, which finds no
    // display here and says so.
    ASSERT_EQ(
        Shell("env -u TALBEX_CAMERA -u DISPLAY -u WAYLAND_DISPLAY TALBEX_HOME='" + home +
                  "' TALBEX_VENDOR_HOST= '" + prefix + "/bin/talbex' --seconds 0.3 --language en",
              &out),
        0)
        << out;
    EXPECT_NE(out.find("running without windows"), std::string::npos) << out;
    EXPECT_EQ(out.find("not installed"), std::string::npos) << out;
    EXPECT_NE(Slurp(home + "index_cn.htm").find("请用 USB 线连接相机"), std::string::npos);

    if (!Installed("desktop-file-validate") || !Installed("appstreamcli"))
        GTEST_SKIP() << "desktop-file-validate or appstreamcli is missing (Debian packages "
                        "desktop-file-utils and appstream): the desktop files were not validated";
    EXPECT_EQ(
        Shell("desktop-file-validate '" + prefix + "/share/applications/org.talbex.Talbex.desktop'",
              &out),
        0)
        << out;
    EXPECT_EQ(Shell("appstreamcli validate --no-net '" + prefix +
                        "/share/metainfo/org.talbex.Talbex.metainfo.xml'",
                    &out),
              0)
        << out;
}

TEST_F(InstallTest, TheDebianPackageDependsOnThePackagesOfTheLibrariesTheProgramLinks) {
    if (!Installed("dpkg-deb") || !Installed("dpkg-shlibdeps"))
        GTEST_SKIP() << "dpkg-deb or dpkg-shlibdeps is missing (Debian package dpkg-dev): the "
                        "package was not built";
    const std::string build = program_.parent_path().parent_path().string();
    const std::string out = dir_ / "package";
    std::string log;
    ASSERT_EQ(Shell("cd '" + dir_.path() + "' && '" TALBEX_CPACK_COMMAND "' -G DEB --config '" +
                        build + "/CPackConfig.cmake' -B '" + out + "'",
                    &log),
              0)
        << log;
    const std::string deb = out + "/talbex_4.5.0_amd64.deb";
    ASSERT_TRUE(fs::is_regular_file(deb)) << log;
    ASSERT_EQ(Shell("dpkg-deb --field '" + deb + "' Depends", &log), 0) << log;
    for (const char* dependency : {"libqt6widgets6", "libqt6gui6", "libqt6core6", "libqt6svg6",
                                   "libcurl4", "libjpeg62-turbo", "libstdc++6", "libc6"})
        EXPECT_NE(log.find(dependency), std::string::npos) << dependency << " in " << log;
    ASSERT_EQ(Shell("dpkg-deb --contents '" + deb + "'", &log), 0) << log;
    for (const char* file :
         {"./usr/bin/talbex", "./usr/share/applications/org.talbex.Talbex.desktop",
          "./usr/share/metainfo/org.talbex.Talbex.metainfo.xml",
          "./usr/share/icons/hicolor/scalable/apps/org.talbex.Talbex.svg",
          "./usr/share/talbex/index_cn.htm"})
        EXPECT_NE(log.find(file), std::string::npos) << file;
}

}  // namespace
}  // namespace talbex
