#include "app/main_window_options.h"

#include <cstdlib>

#include "platform/os/locale_id.h"

namespace talbex::app {

namespace {

std::optional<ui::MessageBoxAnswer> AnswerNamed(const std::string& name) {
    if (name == "OK")
        return ui::MessageBoxAnswer::kOk;
    if (name == "Yes")
        return ui::MessageBoxAnswer::kYes;
    if (name == "No")
        return ui::MessageBoxAnswer::kNo;
    return std::nullopt;
}

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
    if (flag == "--headless") {
        options.headless = true;
        return true;
    }
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
            options.localeId = os::kLocaleEnglishUnitedStates;
        else if (*v == "zh")
            options.localeId = os::kLocaleChinesePrc;
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

}  // namespace talbex::app
