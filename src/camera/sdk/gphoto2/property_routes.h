// Where each of the program's camera properties lives in a libgphoto2 camera's
// configuration, and how the texts the configuration shows become the program's codes.
//
// A route names the configuration entries to try, in order: libgphoto2's common entry
// names first, then the standard device property's own entry (its code in hex) where
// no common name covers it. Everything here is data and plain text handling; the
// libgphoto2 calls are the camera session's.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "camera/sdk/sdk_types.h"

namespace talbex::gphoto {

enum class Codec {
    kText,          // free text
    kNumber,        // a whole number ("1520")
    kPercent,       // "85%"
    kDateTime,      // a date entry: seconds since 1970, local time
    kAperture,      // "f/5.6"
    kShutterSpeed,  // "1/125", "0.0080s", "13/10", "2.5", "1/1.3s", "Bulb"
    kIso,           // "400", "Auto", "Auto ISO", "ISO Auto 6400"
    kExposureBias,  // "-0.333", "+1/3", "1", "0.666667"
    kLabels,        // one of the route's labels
};

/// True for values the program keeps as codes (everything but texts and the clock).
inline bool IsCoded(Codec codec) {
    return codec != Codec::kText && codec != Codec::kDateTime;
}

/// A label a camera shows and the program's code for it. Labels compare without case.
struct Label {
    const char* text;
    uint32_t code;
};

struct Route {
    SdkPropertyId id;
    std::array<const char*, 3> entries;  // configuration entry names, tried in order
    Codec codec;
    /// The texts of a `kLabels` route; for a numeric codec, texts of the family's own that
    /// the codec cannot read (a body's automatic ISO settings), looked up before it.
    std::span<const Label> labels;
    bool writable;  // false: the program never writes it (e.g. the mode dial)
    /// How libgphoto2's put for the entry reads back the text of one of its own choices.
    enum class Put {
        kAsShown,
        /// It truncates the number it reads (Panasonic's exposure compensation, config.c
        /// around 9367, turns "0.333333" into 0): a fraction is written a hair further
        /// from zero than its choice reads.
        kTruncates,
        /// The body keeps its times in tenths, which the getter reduces ("10/1250" shows
        /// as "1/125") and the put does not bring back (Olympus, config.c around 4603 and
        /// 4665): a fraction is written in tenths.
        kTenths,
    } put = Put::kAsShown;
};

/// The text to write for `choice` on a route whose put reads it as `put` does.
std::string TextForPut(Route::Put put, std::string_view choice);

/// The common route of `id` (families.h adds each family's own); null when none.
const Route* FindRoute(SdkPropertyId id);
/// The common routes.
std::span<const Route> Routes();
/// The properties that read the entry `name` (a change of it concerns each of them).
std::vector<SdkPropertyId> PropertiesOfEntry(std::string_view name);

/// The code the camera's text stands for; nullopt when none does.
std::optional<uint32_t> CodeOfText(const Route& route, std::string_view text);
/// A text standing for `code`, for entries that take free text instead of a choice.
std::optional<std::string> TextOfCode(const Route& route, uint32_t code);

/// The entry named in a libgphoto2 property-change event text
/// ("PTP Property 5007 changed, \"f-number\" to \"f/8\"" gives "f-number", one without
/// a name gives the code "5007"); empty when the text is no such event.
std::string EntryOfChangeEvent(std::string_view text);

}  // namespace talbex::gphoto
