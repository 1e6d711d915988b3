// The Debian package as a packager meets it: built with cpack from the build folder, it
// passes lintian with no error and no warning, it holds exactly the files the README says
// it installs, its changelog names its version, and its manual page shows with `man -l`
// and lists every option `talbex --help` does.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "app/talbex_process.h"

namespace talbex {
namespace {

namespace fs = std::filesystem;

class PackageTest : public apptest::TalbexProcessTest {
  protected:
    /// The files the README's package section lists: the block after "It installs these
    /// files".
    static std::set<std::string> ReadmeFiles() {
        std::istringstream readme(Slurp(TALBEX_SOURCE_DIR "/README.md"));
        std::set<std::string> files;
        std::string line;
        while (std::getline(readme, line) && line.rfind("It installs these files", 0) != 0) {
        }
        while (std::getline(readme, line) && line.rfind("```", 0) != 0) {
        }
        while (std::getline(readme, line) && line.rfind("```", 0) != 0)
            files.insert(line);
        return files;
    }
};

TEST_F(PackageTest, LintianAcceptsThePackageThatHoldsTheReadmesFilesAndItsManualPage) {
    for (const char* tool : {"dpkg-deb", "dpkg-shlibdeps", "lintian", "man"})
        if (!Installed(tool))
            GTEST_SKIP() << tool << " is missing (Debian packages dpkg-dev, lintian, man-db): "
                         << "the package was not checked";
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

    // An override would need its reason written beside it; there is none.
    EXPECT_EQ(Shell("lintian --fail-on error,warning '" + deb + "'", &log), 0) << log;
    EXPECT_EQ(std::regex_search(log, std::regex("^[EW]: ", std::regex::multiline)), false) << log;

    ASSERT_EQ(Shell("dpkg-deb --contents '" + deb + "'", &log), 0) << log;
    std::set<std::string> files;
    std::istringstream listing(log);
    for (std::string line; std::getline(listing, line);) {
        const size_t path = line.find(" ./");
        if (!line.empty() && line[0] != 'd' && path != std::string::npos)
            files.insert(line.substr(path + 2));
    }
    EXPECT_EQ(files, ReadmeFiles());

    const std::string root = dir_ / "root";
    ASSERT_EQ(Shell("dpkg-deb --extract '" + deb + "' '" + root + "'", &log), 0) << log;
    const std::string changelog = dir_ / "changelog";
    ASSERT_EQ(Shell("zcat '" + root + "/usr/share/doc/talbex/changelog.gz' >'" + changelog +
                        "' && dpkg-parsechangelog --show-field Version --file '" + changelog + "'",
                    &log),
              0)
        << log;
    EXPECT_EQ(log, "4.5.0\n");

    std::string manual;
    ASSERT_EQ(Shell("MANWIDTH=80 man -l '" + root + "/usr/share/man/man1/talbex.1.gz'", &manual), 0)
        << manual;
    EXPECT_NE(manual.find("talbex - identify, set up and remote-control digital cameras"),
              std::string::npos)
        << manual;
    const apptest::Outcome help = RunTalbex({"--help"});
    ASSERT_EQ(help.status, 0);
    const std::regex option("^  (--[a-z-]+)", std::regex::multiline);
    int options = 0;
    for (std::sregex_iterator it(help.out.begin(), help.out.end(), option), end; it != end;
         ++it, ++options)
        EXPECT_NE(manual.find((*it)[1].str()), std::string::npos) << (*it)[1] << "\n" << manual;
    EXPECT_GE(options, 6);
}

}  // namespace
}  // namespace talbex
