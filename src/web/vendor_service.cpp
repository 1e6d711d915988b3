#include "web/vendor_service.h"

#include <utility>

#include "web/vendor_host.h"

namespace talbex::web {

VendorService::VendorService(std::string host, std::string programDirectory,
                             ui::MessageBoxes& boxes, os::Launcher& launcher, DateSource today,
                             HttpOptions http)
    : host_(std::move(host)),
      programDirectory_(std::move(programDirectory)),
      boxes_(boxes),
      launcher_(launcher),
      today_(std::move(today)),
      http_(http) {}

std::string VendorService::Address(const std::string& path) const {
    return VendorAddress(host_, path);
}

}  // namespace talbex::web
