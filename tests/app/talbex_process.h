// Runs the built talbex program as a user would, in a folder of its own, and collects
// its exit status and both outputs.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/temp_folder.h"

namespace talbex::apptest {

struct Outcome {
    int status = -1;
    std::string out, err;
};

class TalbexProcessTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // Test programs live in <build>/tests/, the program in <build>/src/.
        program_ = std::filesystem::read_symlink("/proc/self/exe").parent_path().parent_path() /
                   "src/talbex";
        ASSERT_TRUE(std::filesystem::exists(program_)) << program_;
        // Every run takes its single-instance lock in its own program folder, unless a test
        // gives it a runtime folder: runs of parallel tests never meet.
        unsetenv("XDG_RUNTIME_DIR");
    }

    /// Runs talbex with `args`, each quoted; `environment` (e.g. "env X=1") goes first.
    Outcome RunTalbex(const std::vector<std::string>& args, const std::string& environment = "") {
        std::string command = environment;
        command += " '" + program_.string() + "'";
        for (const std::string& a : args)
            command += " '" + a + "'";
        command += " >'" + dir_ / "out" + "' 2>'" + dir_ / "err" + "'";
        Outcome run;
        const int raw = std::system(command.c_str());
        run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        run.out = Slurp(dir_ / "out");
        run.err = Slurp(dir_ / "err");
        return run;
    }

    /// Runs a shell command; its exit status, its standard output (and error) in `*out`.
    int Shell(const std::string& command, std::string* out) {
        const std::string log = dir_ / "shell.log";
        const int raw = std::system((command + " >'" + log + "' 2>&1").c_str());
        *out = Slurp(log);
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }
    static bool Installed(const std::string& program) {
        return std::system(("command -v " + program + " >/dev/null 2>&1").c_str()) == 0;
    }

    static std::string Slurp(const std::string& path) {
        std::ostringstream text;
        text << std::ifstream(path).rdbuf();
        return text.str();
    }

    std::filesystem::path program_;
    talbex::testing::TempFolder dir_{"talbex-process"};
};

}  // namespace talbex::apptest
