#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "remote/label_dictionary.h"
#include "remote/property_labels.h"
#include "remote/translate_label.h"

namespace talbex::remote {
namespace {

struct Row {
    uint32_t code;
    const char* english;
    const char* display;  // Chinese mode, without the blank that follows every word
    bool wordByWord;
};

void ExpectTable(const LabelTable& table, const std::vector<Row>& rows) {
    ASSERT_EQ(table.size(), rows.size());
    auto it = table.begin();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.english);
        EXPECT_EQ(it->first, row.code);  // rows come in list order
        EXPECT_EQ(it->second, row.english);
        const std::string expected = std::string(row.display) + (row.wordByWord ? " " : "");
        EXPECT_EQ(translateLabel(row.english), expected);
        ++it;
    }
}

TEST(PropertyLabels, DriveModeRowsAndTheirChineseDisplay) {
    ExpectTable(DriveModeLabels(),
                {{0x00, "Single Shooting", "单拍", false},
                 {0x01, "Continuous Shooting", "连拍", false},
                 {0x02, "Video", "Video", true},
                 {0x04, "High-Speed Continuous Shooting", "High-Speed Continuous Shooting", true},
                 {0x05, "Low-Speed Continuous Shooting", "Low-Speed Continuous Shooting", true},
                 {0x06, "Silent single shooting", "无声单拍", false},
                 {0x07, "10-Sec Self-timer plus continuous shots",
                  "1 0-Sec 自拍定时器 plus continuous shots", true},
                 {0x10, "10-Sec Self-timer", "1 0-Sec 自拍定时器", true},
                 {0x11, "2-Sec Self-timer", "2-Sec 自拍定时器", true}});
}

TEST(PropertyLabels, AfModeRowsAndTheirChineseDisplay) {
    ExpectTable(AfModeLabels(), {{0x00, "One-Shot AF", "单次自动对焦", false},
                                 {0x01, "AI Servo AF", "人工智能伺服对焦", false},
                                 {0x02, "AI Focus AF", "人工智能对焦", false},
                                 {0x03, "Manual Focus", "手动对焦", false}});
}

TEST(PropertyLabels, WhiteBalanceRowsEndWithTheTwoNegativeCodes) {
    ExpectTable(WhiteBalanceLabels(),
                {{0x00, "Auto", "自动", false},
                 {0x01, "Daylight", "日光", false},
                 {0x02, "Cloudy", "阴天", false},
                 {0x03, "Tungsten", "Tungsten", true},
                 {0x04, "Fluorescent", "Fluorescent", true},
                 {0x05, "Flash", "闪光灯", false},
                 {0x06, "Manual(set by shooting a white card or paper)",
                  "手动 ( set by shooting a white card or paper )", true},
                 {0x08, "Shade", "阴影", false},
                 {0x09, "Color temperature", "Color temperature", true},
                 {0x0A, "Custom white balance: PC-1", "自定义 white balance: PC- 1", true},
                 {0x0B, "Custom white balance: PC-2", "自定义 white balance: PC- 2", true},
                 {0x0C, "Custom white balance: PC-3", "自定义 white balance: PC- 3", true},
                 {0x0F, "Manual 2", "手动 2", true},
                 {0x10, "Manual 3", "手动 3", true},
                 {0x12, "Manual 4", "手动 4", true},
                 {0x13, "Manual 5", "手动 5", true},
                 {0x14, "Custom white balance: PC-4", "自定义 white balance: PC- 4", true},
                 {0x15, "Custom white balance: PC-5", "自定义 white balance: PC- 5", true},
                 {0xFFFFFFFE, "White balance copied from another image",
                  "White balance copied from another image", true},
                 {0xFFFFFFFF, "Setting the white balance by clicking image coordinates",
                  "Setting the white balance by clicking image coordinates", true}});
}

TEST(PropertyLabels, OffOnColourSpaceAndNoiseReduction) {
    ExpectTable(OffOnLabels(), {{0x00, "Off", "关", false}, {0x01, "On", "开", false}});
    ExpectTable(ColourSpaceLabels(),
                {{0x01, "sRGB", "sRGB", true}, {0x02, "Adobe RGB", "Adobe RGB", true}});
    ExpectTable(NoiseReductionLabels(), {{0x00, "Off", "关", false},
                                         {0x01, "On 1", "开 1", true},
                                         {0x02, "On 2", "开 2", true},
                                         {0x03, "On", "开", false},
                                         {0x04, "Auto", "自动", false}});
}

