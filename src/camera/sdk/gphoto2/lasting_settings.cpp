#include "camera/sdk/gphoto2/lasting_settings.h"

#include <gphoto2/gphoto2-result.h>
#include <gphoto2/gphoto2-setting.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <mutex>
#include <sstream>

#include "platform/os/diagnostics.h"
#include "platform/os/file_io.h"
#include "platform/os/program_directory.h"

namespace talbex::gphoto {

namespace {

constexpr char kDriver[] = "ptp2";
constexpr char kKey[] = "capturetarget";
constexpr char kNoteName[] = ".capture-target-to-restore";
// What the note says when the user had no lasting capture target at all.
constexpr char kAbsent[] = "absent";
constexpr size_t kMaxSettingsBytes = 1u << 20;

struct State {
    std::mutex mutex;
    std::optional<std::optional<std::string>> original;  // read once: the value, or none
    bool due = false;                                    // changed since the last put back
    bool recovered = false;
};

State& Shared() {
    static State state;
    return state;
}

std::optional<std::string> ReadSetting() {
    char value[1024] = {};
    if (gp_setting_get(const_cast<char*>(kDriver), const_cast<char*>(kKey), value) != GP_OK)
        return std::nullopt;
    return std::string(value);
}

// libgphoto2 can set a setting but never remove one: a user who had none gets the line
// taken out of the file itself (libgphoto2 writes the file whole at each change, so a
// later change in this process brings it back, and the next put back takes it out again).
void RemoveFromFile() {
    const std::string path = LastingCaptureTarget::SettingsPath();
    const std::optional<std::string> text = os::ReadRegularFile(path, kMaxSettingsBytes);
    if (!text)
        return;
    const std::string prefix = std::string(kDriver) + '=' + kKey + '=';
    std::istringstream lines(*text);
    std::string kept, line;
    bool removed = false;
    while (std::getline(lines, line)) {
        if (line.rfind(prefix, 0) == 0) {
            removed = true;
            continue;
        }
        kept += line + '\n';
    }
    std::string error;
    if (removed && !os::ReplaceFile(path, kept, &error, 0644))
        os::Diagnostic("cannot put libgphoto2's capture target back: %s\n", error.c_str());
}

void Apply(const std::optional<std::string>& value) {
    if (value)
        gp_setting_set(const_cast<char*>(kDriver), const_cast<char*>(kKey),
                       const_cast<char*>(value->c_str()));
    else
        RemoveFromFile();
}

bool ProgramFolderExists() {
    struct stat st {};
    return ::stat(os::ProgramDirectory().c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

void WriteNote(const std::optional<std::string>& value) {
    if (!ProgramFolderExists())
        return;
    std::string error;
    if (!os::ReplaceFile(LastingCaptureTarget::NotePath(),
                         value ? "value=" + *value + '\n' : std::string(kAbsent) + '\n', &error,
                         0600))
        os::Diagnostic("cannot note libgphoto2's capture target: %s\n", error.c_str());
}

}  // namespace

std::string LastingCaptureTarget::NotePath() {
    return os::ProgramDirectory() + kNoteName;
}

std::string LastingCaptureTarget::SettingsPath() {
    const char* home = std::getenv("HOME");
    return std::string(home != nullptr ? home : "") + "/.gphoto/settings";
}

void LastingCaptureTarget::Keep() {
    State& s = Shared();
    std::lock_guard lock(s.mutex);
    if (!s.original)
        s.original = ReadSetting();
    if (!s.due)
        WriteNote(*s.original);
    s.due = true;
}

void LastingCaptureTarget::PutBack() {
    State& s = Shared();
    std::lock_guard lock(s.mutex);
    if (!s.due || !s.original)
        return;
    Apply(*s.original);
    s.due = false;
    ::unlink(NotePath().c_str());
}

void LastingCaptureTarget::RecoverFromEarlierRun() {
    State& s = Shared();
    std::lock_guard lock(s.mutex);
    if (s.recovered)
        return;
    s.recovered = true;
    const std::optional<std::string> note = os::ReadRegularFile(NotePath(), 4096);
    if (!note)
        return;
    std::optional<std::string> value;
    std::string line = note->substr(0, note->find('\n'));
    if (line.rfind("value=", 0) == 0)
        value = line.substr(6);
    else if (line != kAbsent)
        return;  // not a note of ours: left alone
    s.original = value;
    s.due = true;
    os::Diagnostic("putting back libgphoto2's capture target, which an earlier run left changed\n");
    Apply(value);
    // The user had none: libgphoto2 may still hold the changed one and write it again, so
    // it stays due until a session ends.
    if (value) {
        s.due = false;
        ::unlink(NotePath().c_str());
    }
}

}  // namespace talbex::gphoto
