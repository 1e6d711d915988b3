// Faults on demand, from TALBEX_TEST_CAMERA_FAULTS: comma-separated rules
// KIND@CALL[=NAME][:COUNT].
//
//   error@preview:N      the next N previews fail with a plain error (GP_ERROR), as a body
//                        whose live view is momentarily prohibited answers
//   busy@preview:N       the next N previews find the body busy; each gives up as ptp2
//                        does for the family (after 3 s on the eos family)
//   unsupported@preview  every preview answers "not supported"
//   busy@set[=NAME]:N    the next N writes (of entry NAME) find the body busy
//   error@get=NAME:N     the next N reads of entry NAME fail in the body
//   io@CALL:N            the next N calls of CALL fail with GP_ERROR_IO, as ptp2 answers
//                        any failed USB transfer (time-outs included)
//   gone@CALL            from the next CALL on, every call fails with GP_ERROR_IO, opening
//                        the camera too: a body gone for good
//
// CALL is one of open, config (reading entries), set, capture, trigger, preview, event,
// file (listing and reading pictures), delete, or any. COUNT is 1 when left out.
#pragma once

#include <string>
#include <vector>

namespace tcam {

class Faults {
  public:
    /// Parses `rules`; false (with the reason) on a rule it does not understand.
    bool Parse(const std::string& rules, std::string* error);
    /// True when this call of `call` fails with GP_ERROR_IO (an I/O hiccup or a body gone).
    bool FailsWithIo(const std::string& call);
    /// Takes one of the next `kind`@`call` faults (for entry `name`) if one is due.
    bool Take(const std::string& kind, const std::string& call, const std::string& name = "");
    bool Has(const std::string& kind, const std::string& call) const;
    bool gone() const { return gone_; }

  private:
    struct Rule {
        std::string kind, call, name;
        int count = 1;
    };
    std::vector<Rule> rules_;
    bool gone_ = false;
};

}  // namespace tcam
