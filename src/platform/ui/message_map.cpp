#include "platform/ui/message_map.h"

namespace talbex::ui {

const MessageMap::Entry* MessageMap::Find(MessageId message, WParam wparam) const {
    for (const MessageMap* map = this; map != nullptr; map = map->base_) {
        for (const Entry& entry : map->entries_) {
            if (entry.message != message)
                continue;
            if (message == kWmCommand || message == kWmReflectCommand) {
                if (entry.controlId != -1 && entry.controlId != CommandControlId(wparam))
                    continue;
                if (entry.code != 0xFFFFFFFF && entry.code != CommandCode(wparam))
                    continue;
            }
            return &entry;
        }
    }
    return nullptr;
}

}  // namespace talbex::ui
