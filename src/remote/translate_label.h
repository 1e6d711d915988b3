// The Chinese display form of an English property label.
#pragma once

#include <string>
#include <string_view>

#include "remote/label_dictionary.h"

namespace talbex::remote {

/// A label that is a dictionary key as a whole gives that key's value. Otherwise blanks
/// are put before digits and parentheses (and after '('), the text is split into words,
/// each word that is a key is replaced by its value, and every word is followed by one
/// blank, so a word-by-word result always ends with a blank. Texts are UTF-8; words and
/// texts of any length are kept whole.
std::string translateLabel(std::string_view text, const LabelDictionary& dictionary);

/// The same with the process's dictionary.
std::string translateLabel(std::string_view text);

}  // namespace talbex::remote
