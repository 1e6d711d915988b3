#include <gtest/gtest.h>

#include <mutex>
#include <sstream>
#include <vector>

#include "platform/ui/change_listener.h"
#include "platform/ui/dialog_units.h"
#include "resources/dialog_templates.h"
#include "test_dialog.h"
#include "window_thread.h"

namespace talbex::ui::testing {
namespace {

class Recorder : public ChangeListener {
  public:
    void OnChange(const ChangeEvent& e) override {
        std::lock_guard lock(mutex);
        events.push_back(e);
    }
    std::mutex mutex;
    std::vector<ChangeEvent> events;
};

TEST(DialogUnits, MapToPixelsByCornersTheSameEverywhere) {
    EXPECT_EQ(DialogUnitsToPixelsX(4), 6);
    EXPECT_EQ(DialogUnitsToPixelsY(8), 13);
    // The live-view picture frame of the remote-control window.
    EXPECT_EQ(DialogUnitsToPixels({506, 115, 231, 136}), (PixelRect{759, 187, 347, 221}));
    EXPECT_EQ(DialogUnitsToPixels({0, 0, 744, 258}), (PixelRect{0, 0, 1116, 419}));
}

TEST(Controls, StartFromTheTemplate) {
    TestDialog dialog;
    EXPECT_EQ(dialog.GetWindowText(), "测试");
    EXPECT_EQ(dialog.Item(kButton).GetWindowText(), "按钮");
    EXPECT_FALSE(dialog.Item(kHiddenButton).IsWindowVisible());
    EXPECT_FALSE(dialog.Item(kDisabledButton).IsWindowEnabled());
    EXPECT_TRUE(dialog.Item(kButton).IsWindowEnabled());
    EXPECT_EQ(dialog.Item(kButton).ControlId(), kButton);
    raster::Bitmap* surface = dialog.Item(kPicture).Surface();
    ASSERT_NE(surface, nullptr);
    EXPECT_EQ(surface->Width(), 347);
    EXPECT_EQ(surface->Height(), 221);
    EXPECT_EQ(dialog.Item(kPicture).ClientWidth(), 347);
    EXPECT_EQ(dialog.Item(kButton).Surface(), nullptr);

    dialog.ApplyEnglishCaptions();
    EXPECT_EQ(dialog.GetWindowText(), "Test");
    EXPECT_EQ(dialog.Item(kDisabledButton).GetWindowText(), "Off");
    EXPECT_EQ(dialog.Item(kHiddenButton).GetWindowText(), "隐藏");  // no English caption

    // An unknown id answers a window that does nothing.
    Window& none = dialog.Item(4242);
    none.SetWindowText("x");
    EXPECT_EQ(none.GetWindowText(), "");
    EXPECT_EQ(none.AddString("x"), -1);
    EXPECT_FALSE(none.PostMessage(kWmApp + 1));
}

TEST(Controls, ListsKeepRowsItemValuesSelectionAndEditText) {
    TestDialog dialog;
    Window& sorted = dialog.Item(kSortedList);
    EXPECT_EQ(sorted.AddString("Tv"), 0);
    EXPECT_EQ(sorted.AddString("av"), 0);
    EXPECT_EQ(sorted.AddString("M"), 1);
    EXPECT_EQ(sorted.InsertString(-1, "A"), 3);  // insertion ignores the sort
    EXPECT_EQ(sorted.GetLBText(0), "av");
    EXPECT_EQ(sorted.GetLBText(3), "A");

    Window& list = dialog.Item(kList);
    EXPECT_EQ(list.AddString("200"), 0);
    EXPECT_EQ(list.AddString("100"), 1);  // unsorted: insertion order
    EXPECT_TRUE(list.SetItemData(1, 0xFFFFFFFFu));
    EXPECT_EQ(list.GetItemData(1), 0xFFFFFFFFu);
    EXPECT_FALSE(list.SetItemData(2, 1));
    EXPECT_EQ(list.GetCurSel(), -1);
    EXPECT_EQ(list.SetCurSel(1), 1);
    EXPECT_EQ(list.GetWindowText(), "100");
    EXPECT_EQ(list.SetCurSel(5), -1);
    EXPECT_EQ(list.FindStringExact("200"), 0);
    EXPECT_EQ(list.FindStringExact("20"), -1);
    list.ResetContent();
    EXPECT_EQ(list.GetCount(), 0);
    EXPECT_EQ(list.GetWindowText(), "");
    EXPECT_EQ(list.GetCurSel(), -1);
    // Rows make no sense on a button.
    EXPECT_EQ(dialog.Item(kButton).AddString("x"), -1);
    EXPECT_EQ(dialog.Item(kButton).GetCount(), -1);
}

TEST(Controls, ProgressClampsAndWebAreaRecordsTheAddress) {
    TestDialog dialog;
    Window& bar = dialog.Item(kProgress);
    bar.SetPos(42);
    EXPECT_EQ(bar.GetPos(), 42);
    bar.SetPos(250);
    EXPECT_EQ(bar.GetPos(), 100);
    bar.SetPos(-3);
    EXPECT_EQ(bar.GetPos(), 0);
    dialog.Item(kWeb).Navigate("http://127.0.0.1/ad/index_en.htm?2026/12/08");
    EXPECT_EQ(dialog.Item(kWeb).LocationAddress(), "http://127.0.0.1/ad/index_en.htm?2026/12/08");
}

TEST(Controls, EveryVisibleChangeReachesTheListenerOnce) {
    Recorder recorder;
    SetChangeListener(&recorder);
    {
        TestDialog dialog;
        dialog.onInit = [&] {
            dialog.Item(kButton).EnableWindow(false);
            dialog.Item(kButton).EnableWindow(false);  // no change, no event
            dialog.Item(kEdit).SetWindowText("D:/Photos");
            dialog.Item(kList).AddString("1/125");
            dialog.Item(kProgress).SetPos(30);
            dialog.Item(kPicture).SurfaceChanged();
            dialog.Item(kButton).SurfaceChanged();  // not a picture: nothing
            dialog.EndDialog(5);
        };
        EXPECT_EQ(dialog.DoModal(), 5);
    }
    SetChangeListener(nullptr);
    std::vector<std::string> lines;
    for (const ChangeEvent& e : recorder.events) {
        EXPECT_EQ(e.dialogId, 900);
        EXPECT_EQ(e.dialogTitle, "测试");
        lines.push_back(std::to_string(e.controlId) + " " + ToString(e.what) + " " + e.value);
    }
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "0 opened 测试", "100 enabled 0", "300 text D:/Photos", "201 rows 1/125",
                         "400 progress 30", "500 picture 347x221", "0 closed 5"}));
    std::ostringstream out;
    {
        PrintingChangeListener printer(out);
        printer.OnChange(recorder.events[1]);
        // A picture when it first shows, not when it is redrawn at the same size.
        printer.OnChange(recorder.events[5]);
        printer.OnChange(recorder.events[5]);
        // A list filled row by row is printed once; progress only empty and full.
        ChangeEvent rows{900, "测试", 201, ChangeEvent::What::kEntries, "a"};
        printer.OnChange(rows);
        rows.value = "a | b";
        printer.OnChange(rows);
        ChangeEvent progress{900, "测试", 400, ChangeEvent::What::kProgress, "0"};
        for (const char* value : {"0", "30", "100"}) {
            progress.value = value;
            printer.OnChange(progress);
        }
        // A text put back as it was is not news.
        ChangeEvent text{900, "测试", 300, ChangeEvent::What::kText, "D:/Photos"};
        printer.OnChange(text);
        printer.OnChange(text);
        rows.value = "";
        printer.OnChange(rows);  // emptied, then nothing more: printed at the end
        // The window opened again shows its text and picture again.
        printer.OnChange(recorder.events[0]);
        printer.OnChange(text);
        printer.OnChange(recorder.events[5]);
    }
    EXPECT_EQ(out.str(),
              "[测试] control 100 enabled: 0\n[测试] control 500 picture: 347x221\n"
              "[测试] control 201 rows (2): a | b\n"
              "[测试] control 400 progress: 0\n[测试] control 400 progress: 100\n"
              "[测试] control 300 text: D:/Photos\n[测试] control 201 rows (0): \n"
              "[测试] opened: 测试\n[测试] control 300 text: D:/Photos\n"
              "[测试] control 500 picture: 347x221\n");
}

