// The family libgphoto2 2.5.30 serves with its eos… entries: properties the body announces
// in its own event data (ptp2's have_eos_prop), as 2.5.30 presents them:
//  - actions: syncdatetimeutc and syncdatetime (config.c around 10422), autofocusdrive
//    (10438; on drives autofocus, off cancels it, around 7320), manualfocusdrive Near/Far
//    1-3 (10444, around 7582; the body drives only in live view), eoszoom and
//    eoszoomposition reading "0" and "0,0" whatever the body does (10447, around 7723),
//    viewfinder (10449, around 7991), eosremoterelease (10452, around 7467-7540: the written
//    text is compared with the translated ones only);
//  - settings: datetimeutc and datetime, both labelled alike (10515-10517; datetime goes
//    through ptp2's local-time conversion, around 7191), ownername, artist, copyright,
//    focusinfo (ptp-pack.c's text, around 1860), capturetarget (libgphoto2's lasting
//    setting, around 9726, which the body follows at every release, around 285);
//  - status: the device texts (its serial 32 hexadecimal characters), model (a number),
//    batterylevel (around 7127), lensname, eosserialnumber (the body's serial),
//    shuttercounter (around 10493-10497);
//  - image: imageformat with the compact RAW qualities (around 2675), iso, whitebalance
//    with "Shadow" (around 5897), colorspace;
//  - capture: exposurecompensation to ±5 (around 5950), focusmode "One Shot", ... (around
//    5858), autoexposuremode (the mode; there is no expprogram, around 2056), drivemode with
//    "Timer 10 sec" (around 2747), aperture (gone while the lens is off), shutterspeed,
//    meteringmode (around 10729-10755).
// Where ptp2's labels name the maker, the labels here leave the name out.
// Pictures: library.c's capture function for the family (around 4310) and its event wait (around
// 6400-6600): into the camera's memory they arrive as "/capt0000.jpg", already read; onto
// the card by their own names. Property changes and focus information are announced.
// Preview around 3440: a busy body is retried for 3 s.
#include <algorithm>

#include "family_builders.h"

