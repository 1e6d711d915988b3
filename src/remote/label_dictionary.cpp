#include "remote/label_dictionary.h"

namespace talbex::remote {

namespace {

char FoldUpper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

}  // namespace

bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (FoldUpper(a[i]) != FoldUpper(b[i]))
            return false;
    }
    return true;
}

LabelDictionary& LabelDictionary::Instance() {
    static LabelDictionary* dictionary = [] {
        auto* made = new LabelDictionary;  // never destroyed: used until the process ends
        AddRemoteControlLabels(*made);
        return made;
    }();
    return *dictionary;
}

bool LabelDictionary::Add(std::string key, std::string value) {
    std::lock_guard lock(mutex_);
    for (const auto& entry : entries_) {
        if (EqualIgnoringAsciiCase(entry.first, key))
            return false;
    }
    entries_.emplace_back(std::move(key), std::move(value));
    return true;
}

std::optional<std::string> LabelDictionary::Find(std::string_view text) const {
    std::lock_guard lock(mutex_);
    for (const auto& entry : entries_) {
        if (EqualIgnoringAsciiCase(entry.first, text))
            return entry.second;
    }
    return std::nullopt;
}

std::vector<std::pair<std::string, std::string>> LabelDictionary::Entries() const {
    std::lock_guard lock(mutex_);
    return entries_;
}

void AddRemoteControlLabels(LabelDictionary& dictionary) {
    static const char* const kEntries[][2] = {
        {"GreeMode", "全自动"},
        {"P", "程序优先"},
        {"Tv", "快门优先"},
        {"Av", "光圈优先"},
        {"M", "全手动"},
        {"Portrait", "人像"},
        {"LandScape", "风景"},
        {"CloseUp", "微距"},
        {"Sports", "运动"},
        {"Night Portrait", "夜景人像"},
        {"No Strobo", "禁用闪光灯"},
        {"A-DEP", "用户自定义"},
        {"Center-Weighted Average", "中央加权平均"},
        {"Partial", "局部测光"},
        {"Evaluative", "评价测光"},
        {"Small", "小"},
        {"Middle", "中"},
        {"Large", "大"},
        {"Fine", "优质"},
        {"Normal", "普通"},
        {"RAW", "原始"},
        {"Single Shooting", "单拍"},
        {"Continuous Shooting", "连拍"},
        {"Self-timer", "自拍定时器"},
        {"One-Shot AF", "单次自动对焦"},
        {"AI Focus AF", "人工智能对焦"},
        {"AI Servo AF", "人工智能伺服对焦"},
        {"AUTO", "自动"},
        {"DayLight", "日光"},
        {"Shade", "阴影"},
        {"Cloudy", "阴天"},
        {"Tungsten light", "钨丝灯"},
        {"White fluorescent light", "白色荧光灯"},
        {"Flash", "闪光灯"},
        {"Custom", "自定义"},
        {"Custom", "自定义"},
        {"Jpeg", "照片"},
        {"Jpeg", "照片"},
        {"unknown", "未知"},
        {"Off", "关"},
        {"On", "开"},
        {"Manual Focus", "手动对焦"},
        {"Manual", "手动"},
        {"Silent single shooting", "无声单拍"},
    };
    // The words of the image qualities the first table did not know (a basic and an extra
    // fine JPEG), so they read in Chinese as the others do.
    static const char* const kQualityWords[][2] = {
        {"Basic", "基本"},
        {"Extra", "超"},
    };
    for (const auto& entry : kEntries)
        dictionary.Add(entry[0], entry[1]);
    for (const auto& entry : kQualityWords)
        dictionary.Add(entry[0], entry[1]);
}

}  // namespace talbex::remote