TEST(RemoteControlTemplate, HoldsTheWindowAndItsControls) {
    const DialogTemplate* t = resources::FindDialogTemplate(102);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t, &resources::RemoteControlDialog());
    EXPECT_EQ(resources::FindDialogTemplate(4711), nullptr);
    EXPECT_STREQ(t->chinese, "相机遥控界面");
    EXPECT_STREQ(t->english, "Remote Control");
    EXPECT_EQ(t->width, 744);
    // Taller than the original 258 by the strip of the last picture and the histogram;
    // the original controls keep their places.
    EXPECT_EQ(t->height, 324);
    EXPECT_EQ(t->style & kDialogResizable, kDialogResizable);
    // Ids are unique.
    for (size_t i = 0; i < t->controls.size(); ++i)
        for (size_t j = i + 1; j < t->controls.size(); ++j)
            EXPECT_NE(t->controls[i].id, t->controls[j].id);
    const ControlTemplate* picture = t->Find(1022);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->kind, ControlKind::kPicture);
    EXPECT_EQ(DialogUnitsToPixels(picture->rect).width, 347);
    EXPECT_EQ(t->Find(1007)->style & kStyleSorted, kStyleSorted);
    EXPECT_EQ(t->Find(1029)->style & kStyleSorted, kStyleSorted);
    EXPECT_EQ(t->Find(1035)->style & kStyleSorted, 0u);
    EXPECT_EQ(t->Find(1069)->style, kStyleDisabled);
    EXPECT_STREQ(t->Find(1048)->english, "Iamage Quality");
    EXPECT_STREQ(t->Find(1015)->english, "<<<");
    EXPECT_EQ(t->Find(1081)->kind, ControlKind::kCheckBox);
    for (int picture : {1080, 1083})
        EXPECT_EQ(t->Find(picture)->kind, ControlKind::kPicture) << picture;
    // Every key of the window reaches a button, a check box or a command of its own, and
    // each button with a key names it in both tooltips.
    for (const Accelerator& key : t->accelerators) {
        const ControlTemplate* control = t->Find(key.commandId);
        if (control == nullptr) {
            EXPECT_TRUE(key.commandId == resources::kToggleLiveViewCommand ||
                        key.commandId == resources::kEscapeCommand)
                << key.commandId;
            continue;
        }
        if (key.key == '=')
            continue;  // the + key without Shift: the tooltips name +
        const std::string name = key.key == kKeySpace ? "空格" : KeyName(key.key);
        EXPECT_NE(std::string(control->tipChinese).find(name), std::string::npos) << key.key;
        EXPECT_NE(std::string(control->tipEnglish).find(KeyName(key.key)), std::string::npos)
            << key.key;
    }
    for (int hidden : {1008, 1009, 1010, 1011, 1012, 1021, 1057, 1034, 1005, 1074, 1002, 1065, 1066,
                       1067, 1070, 1071, 1076}) {
        ASSERT_NE(t->Find(hidden), nullptr) << hidden;
        EXPECT_EQ(t->Find(hidden)->style & kStyleHidden, kStyleHidden) << hidden;
    }
}

}  // namespace
}  // namespace talbex::ui::testing