TEST(PropertyLabels, ExposureStepsReadFromZeroUpToPlusFiveThenMinusFiveUp) {
    std::vector<std::string> labels;
    std::vector<uint32_t> codes;
    for (const auto& [code, label] : ExposureStepLabels()) {
        codes.push_back(code);
        labels.push_back(label);
    }
    EXPECT_EQ(labels, (std::vector<std::string>{
                          "0",      "+1/3",   "+1/2",   "+2/3",   "+1",     "+1 1/3", "+1 1/2",
                          "+1 2/3", "+2",     "+2 1/3", "+2 1/2", "+2 2/3", "+3",     "+3 1/3",
                          "+3 1/2", "+3 2/3", "+4",     "+4 1/3", "+4 1/2", "+4 2/3", "+5",
                          "-5",     "-4 2/3", "-4 1/2", "-4 1/3", "-4",     "-3 2/3", "-3 1/2",
                          "-3 1/3", "-3",     "-2 2/3", "-2 1/2", "-2 1/3", "-2",     "-1 2/3",
                          "-1 1/2", "-1 1/3", "-1",     "-2/3",   "-1/2",   "-1/3"}));
    EXPECT_EQ(codes, (std::vector<uint32_t>{0x00, 0x03, 0x04, 0x05, 0x08, 0x0B, 0x0C, 0x0D, 0x10,
                                            0x13, 0x14, 0x15, 0x18, 0x1B, 0x1C, 0x1D, 0x20, 0x23,
                                            0x24, 0x25, 0x28, 0xD8, 0xDB, 0xDC, 0xDD, 0xE0, 0xE3,
                                            0xE4, 0xE5, 0xE8, 0xEB, 0xEC, 0xED, 0xF0, 0xF3, 0xF4,
                                            0xF5, 0xF8, 0xFB, 0xFC, 0xFD}));
}

TEST(TranslateLabel, WorkedExamplesByteForByte) {
    EXPECT_EQ(translateLabel("Manual 2"), "手动 2 ");
    EXPECT_EQ(translateLabel("RAW + Large Fine Jpeg"), "原始 + 大 优质 照片 ");
    EXPECT_EQ(translateLabel("10-Sec Self-timer"), "1 0-Sec 自拍定时器 ");
    EXPECT_EQ(translateLabel("Tungsten"), "Tungsten ");
    EXPECT_EQ(translateLabel("Color temperature"), "Color temperature ");
    // Case is ignored only for ASCII letters, in whole matches and in words.
    EXPECT_EQ(translateLabel("daylight"), "日光");
    EXPECT_EQ(translateLabel("AUTO"), "自动");
    EXPECT_EQ(translateLabel("x auto"), "x 自动 ");
}

TEST(TranslateLabel, SeparatorsAndSpacingRules) {
    LabelDictionary empty;
    EXPECT_EQ(translateLabel("a;;b\t c\r\nd", empty), "a b c d ");
    // Position 0 is never examined, by either pass.
    EXPECT_EQ(translateLabel("(a)1", empty), "(a ) 1 ");
    EXPECT_EQ(translateLabel("x(1)", empty), "x ( 1 ) ");
    EXPECT_EQ(translateLabel("", empty), "");
    EXPECT_EQ(translateLabel(" ; ", empty), "");
}

TEST(TranslateLabel, LongLabelsAndWordsAreKeptWhole) {
    LabelDictionary empty;
    const std::string word(300, 'w');
    std::string many;
    for (int i = 0; i < 150; ++i)
        many += "ab ";
    EXPECT_EQ(translateLabel(word, empty), word + " ");
    EXPECT_EQ(translateLabel(many, empty), many);
    EXPECT_EQ(translateLabel(many + "On", LabelDictionary::Instance()), many + "开 ");
}

TEST(LabelDictionary, HoldsTheDialogEntriesInOrderAndKeysAreUniqueIgnoringCase) {
    const auto entries = LabelDictionary::Instance().Entries();
    ASSERT_EQ(entries.size(), 44u);  // "Custom" and "Jpeg" were added twice
    EXPECT_EQ(entries.front(), (std::pair<std::string, std::string>{"GreeMode", "全自动"}));
    EXPECT_EQ(entries[23], (std::pair<std::string, std::string>{"Self-timer", "自拍定时器"}));
    EXPECT_EQ(entries[24], (std::pair<std::string, std::string>{"One-Shot AF", "单次自动对焦"}));
    EXPECT_EQ(entries[41],
              (std::pair<std::string, std::string>{"Silent single shooting", "无声单拍"}));
    // Then the words of the qualities real bodies added.
    EXPECT_EQ(translateLabel("Large Extra Fine Jpeg"), "大 超 优质 照片 ");
    EXPECT_EQ(translateLabel("RAW + Large Basic Jpeg"), "原始 + 大 基本 照片 ");

    LabelDictionary dictionary;
    AddRemoteControlLabels(dictionary);
    AddRemoteControlLabels(dictionary);  // a second dialog changes nothing
    EXPECT_EQ(dictionary.Entries(), entries);
    EXPECT_FALSE(dictionary.Add("CUSTOM", "x"));
    EXPECT_EQ(dictionary.Find("custom"), "自定义");
    EXPECT_TRUE(dictionary.Add("Tungsten", "钨丝"));
    EXPECT_EQ(translateLabel("Tungsten", dictionary), "钨丝");
    EXPECT_FALSE(dictionary.Find("Tungsten light ").has_value());
}

}  // namespace
}  // namespace talbex::remote
