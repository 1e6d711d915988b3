// A small dialog with one control of every kind, whose handlers tests fill in.
#pragma once

#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/ui/dialog.h"
#include "platform/ui/dialog_template.h"

namespace talbex::ui::testing {

inline constexpr int kButton = 100;
inline constexpr int kHiddenButton = 101;
inline constexpr int kDisabledButton = 102;
inline constexpr int kSortedList = 200;
inline constexpr int kList = 201;
inline constexpr int kEdit = 300;
inline constexpr int kProgress = 400;
inline constexpr int kPicture = 500;
inline constexpr int kWeb = 600;

inline constexpr ControlTemplate kTestControls[] = {
    {kIdOk, ControlKind::kPushButton, {10, 10, 50, 14}, "确定", "OK", 0},
    {kIdCancel, ControlKind::kPushButton, {70, 10, 50, 14}, "取消", "Cancel", 0},
    {kButton, ControlKind::kPushButton, {10, 30, 50, 14}, "按钮", "Button", 0},
    {kHiddenButton, ControlKind::kPushButton, {10, 50, 50, 14}, "隐藏", "", kStyleHidden},
    {kDisabledButton, ControlKind::kPushButton, {10, 70, 50, 14}, "禁用", "Off", kStyleDisabled},
    {kSortedList, ControlKind::kDropDownList, {70, 30, 80, 193}, "", "", kStyleSorted},
    {kList, ControlKind::kDropDownList, {70, 50, 80, 193}, "", "", 0},
    {kEdit, ControlKind::kEdit, {70, 70, 80, 14}, "", "", 0},
    {kProgress, ControlKind::kProgressBar, {10, 90, 140, 14}, "", "", 0},
    {kPicture, ControlKind::kPicture, {506, 115, 231, 136}, "", "", 0},
    {kWeb, ControlKind::kWebBrowser, {160, 10, 100, 80}, "", "", 0},
};

inline constexpr DialogTemplate kTestTemplate{900, "测试", "Test", 744, 258, kTestControls};

class TestDialog : public Dialog {
  public:
    TestDialog() : Dialog(kTestTemplate) {}

    std::function<void()> onInit;
    std::function<void()> onButton;
    std::function<void()> onListPick;
    std::function<void(uint32_t)> onTimer;
    std::function<LResult(WParam, LParam)> onPrivate;
    std::function<void()> onClose;  // unset: the default close (Cancel)

    std::thread::id windowThread;

  protected:
    const MessageMap* GetMessageMap() const override {
        static const MessageMap map = MessageMapBuilder<TestDialog>(Dialog::BaseMap())
                                          .OnClicked(kButton, &TestDialog::OnButton)
                                          .OnSelChange(kList, &TestDialog::OnListPick)
                                          .OnSelChange(kSortedList, &TestDialog::OnListPick)
                                          .OnTimer(&TestDialog::OnTimer)
                                          .OnMessage(kWmApp + 1, &TestDialog::OnPrivate)
                                          .OnClose(&TestDialog::OnCloseRequest)
                                          .Build();
        return &map;
    }
    bool OnInitDialog() override {
        windowThread = std::this_thread::get_id();
        if (onInit)
            onInit();
        return true;
    }

  private:
    void OnButton() {
        if (onButton)
            onButton();
    }
    void OnListPick() {
        if (onListPick)
            onListPick();
    }
    void OnTimer(uint32_t id) {
        if (onTimer)
            onTimer(id);
    }
    LResult OnPrivate(WParam w, LParam l) { return onPrivate ? onPrivate(w, l) : 0; }
    void OnCloseRequest() {
        if (onClose)
            onClose();
        else
            OnCancel();
    }
};

}  // namespace talbex::ui::testing
