// Message boxes, as every window shows them: a text, OK or Yes/No with the question
// icon. The headless backend prints them and answers from rules or a default; the
// desktop backend shows real ones.
#pragma once

#include <string>

namespace talbex::ui {

enum class MessageBoxKind { kOk, kYesNoQuestion };
enum class MessageBoxAnswer { kOk, kYes, kNo };

class MessageBoxes {
  public:
    virtual ~MessageBoxes() = default;
    /// Shows the box modally and answers the user's choice. `caption` may be empty.
    virtual MessageBoxAnswer Show(const std::string& text, const std::string& caption,
                                  MessageBoxKind kind) = 0;
};

}  // namespace talbex::ui