namespace tcam {

const Family& EosFamily() {
    static const Table aperture = {
        {"implicit auto", 0x0}, {"auto", 0xffff}, {"2.8", 0x20}, {"3.2", 0x23}, {"3.5", 0x24},
        {"3.5", 0x25},          {"4", 0x28},      {"4.5", 0x2c}, {"4.5", 0x2b}, {"5", 0x2d},
        {"5.6", 0x30},          {"6.3", 0x33},    {"7.1", 0x35}, {"8", 0x38},   {"9", 0x3b},
        {"10", 0x3d},           {"11", 0x40},     {"13", 0x43},  {"13", 0x44},  {"14", 0x45},
        {"16", 0x48},           {"18", 0x4b},     {"20", 0x4d},  {"22", 0x50}};
    static const Table shutter = {
        {"auto", 0x00},   {"bulb", 0x04},   {"bulb", 0x0c},  {"30", 0x10},     {"15", 0x18},
        {"8", 0x20},      {"4", 0x28},      {"2", 0x30},     {"1", 0x38},      {"0.5", 0x40},
        {"1/4", 0x48},    {"1/8", 0x50},    {"1/15", 0x58},  {"1/30", 0x60},   {"1/60", 0x68},
        {"1/125", 0x70},  {"1/250", 0x78},  {"1/500", 0x80}, {"1/1000", 0x88}, {"1/2000", 0x90},
        {"1/4000", 0x98}, {"1/8000", 0xa0},
    };
    static const Table iso = {{"Factory Default", 0xffff},
                              {"100", 0x48},
                              {"200", 0x50},
                              {"400", 0x58},
                              {"800", 0x60},
                              {"1600", 0x68},
                              {"3200", 0x70},
                              {"6400", 0x78},
                              {"Auto", 0x0000}};
    static const Table compensation = {
        {"5", 0x28},    {"4.6", 0x25},  {"4.3", 0x23},  {"4", 0x20},    {"3.6", 0x1d},
        {"3.3", 0x1b},  {"3", 0x18},    {"2.6", 0x15},  {"2.3", 0x13},  {"2", 0x10},
        {"1.6", 0x0d},  {"1.3", 0x0b},  {"1", 0x08},    {"1.0", 0x08},  {"0.6", 0x05},
        {"0.3", 0x03},  {"0", 0x00},    {"-0.3", 0xfd}, {"-0.6", 0xfb}, {"-1", 0xf8},
        {"-1.0", 0xf8}, {"-1.3", 0xf5}, {"-1.6", 0xf3}, {"-2", 0xf0},   {"-2.3", 0xed},
        {"-2.6", 0xeb}, {"-3", 0xe8},   {"-3.3", 0xe5}, {"-3.6", 0xe3}, {"-4", 0xe0},
        {"-4.3", 0xdd}, {"-4.6", 0xdb}, {"-5", 0xd8},
    };
    static const Table whiteBalance = {{"Auto", 0},        {"Daylight", 1},
                                       {"Cloudy", 2},      {"Tungsten", 3},
                                       {"Fluorescent", 4}, {"Flash", 5},
                                       {"Manual", 6},      {"Unknown 7", 7},
                                       {"Shadow", 8},      {"Color Temperature", 9},
                                       {"AWB White", 23}};
    static const Table metering = {{"Center-weighted", 0}, {"Spot", 1},
                                   {"Average", 2},         {"Evaluative", 3},
                                   {"Partial", 4},         {"Center-weighted average", 5}};
    static const Table focus = {{"One Shot", 0}, {"AI Servo", 1}, {"AI Focus", 2}, {"Manual", 3}};
    static const Table mode = {{"P", 0},
                               {"TV", 1},
                               {"AV", 2},
                               {"Manual", 3},
                               {"Bulb", 4},
                               {"A_DEP", 5},
                               {"DEP", 6},
                               {"Custom", 7},
                               {"Lock", 8},
                               {"Green", 9},
                               {"Night Portrait", 10},
                               {"Sports", 11},
                               {"Portrait", 12},
                               {"Landscape", 13},
                               {"Closeup", 14},
                               {"Flash Off", 15},
                               {"Creative Auto", 0x13},
                               {"Movie", 0x14},
                               {"Auto", 0x16}};
    static const Table drive = {{"Single", 0x00},
                                {"Continuous", 0x01},
                                {"Video", 0x02},
                                {"Continuous high speed", 0x04},
                                {"Continuous low speed", 0x05},
                                {"Single: Silent shooting", 0x06},
                                {"Continuous timer", 0x07},
                                {"Timer 10 sec", 0x10},
                                {"Timer 2 sec", 0x11}};
    static const Table format = {{"RAW", 0x0c00},
                                 {"mRAW", 0x1c00},
                                 {"sRAW", 0x2c00},
                                 {"cRAW", 0x0b00},
                                 {"Large Fine JPEG", 0x0300},
                                 {"Large Normal JPEG", 0x0200},
                                 {"Medium Fine JPEG", 0x1300},
                                 {"Medium Normal JPEG", 0x1200},
                                 {"Small Fine JPEG", 0x2300},
                                 {"Small Normal JPEG", 0x2200},
                                 {"RAW + Large Fine JPEG", 0x0c03},
                                 {"cRAW + Large Fine JPEG", 0x0b03}};
    static const Table colorSpace = {{"sRGB", 1}, {"AdobeRGB", 2}};
    static const Family family = [] {
        Family f{"eos",
                 Kind::kEos,
                 "Talbex Test E1",
                 "3-1.1.0",
                 nullptr,
                 "052021001234",
                 "IMG_%04d.JPG",
                 true,
                 {},
                 {},
                 {}};
        std::vector<int64_t> compensations;
        for (const Choice& c : compensation)
            if (compensations.empty() || compensations.back() != c.value)
                compensations.push_back(c.value);
        std::reverse(compensations.begin(), compensations.end());
        f.properties = {
            Unlisted(
                Enum(0xD101, Type::kU16,
                     {0x20, 0x23, 0x25, 0x28, 0x2b, 0x2d, 0x30, 0x33, 0x35, 0x38, 0x40, 0x48, 0x50},
                     0x30)),
            Unlisted(Enum(0xD102, Type::kU16,
                          {0x0c, 0x10, 0x18, 0x20, 0x28, 0x30, 0x38, 0x40, 0x48, 0x50,
                           0x58, 0x60, 0x68, 0x70, 0x78, 0x80, 0x88, 0x90, 0x98, 0xa0},
                          0x70)),
            Unlisted(
                Enum(0xD103, Type::kU16, {0x00, 0x48, 0x50, 0x58, 0x60, 0x68, 0x70, 0x78}, 0x58)),
            Unlisted(Enum(0xD104, Type::kU8, compensations, 0x00)),
            Unlisted(Enum(0xD105, Type::kU16, {0, 1, 2, 3, 4, 9, 0x13}, 3)),
            Unlisted(Enum(0xD106, Type::kU16, {0x00, 0x01, 0x04, 0x05, 0x07, 0x10, 0x11}, 0x00)),
            Unlisted(Enum(0xD107, Type::kU8, {3, 4, 1, 5}, 3)),
            Unlisted(Enum(0xD108, Type::kU16, {0, 1, 2, 3}, 0)),
            Unlisted(Enum(0xD109, Type::kU8, {0, 1, 8, 2, 3, 4, 5, 6, 9}, 0)),
            Unlisted(Enum(0xD10F, Type::kU16, {1, 2}, 1)),
            Unlisted(Value(0xD111, Type::kU16, 4)),
            Unlisted(Value(0xD113, Type::kU32, 0, true)),
            Unlisted(Text(0xD115, "", true, nullptr, 31)),
            Unlisted(Value(0xD116, Type::kU32, 0x80000424)),
            Unlisted(Enum(
                0xD120, Type::kU16,
                {0x0300, 0x0200, 0x1300, 0x1200, 0x2300, 0x2200, 0x0c00, 0x0b00, 0x0c03, 0x0b03},
                0x0300)),
            Unlisted(Value(0xD17C, Type::kU32, 0, true)),
            Unlisted(Value(0xD1AC, Type::kU32, 4321)),
            Unlisted(Text(0xD1AF, "", false)),
            Unlisted(Text(0xD1D0, "", true, nullptr, 63)),
            Unlisted(Text(0xD1D1, "", true, nullptr, 63)),
            Unlisted(Text(0xD1D3, "", false)),
            Unlisted(Text(0xD1D8, "TEST 24-70mm", false)),
            Text(0xD402, "Talbex E1", true, nullptr, 32),
        };
        auto& e = f.entries;
        const auto actions = Section::kActions;
        e.push_back(Announced(actions, "syncdatetimeutc",
                              "Synchronize camera date and time with PC (UTC)", Codec::kSyncTime,
                              0xD17C));
        e.push_back(Announced(actions, "syncdatetime", "Synchronize camera date and time with PC",
                              Codec::kSyncTime, 0xD113));
        e.push_back(Virtual(actions, "autofocusdrive", "Drive DSLR Autofocus", Codec::kAfDriveEos));
        e.push_back(Virtual(actions, "manualfocusdrive", "Drive DSLR Manual focus",
                            Codec::kMfDriveNearFar3));
        e.push_back(Virtual(actions, "eoszoom", "EOS Zoom", Codec::kEosZoom));
        e.push_back(
            Virtual(actions, "eoszoomposition", "EOS Zoom Position", Codec::kEosZoomPosition));
        e.push_back(Virtual(actions, "viewfinder", "EOS Viewfinder", Codec::kViewfinderEos));
        e.push_back(
            Virtual(actions, "eosremoterelease", "EOS Remote Release", Codec::kRemoteRelease));
        const auto settings = Section::kSettings;
        e.push_back(
            Announced(settings, "datetimeutc", "Camera Date and Time", Codec::kDateUtc, 0xD17C));
        e.push_back(
            Announced(settings, "datetime", "Camera Date and Time", Codec::kDateLocal, 0xD113));
        e.push_back(Announced(settings, "ownername", "Owner Name", Codec::kText, 0xD115));
        e.push_back(Announced(settings, "artist", "Artist", Codec::kText, 0xD1D0));
        e.push_back(Announced(settings, "copyright", "Copyright", Codec::kText, 0xD1D1));
        e.push_back(
            Announced(settings, "focusinfo", "Focus Info", Codec::kText, 0xD1D3, nullptr, true));
        e.push_back(Virtual(settings, "capturetarget", "Capture Target", Codec::kCaptureTarget));
        AddDeviceTexts(&e);
        const auto status = Section::kStatus;
        e.push_back(Announced(status, "model", "Camera Model", Codec::kInt, 0xD116, nullptr, true));
        e.push_back(Announced(status, "batterylevel", "Battery Level", Codec::kEosBattery, 0xD111,
                              nullptr, true));
        e.push_back(
            Announced(status, "lensname", "Lens Name", Codec::kText, 0xD1D8, nullptr, true));
        e.push_back(Announced(status, "eosserialnumber", "Serial Number", Codec::kText, 0xD1AF,
                              nullptr, true));
        e.push_back(Announced(status, "shuttercounter", "Shutter Counter", Codec::kInt, 0xD1AC,
                              nullptr, true));
        const auto image = Section::kImage;
        e.push_back(
            Announced(image, "imageformat", "Image Format", Codec::kTable, 0xD120, &format));
        e.push_back(Announced(image, "iso", "ISO Speed", Codec::kTable, 0xD103, &iso));
        e.push_back(
            Announced(image, "whitebalance", "WhiteBalance", Codec::kTable, 0xD109, &whiteBalance));
        e.push_back(
            Announced(image, "colorspace", "Color Space", Codec::kTable, 0xD10F, &colorSpace));
        const auto capture = Section::kCapture;
        e.push_back(Announced(capture, "exposurecompensation", "Exposure Compensation",
                              Codec::kTable, 0xD104, &compensation));
        e.push_back(Announced(capture, "focusmode", "Focus Mode", Codec::kTable, 0xD108, &focus));
        e.push_back(Announced(capture, "autoexposuremode", "Auto Exposure Mode", Codec::kTable,
                              0xD105, &mode));
        e.push_back(Announced(capture, "drivemode", "Drive Mode", Codec::kTable, 0xD106, &drive));
        e.push_back(Announced(capture, "aperture", "Aperture", Codec::kTable, 0xD101, &aperture));
        e.push_back(
            Announced(capture, "shutterspeed", "Shutter Speed", Codec::kTable, 0xD102, &shutter));
        e.push_back(
            Announced(capture, "meteringmode", "Metering Mode", Codec::kTable, 0xD107, &metering));
        return f;
    }();
    return family;
}

}  // namespace tcam
