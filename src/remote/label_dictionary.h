// The process-wide English→Chinese dictionary of property labels, and the translation of
// a label into its Chinese display form.
#pragma once

#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace talbex::remote {

/// Ordered (English key, Chinese value) pairs; keys are unique without regard to ASCII
/// letter case. Any thread may use it; one lock guards the entries.
class LabelDictionary {
  public:
    /// The process's dictionary, holding the remote-control dialog's entries from the first
    /// use on. It lives until the process ends.
    static LabelDictionary& Instance();

    /// Adds the pair unless the key is already present (then nothing changes: false).
    bool Add(std::string key, std::string value);
    /// The value of the first key equal to `text` without regard to ASCII letter case.
    std::optional<std::string> Find(std::string_view text) const;
    /// All pairs in the order they were added.
    std::vector<std::pair<std::string, std::string>> Entries() const;

  private:
    mutable std::mutex mutex_;
    std::vector<std::pair<std::string, std::string>> entries_;
};

/// Adds the remote-control dialog's entries in the dialog's order; adding them again
/// changes nothing.
void AddRemoteControlLabels(LabelDictionary& dictionary);

/// True when the two texts are equal once ASCII lower-case letters are folded to upper case.
bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b);

}  // namespace talbex::remote
