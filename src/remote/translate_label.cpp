#include "remote/translate_label.h"

namespace talbex::remote {

namespace {

bool IsDigitOrParenthesis(char c) {
    return (c >= '0' && c <= '9') || c == '(' || c == ')';
}

bool IsSeparator(char c) {
    return c == '\t' || c == '\n' || c == '\r' || c == ' ' || c == ';';
}

}  // namespace

std::string translateLabel(std::string_view text, const LabelDictionary& dictionary) {
    if (auto whole = dictionary.Find(text))
        return *whole;

    // Walking backwards keeps the positions still to be examined where they were. The
    // first character never gets a blank before it ("10-Sec" becomes "1 0-Sec").
    std::string spaced(text);
    for (size_t i = spaced.size(); i-- > 1;) {
        if (IsDigitOrParenthesis(spaced[i]))
            spaced.insert(i, 1, ' ');
    }
    for (size_t i = spaced.size(); i-- > 1;) {
        if (spaced[i] == '(')
            spaced.insert(i + 1, 1, ' ');
    }

    std::string result;
    size_t at = 0;
    while (at < spaced.size()) {
        while (at < spaced.size() && IsSeparator(spaced[at]))
            ++at;
        size_t end = at;
        while (end < spaced.size() && !IsSeparator(spaced[end]))
            ++end;
        if (end > at) {
            const std::string_view word(spaced.data() + at, end - at);
            if (auto value = dictionary.Find(word))
                result += *value;
            else
                result += word;
            result += ' ';
        }
        at = end;
    }
    return result;
}

std::string translateLabel(std::string_view text) {
    return translateLabel(text, LabelDictionary::Instance());
}

}  // namespace talbex::remote
