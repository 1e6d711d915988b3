#include "app/script.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <optional>

namespace talbex::app {

namespace {

// Reads the words of one line: plain words end at white space, quoted ones at the
// closing quote.
class Words {
  public:
    explicit Words(const std::string& line) : line_(line) {}

    bool AtEnd() {
        SkipSpace();
        return pos_ >= line_.size();
    }
    std::optional<std::string> Word() {
        SkipSpace();
        if (pos_ >= line_.size() || line_[pos_] == '"')
            return std::nullopt;
        const size_t start = pos_;
        while (pos_ < line_.size() && !std::isspace(static_cast<unsigned char>(line_[pos_])))
            ++pos_;
        return line_.substr(start, pos_ - start);
    }
    std::optional<std::string> Quoted() {
        SkipSpace();
        if (pos_ >= line_.size() || line_[pos_] != '"')
            return std::nullopt;
        std::string text;
        for (++pos_; pos_ < line_.size(); ++pos_) {
            char c = line_[pos_];
            if (c == '"') {
                ++pos_;
                return text;
            }
            if (c == '\\' && pos_ + 1 < line_.size() &&
                (line_[pos_ + 1] == '"' || line_[pos_ + 1] == '\\'))
                c = line_[++pos_];
            text += c;
        }
        return std::nullopt;  // no closing quote
    }
    /// The rest of the line, without surrounding white space.
    std::string Rest() {
        SkipSpace();
        size_t end = line_.size();
        while (end > pos_ && std::isspace(static_cast<unsigned char>(line_[end - 1])))
            --end;
        std::string rest = line_.substr(pos_, end - pos_);
        pos_ = line_.size();
        return rest;
    }

  private:
    void SkipSpace() {
        while (pos_ < line_.size() && std::isspace(static_cast<unsigned char>(line_[pos_])))
            ++pos_;
    }
    const std::string& line_;
    size_t pos_ = 0;
};

std::optional<int> Number(const std::optional<std::string>& word) {
    if (!word || word->empty())
        return std::nullopt;
    int value = 0;
    const char* end = word->data() + word->size();
    auto [ptr, ec] = std::from_chars(word->data(), end, value);
    if (ec != std::errc() || ptr != end || value < 0)
        return std::nullopt;
    return value;
}

std::optional<double> Seconds(const std::optional<std::string>& word) {
    if (!word || word->empty())
        return std::nullopt;
    double value = 0;
    const char* end = word->data() + word->size();
    auto [ptr, ec] = std::from_chars(word->data(), end, value);
    if (ec != std::errc() || ptr != end || !std::isfinite(value) || value < 0 || value > 86400)
        return std::nullopt;
    return value;
}

std::optional<ui::MessageBoxAnswer> Answer(const std::optional<std::string>& word) {
    if (!word)
        return std::nullopt;
    if (*word == "OK")
        return ui::MessageBoxAnswer::kOk;
    if (*word == "Yes")
        return ui::MessageBoxAnswer::kYes;
    if (*word == "No")
        return ui::MessageBoxAnswer::kNo;
    return std::nullopt;
}

std::optional<ScriptCommand> ParseLine(const std::string& line) {
    Words words(line);
    const std::optional<std::string> verb = words.Word();
    ScriptCommand c;
    using Kind = ScriptCommand::Kind;
    if (!verb)
        return std::nullopt;
    if (*verb == "wait") {
        auto s = Seconds(words.Word());
        if (!s)
            return std::nullopt;
        c.kind = Kind::kWait;
        c.seconds = *s;
    } else if (*verb == "await") {
        auto id = Number(words.Word());
        if (!id)
            return std::nullopt;
        c.kind = Kind::kAwait;
        c.controlId = *id;
        c.seconds = 30;
        if (!words.AtEnd()) {
            auto s = Seconds(words.Word());
            if (!s)
                return std::nullopt;
            c.seconds = *s;
        }
    } else if (*verb == "click") {
        auto id = Number(words.Word());
        if (!id)
            return std::nullopt;
        c.kind = Kind::kClick;
        c.controlId = *id;
    } else if (*verb == "doubleclick") {
        auto id = Number(words.Word());
        if (!id)
            return std::nullopt;
        c.kind = Kind::kDoubleClick;
        c.controlId = *id;
    } else if (*verb == "key") {
        const std::optional<std::string> name = words.Word();
        const std::optional<ui::Key> key = name ? ui::KeyFromName(*name) : std::nullopt;
        if (!key)
            return std::nullopt;
        c.kind = Kind::kKey;
        c.key = *key;
    } else if (*verb == "pick") {
        auto id = Number(words.Word());
        if (!id)
            return std::nullopt;
        c.controlId = *id;
        if (auto label = words.Quoted()) {
            c.kind = Kind::kPickLabel;
            c.text = *label;
        } else if (auto row = Number(words.Word())) {
            c.kind = Kind::kPickRow;
            c.row = *row;
        } else {
            return std::nullopt;
        }
    } else if (*verb == "type") {
        auto id = Number(words.Word());
        auto text = words.Quoted();
        if (!id || !text)
            return std::nullopt;
        c.kind = Kind::kType;
        c.controlId = *id;
        c.text = *text;
    } else if (*verb == "answer") {
        auto text = words.Quoted();
        auto answer = Answer(words.Word());
        if (!text || !answer)
            return std::nullopt;
        c.kind = Kind::kAnswer;
        c.text = *text;
        c.answer = *answer;
    } else if (*verb == "folder") {
        auto quoted = words.Quoted();
        c.kind = Kind::kFolder;
        c.text = quoted ? *quoted : words.Rest();
        if (c.text.empty())
            return std::nullopt;
    } else if (*verb == "close") {
        c.kind = Kind::kClose;
    } else if (*verb == "quit") {
        c.kind = Kind::kQuit;
    } else {
        return std::nullopt;
    }
    if (!words.AtEnd())
        return std::nullopt;
    return c;
}

}  // namespace

bool ParseScript(std::string_view text, Script* script, std::string* error) {
    script->commands.clear();
    int number = 0;
    while (!text.empty()) {
        ++number;
        const size_t end = text.find('\n');
        std::string line(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        Words words(line);
        if (words.AtEnd() || words.Rest().front() == '#')
            continue;
        std::optional<ScriptCommand> command = ParseLine(line);
        if (!command) {
            *error = "line " + std::to_string(number) + ": cannot understand: " + line;
            return false;
        }
        command->line = number;
        script->commands.push_back(std::move(*command));
    }
    return true;
}

}  // namespace talbex::app
