// Fakes and helpers shared by the web tests.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "platform/os/launcher.h"
#include "platform/ui/message_box.h"
#include "support/temp_folder.h"

namespace talbex::web::testing {

struct ShownBox {
    std::string text;
    ui::MessageBoxKind kind;
};

class RecordingMessageBoxes : public ui::MessageBoxes {
  public:
    explicit RecordingMessageBoxes(ui::MessageBoxAnswer answer = ui::MessageBoxAnswer::kOk)
        : answer_(answer) {}
    ui::MessageBoxAnswer Show(const std::string& text, const std::string&,
                              ui::MessageBoxKind kind) override {
        shown.push_back({text, kind});
        return answer_;
    }
    std::vector<ShownBox> shown;

  private:
    ui::MessageBoxAnswer answer_;
};

class RecordingLauncher : public os::Launcher {
  public:
    explicit RecordingLauncher(bool runSucceeds = true) : runSucceeds_(runSucceeds) {}
    void OpenInBackground(const std::string& address) override { opened.push_back(address); }
    bool Run(const std::string& path) override {
        run.push_back(path);
        return runSucceeds_;
    }
    std::vector<std::string> opened;
    std::vector<std::string> run;

  private:
    bool runSucceeds_;
};

// Requests to 127.0.0.1 must reach the test's own server, not a proxy of the machine.
inline void ClearProxyEnvironment() {
    for (const char* name : {"http_proxy", "HTTP_PROXY", "all_proxy", "ALL_PROXY"})
        unsetenv(name);
}

using TemporaryDirectory = talbex::testing::TempFolder;

}  // namespace talbex::web::testing
