#include "app/printing_launcher.h"

namespace talbex::app {

void PrintingLauncher::OpenInBackground(const std::string& address) {
    out_ << "browser would open: " << address << std::endl;
}

bool PrintingLauncher::Run(const std::string& path) {
    out_ << "would run: " << path << std::endl;
    return true;
}

}  // namespace talbex::app
