#include "remote/window_place_file.h"

#include <charconv>

#include "platform/os/file_io.h"

namespace talbex::remote {

namespace {

// Longer than any line this file holds: a larger file is not one.
constexpr size_t kMaxFileBytes = 64;

// One decimal number (an optional '-' and digits) ending at a blank or the end.
std::optional<long> Number(std::string_view& text) {
    long value = 0;
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || ptr == text.data() || (ptr != end && *ptr != ' '))
        return std::nullopt;
    text.remove_prefix(static_cast<size_t>(ptr - text.data()));
    if (!text.empty())
        text.remove_prefix(1);
    return value;
}

}  // namespace

std::optional<ui::WindowPlacement> WindowPlaceFromBytes(std::string_view bytes, int minWidth,
                                                        int minHeight) {
    if (bytes.size() > kMaxFileBytes || bytes.empty() || bytes.back() != '\n')
        return std::nullopt;
    bytes.remove_suffix(1);
    long values[5];
    for (long& value : values) {
        const std::optional<long> number = Number(bytes);
        if (!number)
            return std::nullopt;
        value = *number;
    }
    if (!bytes.empty())
        return std::nullopt;
    const auto within = [](long v, long low, long high) { return v >= low && v <= high; };
    if (!within(values[0], -kMaxWindowOffset, kMaxWindowOffset) ||
        !within(values[1], -kMaxWindowOffset, kMaxWindowOffset) ||
        !within(values[2], minWidth, kMaxWindowSide) ||
        !within(values[3], minHeight, kMaxWindowSide) || !within(values[4], 0, 1))
        return std::nullopt;
    ui::WindowPlacement place;
    place.normal = ui::PixelRect{static_cast<int>(values[0]), static_cast<int>(values[1]),
                                 static_cast<int>(values[2]), static_cast<int>(values[3])};
    place.maximised = values[4] == 1;
    place.positioned = true;
    return place;
}

std::string WindowPlaceBytes(const ui::WindowPlacement& place) {
    return std::to_string(place.normal.left) + " " + std::to_string(place.normal.top) + " " +
           std::to_string(place.normal.width) + " " + std::to_string(place.normal.height) + " " +
           (place.maximised ? "1" : "0") + "\n";
}

std::optional<ui::WindowPlacement> ReadWindowPlace(const std::string& programDirectory,
                                                   int minWidth, int minHeight) {
    const std::optional<std::string> bytes =
        os::ReadFileStart(programDirectory + kWindowPlaceFileName, kMaxFileBytes + 1);
    if (!bytes)
        return std::nullopt;
    return WindowPlaceFromBytes(*bytes, minWidth, minHeight);
}

bool WriteWindowPlace(const std::string& programDirectory, const ui::WindowPlacement& place) {
    return os::ReplaceFile(programDirectory + kWindowPlaceFileName, WindowPlaceBytes(place));
}

}  // namespace talbex::remote
