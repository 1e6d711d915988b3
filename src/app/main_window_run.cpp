#include "shell/main_window_run.h"

#include <chrono>
#include <condition_variable>
#include <fstream>
#include <mutex>
#include <thread>

#include "camera/sdk/sdk_backend.h"
#include "platform/os/launcher.h"
#include "platform/os/locale_id.h"
#include "platform/os/program_directory.h"
#include "platform/ui/change_listener.h"
#include "platform/ui/headless_prompts.h"
#include "platform/ui/prompts.h"
#include "shell/locked_output.h"
#include "shell/script_driver.h"
#include "shell/shipped_files.h"
#include "shell/vellmora_app.h"
#include "web/vendor_host.h"

namespace talbex::shell {

namespace {

// Without a display nothing is opened: the address or program is printed instead.
class PrintingLauncher final : public os::Launcher {
  public:
    explicit PrintingLauncher(std::ostream& out) : out_(out) {}
    void OpenInBackground(const std::string& address) override {
        out_ << "browser would open: " << address << std::endl;
    }
    bool Run(const std::string& path) override {
        out_ << "would run: " << path << std::endl;
        return true;
    }

  private:
    std::ostream& out_;
};

void PrintIdentity(std::ostream& out, const web::CameraIdentity& id) {
    out << "identity: model=" << id.model << "; lens=" << id.lens << "; serial=" << id.serialNumber
        << "; shutter count=" << id.shutterCount << "; firmware=" << id.firmware
        << "; owner=" << id.owner << "; artist=" << id.artist << "; copyright=" << id.copyright
        << std::endl;
}

std::optional<ui::MessageBoxAnswer> AnswerNamed(const std::string& name) {
    if (name == "OK")
        return ui::MessageBoxAnswer::kOk;
    if (name == "Yes")
        return ui::MessageBoxAnswer::kYes;
    if (name == "No")
        return ui::MessageBoxAnswer::kNo;
    return std::nullopt;
}

// Ends the run when asked to, or at a deadline; the waiting thread is woken at once when
// the run ends on its own.
class Ending {
  public:
    void Finished() {
        std::lock_guard lock(mutex_);
        finished_ = true;
        changed_.notify_all();
    }
    bool IsFinished() {
        std::lock_guard lock(mutex_);
        return finished_;
    }
    /// True when the time ran out before the run finished.
    bool WaitFor(std::chrono::duration<double> limit) {
        std::unique_lock lock(mutex_);
        return !changed_.wait_for(lock, limit, [&] { return finished_; });
    }

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool finished_ = false;
};

}  // namespace

bool ParseMainWindowOption(const std::vector<std::string>& args, size_t& index,
                           MainWindowRunOptions& options, std::string* error) {
    const std::string& flag = args[index];
    auto value = [&]() -> const std::string* {
        if (index + 1 >= args.size()) {
            *error = "option '" + flag + "' needs a value";
            return nullptr;
        }
        return &args[++index];
    };
    if (flag == "--headless")
        return true;
    if (flag == "--seconds") {
        const std::string* v = value();
        if (v == nullptr)
            return false;
        char* end = nullptr;
        const double seconds = std::strtod(v->c_str(), &end);
        if (v->empty() || *end != '\0' || !(seconds >= 0) || seconds > 1e6) {
            *error = "--seconds wants a number of seconds, not '" + *v + "'";
            return false;
        }
        options.seconds = seconds;
        return true;
    }
    if (flag == "--language") {
        const std::string* v = value();
        if (v == nullptr)
            return false;
        if (*v == "en")
            options.localeId = 1033;
        else if (*v == "zh")
            options.localeId = 2052;
        else {
            *error = "--language wants en or zh, not '" + *v + "'";
            return false;
        }
        return true;
    }
    if (flag == "--answer") {
        const std::string* v = value();
        if (v == nullptr)
            return false;
        const size_t equals = v->rfind('=');
        std::optional<ui::MessageBoxAnswer> answer;
        if (equals != std::string::npos)
            answer = AnswerNamed(v->substr(equals + 1));
        if (!answer || equals == 0) {
            *error = "--answer wants \"start of a message\"=OK|Yes|No, not '" + *v + "'";
            return false;
        }
        options.answers.emplace_back(v->substr(0, equals), *answer);
        return true;
    }
    if (flag == "--script") {
        const std::string* v = value();
        if (v == nullptr)
            return false;
        options.scriptPath = *v;
        return true;
    }
    *error = "unknown option '" + flag + "'";
    return false;
}

int RunMainWindow(const MainWindowRunOptions& options, std::ostream& target, std::ostream& err) {
    Script script;
    if (!options.scriptPath.empty()) {
        std::ifstream in(options.scriptPath);
        if (!in) {
            err << "talbex: cannot read the script " << options.scriptPath << std::endl;
            return 2;
        }
        script = ParseScript(in);
        if (!script.error.empty()) {
            err << "talbex: script " << options.scriptPath << " " << script.error << std::endl;
            return 2;
        }
    }
    std::string problem;
    if (!MakeBackendFromEnvironment(&problem)) {
        err << "talbex: " << problem << std::endl;
        return 2;
    }

    LockedBuffer shared(target);
    std::ostream out(&shared);  // window thread
    ui::HeadlessPrompts prompts(&out);
    prompts.SetDefaultYesNo(ui::MessageBoxAnswer::kNo);  // no to the update offer
    for (const auto& [text, answer] : options.answers)
        prompts.AddRule(text, answer);
    ui::PrintingChangeListener changes(out);
    PrintingLauncher launcher(out);
    ui::SetMessageBoxes(&prompts);
    ui::SetFolderChooser(&prompts);
    ui::SetChangeListener(&changes);

    if (os::EnsureProgramDirectory(nullptr))
        InstallShippedFiles(os::ProgramDirectory(), options.version);

    MainWindowSetup setup;
    if (options.localeId) {
        const uint32_t id = *options.localeId;
        setup.localeId = [id] { return id; };
    }
    setup.vendorHost = web::VendorHost();
    setup.launcher = &launcher;
    setup.modeCheckPause = std::chrono::milliseconds(500);
    setup.onIdentified = [&out](const web::CameraIdentity& id) { PrintIdentity(out, id); };
    CVellmoraApp app(setup);

    Ending ending;
    std::thread timer;
    if (options.seconds) {
        timer = std::thread([&] {
            if (ending.WaitFor(std::chrono::duration<double>(*options.seconds))) {
                std::ostream(&shared)
                    << "time is up after " << *options.seconds << " s" << std::endl;
                app.RequestStop();
            }
        });
    }
    std::thread driver;
    if (!options.scriptPath.empty()) {
        driver = std::thread([&] {
            std::ostream driverOut(&shared);
            ScriptDriver run(
                prompts, driverOut, [&] { app.RequestStop(); },
                [&] { return ending.IsFinished(); });
            run.Run(script);
        });
    }
    const int status = app.Run();
    ending.Finished();
    if (timer.joinable())
        timer.join();
    if (driver.joinable())
        driver.join();
    ui::SetChangeListener(nullptr);
    ui::SetMessageBoxes(nullptr);
    ui::SetFolderChooser(nullptr);
    out.flush();
    return status;
}

}  // namespace talbex::shell
