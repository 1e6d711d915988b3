// The families' tables as the session uses them: which family a camera is, how its serial
// shows, how a focus step reads on its range, and the eos family's autofocus points.
#include <gtest/gtest.h>

#include <set>

#include "camera/sdk/gphoto2/families.h"
#include "camera/sdk/gphoto2/focus_points.h"

namespace talbex::gphoto {
namespace {

TEST(FamiliesTest, ACameraIsTheFamilyItsMakerOrItsEntriesSay) {
    const struct {
        const char* manufacturer;
        std::set<std::string> entries;
        const char* family;
    } cases[] = {
        {"Nikon Corporation", {}, "nikon"},
        {"Sony Corporation", {}, "sony"},
        {"FUJIFILM", {}, "fujifilm"},
        {"Panasonic", {}, "panasonic"},
        {"OLYMPUS CORPORATION", {}, "olympus"},
        {"", {"eosremoterelease"}, "eos"},
        {"Some Maker Inc.", {"eosserialnumber", "viewfinder"}, "eos"},
        {"SimCam", {"viewfinder"}, "generic"},  // a standard body
        {"", {}, "generic"},
    };
    for (const auto& c : cases) {
        const Family& family =
            FamilyOf(c.manufacturer, [&](const char* entry) { return c.entries.contains(entry); });
        EXPECT_STREQ(family.name, c.family) << c.manufacturer;
    }
}

TEST(FamiliesTest, EachFamilyReachesTheControlsItsBodiesHave) {
    const struct {
        const char* family;
        Control control;
        const char* entry;  // null: none
        bool writeStarts;
    } cases[] = {
        {"eos", Control::kHalfPress, "eosremoterelease", false},
        {"eos", Control::kAutofocus, "autofocusdrive", false},
        {"eos", Control::kZoom, "eoszoom", false},
        {"nikon", Control::kHalfPress, "autofocusdrive", true},  // every write focuses
        {"nikon", Control::kFullPress, nullptr, false},          // the picture command
        {"nikon", Control::kZoom, nullptr, false},
        {"sony", Control::kHalfPress, "autofocus", false},
        {"sony", Control::kFullPress, "capture", false},
        {"sony", Control::kFocusDrive, "manualfocus", false},
        {"fujifilm", Control::kFocusDrive, nullptr, false},
        {"fujifilm", Control::kCaptureTarget, nullptr, false},
        {"panasonic", Control::kAutofocus, nullptr, false},
        {"olympus", Control::kFocusDrive, "manualfocusdrive", false},
        {"generic", Control::kHalfPress, nullptr, false},
    };
    for (const auto& c : cases) {
        const Family* family = nullptr;
        for (const Family* f : Families())
            if (std::string(f->name) == c.family)
                family = f;
        ASSERT_NE(family, nullptr) << c.family;
        const ControlUse* use = FindControl(*family, c.control);
        if (c.entry == nullptr) {
            EXPECT_EQ(use, nullptr) << c.family;
            continue;
        }
        ASSERT_NE(use, nullptr) << c.family << " " << c.entry;
        EXPECT_STREQ(use->entry, c.entry);
        EXPECT_EQ(use->writeStarts, c.writeStarts) << c.family << " " << c.entry;
    }
}

TEST(FamiliesTest, SerialsShowAsTheFamilysOwnToolsShowThem) {
    const Family& sony = FamilyOf("Sony", [](const char*) { return false; });
    const Family& nikon = FamilyOf("Nikon", [](const char*) { return false; });
    EXPECT_EQ(NormalisedSerial(sony, "00000000000000000000000003312345"), "3312345");
    EXPECT_EQ(NormalisedSerial(sony, "0000000000000000000000123456789 "), "123456789");
    EXPECT_EQ(NormalisedSerial(sony, "00000000000000000000000000000000"), "");
    EXPECT_EQ(NormalisedSerial(sony, "0000A1"), "0000A1");  // no padded number
    EXPECT_EQ(NormalisedSerial(nikon, "0012345"), "0012345");
}

TEST(FamiliesTest, FocusStepsReadOnEachKindOfWidget) {
    EXPECT_EQ(FocusChoiceOf(2), "Near 2");
    EXPECT_EQ(FocusChoiceOf(0x8003), "Far 3");
    EXPECT_EQ(FocusChoiceOf(4), std::nullopt);
    EXPECT_EQ(FocusChoiceOf(0x4001), std::nullopt);
    const std::array<float, 3> sony{1, 3, 7};
    EXPECT_EQ(FocusRangeValueOf(1, sony), -1.0f);
    EXPECT_EQ(FocusRangeValueOf(0x8003, sony), 7.0f);
    EXPECT_EQ(FocusRangeValueOf(0, sony), std::nullopt);
}

TEST(FocusPointsTest, TheEosFamilysPointsBecomeFramesFromTheTopLeft) {
    // As libgphoto2 prints them (ptp-pack.c around 1860): centred, y growing upwards.
    const auto points = ParseFocusPoints(
        "eosversion=2,size=6000x4000,size2=6000x4000,points={{0,0,300,200},{-1000,500,300,200},"
        "{1000,-500,0,200}},select={1,},unknown={0080ffff}");
    ASSERT_TRUE(points);
    EXPECT_EQ(points->area.width, 6000);
    EXPECT_EQ(points->area.height, 4000);
    const SdkFocusInfo& info = points->info;
    EXPECT_EQ(info.imageRect.width, 6000);
    ASSERT_EQ(info.pointNumber, 3u);
    EXPECT_EQ(info.focusPoint[0].rect.x, 2850);
    EXPECT_EQ(info.focusPoint[0].rect.y, 1900);
    EXPECT_EQ(info.focusPoint[0].selected, 0u);
    EXPECT_EQ(info.focusPoint[1].rect.x, 1850);
    EXPECT_EQ(info.focusPoint[1].rect.y, 1400);  // above the middle
    EXPECT_EQ(info.focusPoint[1].selected, 1u);
    EXPECT_EQ(info.focusPoint[2].valid, 0u);  // no width: nothing to draw
}

TEST(FocusPointsTest, WhatIsNoListOfPointsGivesNone) {
    for (const char* text :
         {"no focus points returned by camera", "bad size 3", "", "eosversion=2,size=0x0,points={}",
          "eosversion=2,size=10x10,points={{1,2}}"})
        EXPECT_FALSE(ParseFocusPoints(text)) << text;
    const auto none = ParseFocusPoints("eosversion=1,size=600x400,size2=600x400,points={}");
    ASSERT_TRUE(none);
    EXPECT_EQ(none->info.pointNumber, 0u);
}

}  // namespace
}  // namespace talbex::gphoto
