// Message maps: each window class lists the messages it handles, and a map may extend its
// base class's map. Handlers are member functions of the class that builds the map:
//
//   const MessageMap* GetMessageMap() const override {
//       static const MessageMap map = MessageMapBuilder<MyDialog>(Dialog::BaseMap())
//           .OnClicked(1068, &MyDialog::OnChooseFolder)
//           .OnTimer(&MyDialog::OnTimer)
//           .OnMessage(kWmApp + 1, &MyDialog::OnProgressReset)
//           .Build();
//       return &map;
//   }
#pragma once

#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include "platform/ui/messages.h"

namespace talbex::ui {

class Window;

/// A control notification offered to the control's own object before its dialog sees it.
inline constexpr MessageId kWmReflectCommand = 0xBC00 + kWmCommand;

class MessageMap {
  public:
    using Handler = std::function<LResult(Window&, WParam, LParam)>;
    struct Entry {
        MessageId message = 0;
        int controlId = -1;          // commands: the control, -1 any
        uint32_t code = 0xFFFFFFFF;  // commands: the notification code, all ones any
        Handler handler;
    };

    MessageMap(const MessageMap* base, std::vector<Entry> entries)
        : base_(base), entries_(std::move(entries)) {}

    /// The handler for a message in this map or the maps it extends, or nullptr.
    const Entry* Find(MessageId message, WParam wparam) const;

  private:
    const MessageMap* base_;
    std::vector<Entry> entries_;
};

template <class T>
class MessageMapBuilder {
  public:
    explicit MessageMapBuilder(const MessageMap* base = nullptr) : base_(base) {}

    /// A notification from one of the dialog's controls (WM_COMMAND).
    MessageMapBuilder& OnCommand(int controlId, uint32_t code, void (T::*handler)()) {
        entries_.push_back({kWmCommand, controlId, code, Wrap(handler)});
        return *this;
    }
    MessageMapBuilder& OnClicked(int controlId, void (T::*handler)()) {
        return OnCommand(controlId, kBnClicked, handler);
    }
    MessageMapBuilder& OnSelChange(int controlId, void (T::*handler)()) {
        return OnCommand(controlId, kCbnSelChange, handler);
    }
    /// A notification the control handles itself; its dialog then does not see it.
    MessageMapBuilder& OnReflected(uint32_t code, void (T::*handler)()) {
        entries_.push_back({kWmReflectCommand, -1, code, Wrap(handler)});
        return *this;
    }
    MessageMapBuilder& OnTimer(void (T::*handler)(uint32_t timerId)) {
        entries_.push_back({kWmTimer, -1, 0xFFFFFFFF, [handler](Window& w, WParam wp, LParam) {
                                (static_cast<T&>(w).*handler)(static_cast<uint32_t>(wp));
                                return LResult{0};
                            }});
        return *this;
    }
    MessageMapBuilder& OnClose(void (T::*handler)()) {
        entries_.push_back({kWmClose, -1, 0xFFFFFFFF, Wrap(handler)});
        return *this;
    }
    /// Any message by number, private ones (kWmApp + n) included.
    MessageMapBuilder& OnMessage(MessageId message, LResult (T::*handler)(WParam, LParam)) {
        entries_.push_back({message, -1, 0xFFFFFFFF, [handler](Window& w, WParam wp, LParam lp) {
                                return (static_cast<T&>(w).*handler)(wp, lp);
                            }});
        return *this;
    }

    MessageMap Build() { return MessageMap(base_, std::move(entries_)); }

  private:
    static MessageMap::Handler Wrap(void (T::*handler)()) {
        return [handler](Window& w, WParam, LParam) {
            (static_cast<T&>(w).*handler)();
            return LResult{0};
        };
    }

    const MessageMap* base_;
    std::vector<MessageMap::Entry> entries_;
};

}  // namespace talbex::ui
