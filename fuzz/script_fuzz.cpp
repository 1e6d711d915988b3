// Any bytes as a script: a script that is understood is written out again, one command a
// line with every text quoted, and must read back as the same commands; one that is not
// names the line it stopped at.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "app/script.h"
#include "platform/ui/keys.h"

namespace {

using talbex::app::ScriptCommand;
using Kind = ScriptCommand::Kind;

std::string Quoted(const std::string& text) {
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\')
            quoted += '\\';
        quoted += c;
    }
    return quoted + '"';
}

const char* AnswerWord(talbex::ui::MessageBoxAnswer answer) {
    switch (answer) {
        case talbex::ui::MessageBoxAnswer::kYes:
            return "Yes";
        case talbex::ui::MessageBoxAnswer::kNo:
            return "No";
        default:
            return "OK";
    }
}

std::string Line(const ScriptCommand& c) {
    const std::string id = std::to_string(c.controlId);
    char seconds[40];
    std::snprintf(seconds, sizeof seconds, "%.17g", c.seconds);
    switch (c.kind) {
        case Kind::kWait:
            return std::string("wait ") + seconds;
        case Kind::kAwait:
            return "await " + id + " " + seconds;
        case Kind::kClick:
            return "click " + id;
        case Kind::kDoubleClick:
            return "doubleclick " + id;
        case Kind::kKey:
            return "key " + talbex::ui::KeyName(c.key);
        case Kind::kPickRow:
            return "pick " + id + " " + std::to_string(c.row);
        case Kind::kPickLabel:
            return "pick " + id + " " + Quoted(c.text);
        case Kind::kType:
            return "type " + id + " " + Quoted(c.text);
        case Kind::kAnswer:
            return "answer " + Quoted(c.text) + " " + AnswerWord(c.answer);
        case Kind::kFolder:
            return "folder " + Quoted(c.text);
        case Kind::kClose:
            return "close";
        case Kind::kQuit:
            return "quit";
    }
    return {};
}

bool Same(const ScriptCommand& a, const ScriptCommand& b) {
    return a.kind == b.kind && a.seconds == b.seconds && a.controlId == b.controlId &&
           a.row == b.row && a.key == b.key && a.text == b.text && a.answer == b.answer;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    talbex::app::Script script;
    std::string error;
    if (!talbex::app::ParseScript(text, &script, &error)) {
        if (error.rfind("line ", 0) != 0)
            __builtin_trap();
        return 0;
    }
    std::string written;
    int previous = 0;
    for (const ScriptCommand& c : script.commands) {
        if (c.line <= previous || c.controlId < 0 || c.row < 0 || !(c.seconds >= 0) ||
            c.seconds > 86400)
            __builtin_trap();
        previous = c.line;
        written += Line(c) + "\n";
    }
    talbex::app::Script again;
    if (!talbex::app::ParseScript(written, &again, &error) ||
        again.commands.size() != script.commands.size())
        __builtin_trap();
    for (size_t i = 0; i < again.commands.size(); ++i) {
        if (!Same(again.commands[i], script.commands[i]))
            __builtin_trap();
    }
    return 0;
}
