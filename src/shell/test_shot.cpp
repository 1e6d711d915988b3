#include "shell/test_shot.h"

#include <unistd.h>

#include <cerrno>
#include <sstream>
#include <vector>

#include "platform/os/diagnostics.h"
#include "platform/os/file_io.h"

namespace talbex::shell {

namespace {

// One line per camera: its key's model and serial, then focus mode, image quality, ISO
// and shutter speed, tab-separated; "-" for a value never read. Backslash, tab, line
// break and carriage return in the texts are written \\, \t, \n, \r.
constexpr size_t kMaxFileBytes = 1u << 20;

std::string Escape(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string Unescape(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char c = text[++i];
        out += c == 't' ? '\t' : c == 'n' ? '\n' : c == 'r' ? '\r' : c;
    }
    return out;
}

std::string Field(const std::optional<uint32_t>& value) {
    return value ? std::to_string(*value) : "-";
}

// A value as written by Field; false for anything else.
bool ParseField(const std::string& text, std::optional<uint32_t>* value) {
    if (text == "-") {
        value->reset();
        return true;
    }
    if (text.empty() || text.size() > 10 ||
        text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    const unsigned long long number = std::stoull(text);
    if (number > UINT32_MAX)
        return false;
    *value = static_cast<uint32_t>(number);
    return true;
}

std::vector<std::string> SplitTabs(const std::string& line) {
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
        const size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab - start));
        if (tab == std::string::npos)
            return fields;
        start = tab + 1;
    }
}

}  // namespace

bool IsValidSerial(const std::string& serial) {
    if (serial.size() < 8)
        return false;
    for (char c : serial)
        if (c < '0' || c > '9')
            return false;
    return true;
}

std::string UnrestoredSettingsFile(const std::string& programDirectory) {
    return programDirectory + "unrestored.txt";
}

UnrestoredSettings::Table UnrestoredSettings::Load() const {
    if (path_.empty())
        return settings_;
    Table table = settings_;  // what could not be written
    const std::optional<std::string> text = os::ReadRegularFile(path_, kMaxFileBytes);
    if (!text)
        return table;
    std::istringstream lines(*text);
    std::string line;
    while (std::getline(lines, line)) {
        const std::vector<std::string> f = SplitTabs(line);
        UserSettings s;
        if (f.size() != 6 || !ParseField(f[2], &s.afMode) || !ParseField(f[3], &s.imageQuality) ||
            !ParseField(f[4], &s.iso) || !ParseField(f[5], &s.shutterSpeed))
            continue;  // not a line this program wrote
        table.emplace(Unescape(f[0]) + '\n' + Unescape(f[1]), s);
    }
    return table;
}

void UnrestoredSettings::Store(const Table& table) {
    if (path_.empty()) {
        settings_ = table;
        return;
    }
    std::string text;
    for (const auto& [camera, s] : table) {
        const size_t split = camera.find('\n');
        text += Escape(camera.substr(0, split)) + '\t' +
                Escape(split == std::string::npos ? "" : camera.substr(split + 1)) + '\t' +
                Field(s.afMode) + '\t' + Field(s.imageQuality) + '\t' + Field(s.iso) + '\t' +
                Field(s.shutterSpeed) + '\n';
    }
    std::string error;
    if (text.empty() && (::unlink(path_.c_str()) == 0 || errno == ENOENT)) {
        settings_.clear();
        return;
    }
    if (os::ReplaceFile(path_, text, &error, 0600)) {
        settings_.clear();
        return;
    }
    os::Diagnostic("the camera settings to put back are kept only until the program ends: %s\n",
                   error.c_str());
    settings_ = table;
}

void UnrestoredSettings::Keep(const std::string& camera, const UserSettings& settings) {
    Table table = Load();
    table[camera] = settings;
    Store(table);
}

std::optional<UserSettings> UnrestoredSettings::Find(const std::string& camera) const {
    const Table table = Load();
    auto it = table.find(camera);
    return it == table.end() ? std::nullopt : std::optional<UserSettings>(it->second);
}

void UnrestoredSettings::Forget(const std::string& camera) {
    Table table = Load();
    if (table.erase(camera) > 0)
        Store(table);
}

}  // namespace talbex::shell
