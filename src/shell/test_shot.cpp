#include "shell/test_shot.h"

namespace talbex::shell {

bool IsValidSerial(const std::string& serial) {
    if (serial.size() < 8)
        return false;
    for (char c : serial)
        if (c < '0' || c > '9')
            return false;
    return true;
}

}  // namespace talbex::shell
