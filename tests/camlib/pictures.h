// The test camera's images: live-view frames and pictures, real JPEG files; a picture
// carries an EXIF block with the body's serial as the simulated camera writes it.
#pragma once

#include <string>
#include <vector>

namespace tcam {

/// A coloured frame with a dark bar where the lens focuses, lighter the more it is zoomed.
std::vector<unsigned char> Frame(int width, int height, int focus, int zoom);

/// A 640x480 picture; `serial` goes into its EXIF block (body serial text, and the maker
/// note's number when it is one), none when empty.
std::vector<unsigned char> PictureFile(const std::string& model, const std::string& serial,
                                       int focus);

}  // namespace tcam
