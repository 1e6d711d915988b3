#include "camera/sdk/gphoto2/focus_points.h"

#include <charconv>
#include <string>

namespace talbex::gphoto {

namespace {

// Reads a whole signed number at `at`, moving past it.
bool Number(std::string_view text, size_t& at, int32_t* out) {
    const char* begin = text.data() + at;
    const char* end = text.data() + text.size();
    const auto [next, error] = std::from_chars(begin, end, *out);
    if (error != std::errc())
        return false;
    at += static_cast<size_t>(next - begin);
    return true;
}

bool Expect(std::string_view text, size_t& at, std::string_view what) {
    if (text.substr(at, what.size()) != what)
        return false;
    at += what.size();
    return true;
}

// "WxH" after `key` ("size=").
bool Size(std::string_view text, std::string_view key, SdkSize* out) {
    size_t at = text.find(key);
    if (at == std::string_view::npos)
        return false;
    at += key.size();
    return Number(text, at, &out->width) && Expect(text, at, "x") &&
           Number(text, at, &out->height) && out->width > 0 && out->height > 0;
}

}  // namespace

std::optional<FocusPoints> ParseFocusPoints(std::string_view text) {
    FocusPoints result;
    if (text.substr(0, 11) != "eosversion=" || !Size(text, ",size=", &result.area))
        return std::nullopt;
    size_t at = text.find("points={");
    if (at == std::string_view::npos)
        return std::nullopt;
    at += 8;
    SdkFocusInfo& info = result.info;
    info.imageRect = {0, 0, result.area.width, result.area.height};
    while (at < text.size() && text[at] == '{') {
        ++at;
        int32_t v[4];
        for (int i = 0; i < 4; ++i)
            if (!Number(text, at, &v[i]) || !Expect(text, at, i < 3 ? "," : "}"))
                return std::nullopt;
        // Every point keeps its place in the list, which "select" refers to.
        if (info.pointNumber < kMaxFocusPoints) {
            SdkFocusPoint& p = info.focusPoint[info.pointNumber++];
            p.valid = v[2] > 0 && v[3] > 0 ? 1 : 0;
            p.rect = {result.area.width / 2 + v[0] - v[2] / 2,
                      result.area.height / 2 - v[1] - v[3] / 2, v[2], v[3]};
        }
        if (at < text.size() && text[at] == ',')
            ++at;
    }
    if (!Expect(text, at, "}"))
        return std::nullopt;
    // The points in focus, by their place in the list.
    at = text.find("select={", at);
    if (at == std::string_view::npos)
        return result;
    at += 8;
    int32_t index = 0;
    while (at < text.size() && text[at] != '}' && Number(text, at, &index)) {
        if (index >= 0 && static_cast<uint32_t>(index) < info.pointNumber) {
            info.focusPoint[index].selected = 1;
            info.focusPoint[index].justFocus = 1;
        }
        if (at < text.size() && text[at] == ',')
            ++at;
    }
    return result;
}

}  // namespace talbex::gphoto
