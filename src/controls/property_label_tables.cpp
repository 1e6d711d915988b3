#include "controls/property_label_tables.h"

namespace talbex::controls {

namespace {

constexpr BilingualLabel kAeMode[] = {
    {0x00, "P", "程序优先"},
    {0x01, "Tv", "快门优先"},
    {0x02, "Av", "光圈优先"},
    {0x03, "M", "全手动"},
    {0x04, "Bulb", "Bulb"},
    {0x05, "A-DEP", "用户自定义"},
    {0x06, "DEP", "DEP"},
    {0x07, "Camera settings registered", "Camera settings registered"},
    {0x08, "Lock", "Lock"},
    {0x09, "Auto", "全自动"},
    {0x0A, "Night Portrait", "夜景人像"},
    {0x0B, "Sports", "运动"},
    {0x0C, "Portrait", "人像"},
    {0x0D, "LandScape", "风景"},
    {0x0E, "CloseUp", "微距"},
    {0x0F, "No Strobo", "禁用闪光灯"},
    {0x13, "Creative Auto", "Creative Auto"},
    {0x14, "Movies", "Movies"},
    {0x15, "Photo In Movie", "Photo In Movie"},
    {0x16, "SceneIntelligentAuto", "SceneIntelligentAuto"},
    {0x18, "Backlit Scenes", "Backlit Scenes"},
    {0x1A, "Children", "Children"},
    {0x1B, "Food", "Food"},
    {0x1C, "Candlelight Portraits", "Candlelight Portraits"},
    {0xFFFFFFFF, "unknown", "未知"},
};

constexpr BilingualLabel kEvfAfMode[] = {
    {0, "Quick mode", "快速模式"},
    {1, "Live mode", "实时模式"},
    {2, "Live face detection mode", "脸部检测实时模式"},
    {3, "Live FlexiZone-Multi mode", "实时自由多点模式"},
};

constexpr PropertyLabel kMeteringMode[] = {
    {1, "Spot"},
    {3, "Evaluative"},
    {4, "Partial"},
    {5, "Center-Weighted Average"},
};

// The first 34 entries, then the speeds real bodies offer beyond them, on the same scale of
// eighths of a stop: 64, 80, 64000, 80000, 204800, 409600, 819200.
constexpr PropertyLabel kIsoSpeed[] = {
    {0x00, "Auto"},   {0x28, "6"},     {0x30, "12"},    {0x38, "25"},     {0x40, "50"},
    {0x48, "100"},    {0x4B, "125"},   {0x4D, "160"},   {0x50, "200"},    {0x53, "250"},
    {0x55, "320"},    {0x58, "400"},   {0x5B, "500"},   {0x5D, "640"},    {0x60, "800"},
    {0x63, "1000"},   {0x65, "1250"},  {0x68, "1600"},  {0x6B, "2000"},   {0x6D, "2500"},
    {0x70, "3200"},   {0x73, "4000"},  {0x75, "5000"},  {0x78, "6400"},   {0x7B, "8000"},
    {0x7D, "10000"},  {0x80, "12800"}, {0x83, "16000"}, {0x85, "20000"},  {0x88, "25600"},
    {0x8B, "32000"},  {0x8D, "40000"}, {0x90, "51200"}, {0x98, "102400"}, {0x43, "64"},
    {0x45, "80"},     {0x93, "64000"}, {0x95, "80000"}, {0xA0, "204800"}, {0xA8, "409600"},
    {0xB0, "819200"},
};

constexpr PropertyLabel kAv[] = {
    {0x00, "00"},  {0x08, "1"},   {0x0B, "1.1"}, {0x0C, "1.2"}, {0x0D, "1.2"}, {0x10, "1.4"},
    {0x13, "1.6"}, {0x14, "1.8"}, {0x15, "1.8"}, {0x18, "2"},   {0x1B, "2.2"}, {0x1C, "2.5"},
    {0x1D, "2.5"}, {0x20, "2.8"}, {0x23, "3.2"}, {0x24, "3.5"}, {0x25, "3.5"}, {0x28, "4"},
    {0x2B, "4.5"}, {0x2C, "4.5"}, {0x2D, "5.0"}, {0x30, "5.6"}, {0x33, "6.3"}, {0x34, "6.7"},
    {0x35, "7.1"}, {0x38, "8"},   {0x3B, "9"},   {0x3C, "9.5"}, {0x3D, "10"},  {0x40, "11"},
    {0x43, "13"},  {0x44, "13"},  {0x45, "14"},  {0x48, "16"},  {0x4B, "18"},  {0x4C, "19"},
    {0x4D, "20"},  {0x50, "22"},  {0x53, "25"},  {0x54, "27"},  {0x55, "29"},  {0x58, "32"},
    {0x5B, "36"},  {0x5C, "38"},  {0x5D, "40"},  {0x60, "45"},  {0x63, "51"},  {0x64, "54"},
    {0x65, "57"},  {0x68, "64"},  {0x6B, "72"},  {0x6C, "76"},  {0x6D, "80"},  {0x70, "91"},
};

// The first 74 entries, then the electronic shutters beyond 1/8000, a third of a stop apart.
constexpr PropertyLabel kTv[] = {
    {0x0C, "Bulb"},      {0x10, "30\""},    {0x13, "25\""},      {0x14, "20\""},
    {0x15, "20\"(1/3)"}, {0x18, "15\""},    {0x1B, "13\""},      {0x1C, "10\""},
    {0x1D, "10\"(1/3)"}, {0x20, "8\""},     {0x23, "6\"(1/3)"},  {0x24, "6\""},
    {0x25, "5\""},       {0x28, "4\""},     {0x2B, "3\"2"},      {0x2C, "3\""},
    {0x2D, "2\"5"},      {0x30, "2\""},     {0x33, "1\"6"},      {0x34, "1\"5"},
    {0x35, "1\"3"},      {0x38, "1\""},     {0x3B, "0\"8"},      {0x3C, "0\"7"},
    {0x3D, "0\"6"},      {0x40, "0\"5"},    {0x43, "0\"4"},      {0x44, "0\"3"},
    {0x45, "0\"3(1/3)"}, {0x48, "1/4"},     {0x4B, "1/5"},       {0x4C, "1/6"},
    {0x4D, "1/6(1/3)"},  {0x50, "1/8"},     {0x53, "1/10(1/3)"}, {0x54, "1/10"},
    {0x55, "1/13"},      {0x58, "1/15"},    {0x5B, "1/20"},      {0x5C, "1/20"},
    {0x5D, "1/25"},      {0x60, "1/30"},    {0x63, "1/40"},      {0x64, "1/45"},
    {0x65, "1/50"},      {0x68, "1/60"},    {0x6B, "1/80"},      {0x6C, "1/90"},
    {0x6D, "1/100"},     {0x70, "1/125"},   {0x73, "1/160"},     {0x74, "1/180"},
    {0x75, "1/200"},     {0x78, "1/250"},   {0x7B, "1/320"},     {0x7C, "1/350"},
    {0x7D, "1/400"},     {0x80, "1/500"},   {0x83, "1/640"},     {0x84, "1/750"},
    {0x85, "1/800"},     {0x88, "1/1000"},  {0x8B, "1/1250"},    {0x8C, "1/1500"},
    {0x8D, "1/1600"},    {0x90, "1/2000"},  {0x93, "1/2500"},    {0x94, "1/3000"},
    {0x95, "1/3200"},    {0x98, "1/4000"},  {0x9B, "1/5000"},    {0x9C, "1/6000"},
    {0x9D, "1/6400"},    {0xA0, "1/8000"},  {0xA3, "1/10000"},   {0xA5, "1/12800"},
    {0xA8, "1/16000"},   {0xAB, "1/20000"}, {0xAD, "1/25000"},   {0xB0, "1/32000"},
};

// The first 81 entries, then the qualities of bodies they do not know, in the same scheme:
// the first picture's size, then its kind and compression (0x1_ JPEG, 0x6_ RAW; 2 normal,
// 3 fine), then the second picture's. A compact RAW is a RAW of compression 3; a basic JPEG
// is one step below normal (1), an extra fine one a step above fine (4).
constexpr PropertyLabel kImageQuality[] = {
    {0x0064FF0F, "RAW"},
    {0x00640013, "RAW + Large Fine Jpeg"},
    {0x00640113, "RAW + Middle Fine Jpeg"},
    {0x00640213, "RAW + Small Fine Jpeg"},
    {0x00640012, "RAW + Large Normal Jpeg"},
    {0x00640112, "RAW + Middle Normal Jpeg"},
    {0x00640212, "RAW + Small Normal Jpeg"},
    {0x00640E13, "RAW + Small1 Fine Jpeg"},
    {0x00640E12, "RAW + Small1 Normal Jpeg"},
    {0x00640F13, "RAW + Small2 Jpeg"},
    {0x00641013, "RAW + Small3 Jpeg"},
    {0x00640010, "RAW + Large Jpeg"},
    {0x00640510, "RAW + Middle1 Jpeg"},
    {0x00640610, "RAW + Middle2 Jpeg"},
    {0x00640210, "RAW + Small Jpeg"},
    {0x0164FF0F, "Middle Raw(Small RAW1)"},
    {0x01640013, "Middle Raw(Small RAW1) + Large Fine Jpeg"},
    {0x01640113, "Middle Raw(Small RAW1) + Middle Fine Jpeg"},
    {0x01640213, "Middle Raw(Small RAW1) + Small Fine Jpeg"},
    {0x01640012, "Middle Raw(Small RAW1) + Large Normal Jpeg"},
    {0x01640112, "Middle Raw(Small RAW1) + Middle Normal Jpeg"},
    {0x01640212, "Middle Raw(Small RAW1) + Small Normal Jpeg"},
    {0x01640E13, "Middle RAW + Small1 Fine Jpeg"},
    {0x01640E12, "Middle RAW + Small1 Normal Jpeg"},
    {0x01640F13, "Middle RAW + Small2 Jpeg"},
    {0x01641013, "Middle RAW + Small3 Jpeg"},
    {0x01640010, "Middle Raw + Large Jpeg"},
    {0x01640510, "Middle Raw + Middle1 Jpeg"},
    {0x01640610, "Middle Raw + Middle2 Jpeg"},
    {0x01640210, "Middle Raw + Small Jpeg"},
    {0x0264FF0F, "Small RAW(Small RAW2)"},
    {0x02640013, "Small RAW(Small RAW2) + Large Fine Jpeg"},
    {0x02640113, "Small RAW(Small RAW2) + Middle Fine Jpeg"},
    {0x02640213, "Small RAW(Small RAW2) + Small Fine Jpeg"},
    {0x02640012, "Small RAW(Small RAW2) + Large Normal Jpeg"},
    {0x02640112, "Small RAW(Small RAW2) + Middle Normal Jpeg"},
    {0x02640212, "Small RAW(Small RAW2) + Small Normal Jpeg"},
    {0x02640E13, "Small RAW + Small1 Fine Jpeg"},
    {0x02640E12, "Small RAW + Small1 Normal Jpeg"},
    {0x02640F13, "Small RAW + Small2 Jpeg"},
    {0x02641013, "Small RAW + Small3 Jpeg"},
    {0x02640010, "Small RAW + Large Jpeg"},
    {0x02640510, "Small RAW + Middle1 Jpeg"},
    {0x02640610, "Small RAW + Middle2 Jpeg"},
    {0x02640210, "Small RAW + Small Jpeg"},
    {0x0013FF0F, "Large Fine Jpeg"},
    {0x0012FF0F, "Large Normal Jpeg"},
    {0x0113FF0F, "Middle Fine Jpeg"},
    {0x0112FF0F, "Middle Normal Jpeg"},
    {0x0213FF0F, "Small Fine Jpeg"},
    {0x0212FF0F, "Small Normal Jpeg"},
    {0x0E13FF0F, "Small1 Fine Jpeg"},
    {0x0E12FF0F, "Small1 Normal Jpeg"},
    {0x0F13FF0F, "Small2 Jpeg"},
    {0x1013FF0F, "Small3 Jpeg"},
    {0x0010FF0F, "Large Jpeg"},
    {0x0510FF0F, "Middle1 Jpeg"},
    {0x0610FF0F, "Middle2 Jpeg"},
    {0x0210FF0F, "Small Jpeg"},
    {0x00240000, "RAW"},
    {0x00240013, "RAW + Large Fine Jpeg"},
    {0x00240113, "RAW + Middle Fine Jpeg"},
    {0x00240213, "RAW + Small Fine Jpeg"},
    {0x00240012, "RAW + Large Normal Jpeg"},
    {0x00240112, "RAW + Middle Normal Jpeg"},
    {0x00240212, "RAW + Small Normal Jpeg"},
    {0x00130000, "Large Fine Jpeg"},
    {0x01130000, "Middle Fine Jpeg"},
    {0x02130000, "Small Fine Jpeg"},
    {0x00120000, "Large Normal Jpeg"},
    {0x01120000, "Middle Normal Jpeg"},
    {0x02120000, "Small Normal Jpeg"},
    {0x002F000F, "RAW"},
    {0x002F001F, "RAW + Large Jpeg"},
    {0x002F051F, "RAW + Middle1 Jpeg"},
    {0x002F061F, "RAW + Middle2 Jpeg"},
    {0x002F021F, "RAW + Small Jpeg"},
    {0x001F000F, "Large Jpeg"},
    {0x051F000F, "Middle1 Jpeg"},
    {0x061F000F, "Middle2 Jpeg"},
    {0x021F000F, "Small Jpeg"},
    {0x0063FF0F, "CRAW"},
    {0x00630013, "CRAW + Large Fine Jpeg"},
    {0x00630113, "CRAW + Middle Fine Jpeg"},
    {0x00630213, "CRAW + Small Fine Jpeg"},
    {0x00630012, "CRAW + Large Normal Jpeg"},
    {0x00630112, "CRAW + Middle Normal Jpeg"},
    {0x00630212, "CRAW + Small Normal Jpeg"},
    {0x00630F13, "CRAW + Small2 Jpeg"},
    {0x0014FF0F, "Large Extra Fine Jpeg"},
    {0x0011FF0F, "Large Basic Jpeg"},
    {0x00640014, "RAW + Large Extra Fine Jpeg"},
    {0x00640011, "RAW + Large Basic Jpeg"},
};

}  // namespace

std::span<const BilingualLabel> AeModeLabels() {
    return kAeMode;
}
std::span<const BilingualLabel> EvfAfModeLabels() {
    return kEvfAfMode;
}
std::span<const PropertyLabel> MeteringModeLabels() {
    return kMeteringMode;
}
std::span<const PropertyLabel> IsoSpeedLabels() {
    return kIsoSpeed;
}
std::span<const PropertyLabel> AvLabels() {
    return kAv;
}
std::span<const PropertyLabel> TvLabels() {
    return kTv;
}
std::span<const PropertyLabel> ImageQualityLabels() {
    return kImageQuality;
}

// The first 25 entries (±3), then the steps of bodies that reach five stops either way.
const LabelTable& ExposureStepLabels() {
    static const LabelTable table = {
        {0x00, "0"},      {0x03, "+1/3"},   {0x04, "+1/2"},   {0x05, "+2/3"},   {0x08, "+1"},
        {0x0B, "+1 1/3"}, {0x0C, "+1 1/2"}, {0x0D, "+1 2/3"}, {0x10, "+2"},     {0x13, "+2 1/3"},
        {0x14, "+2 1/2"}, {0x15, "+2 2/3"}, {0x18, "+3"},     {0xE8, "-3"},     {0xEB, "-2 2/3"},
        {0xEC, "-2 1/2"}, {0xED, "-2 1/3"}, {0xF0, "-2"},     {0xF3, "-1 2/3"}, {0xF4, "-1 1/2"},
        {0xF5, "-1 1/3"}, {0xF8, "-1"},     {0xFB, "-2/3"},   {0xFC, "-1/2"},   {0xFD, "-1/3"},
        {0x1B, "+3 1/3"}, {0x1C, "+3 1/2"}, {0x1D, "+3 2/3"}, {0x20, "+4"},     {0x23, "+4 1/3"},
        {0x24, "+4 1/2"}, {0x25, "+4 2/3"}, {0x28, "+5"},     {0xD8, "-5"},     {0xDB, "-4 2/3"},
        {0xDC, "-4 1/2"}, {0xDD, "-4 1/3"}, {0xE0, "-4"},     {0xE3, "-3 2/3"}, {0xE4, "-3 1/2"},
        {0xE5, "-3 1/3"},
    };
    return table;
}

}  // namespace talbex::controls
