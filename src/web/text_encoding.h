// Encodings of texts sent to the web service.
#pragma once

#include <string>
#include <string_view>

namespace talbex::web {

/// Letters and digits stay, white space becomes "+", every other byte becomes "%" and two
/// upper-case hexadecimal digits.
std::string PercentEncode(std::string_view text);

/// The form the service expects for texts users type into the camera (owner, artist,
/// copyright): runs of ASCII characters stay as they are (no encoding of spaces, "&" or
/// "=" in them); every other character is sent as its UTF-8 bytes, each as "%XX". Bytes
/// that are not part of a valid UTF-8 character are dropped.
std::string EncodeDoubleByteText(std::string_view text);

}  // namespace talbex::web
