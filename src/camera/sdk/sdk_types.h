// Records, identifiers and result codes of the camera SDK boundary.
//
// Records keep the exact byte layout the camera library delivers, so they are
// standard-layout structs whose sizes are checked at compile time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

// ---- Result codes -----------------------------------------------------------------------

using SdkError = uint32_t;

inline constexpr SdkError kSdkOk = 0x00000000;
inline constexpr SdkError kSdkErrInternal = 0x00000002;
/// The receiver cancelled the operation (a transfer, through its progress callback).
inline constexpr SdkError kSdkErrOperationCancelled = 0x00000005;
inline constexpr SdkError kSdkErrNotSupported = 0x00000007;
inline constexpr SdkError kSdkErrFileIo = 0x00000020;
inline constexpr SdkError kSdkErrPropertyUnavailable = 0x00000050;
inline constexpr SdkError kSdkErrInvalidParameter = 0x00000060;
inline constexpr SdkError kSdkErrInvalidHandle = 0x00000061;
inline constexpr SdkError kSdkErrInvalidPointer = 0x00000062;
inline constexpr SdkError kSdkErrInvalidIndex = 0x00000063;
inline constexpr SdkError kSdkErrInvalidLength = 0x00000064;
inline constexpr SdkError kSdkErrNotInitialized = 0x00000065;
inline constexpr SdkError kSdkErrSessionNotOpen = 0x00000066;
/// An older-protocol camera takes writes and pictures only while its own controls are
/// locked (kStatusCommandUiLock).
inline constexpr SdkError kSdkErrControlsNotLocked = 0x00000067;
/// Pictures cannot go to the computer before the computer has declared its free capacity
/// (SdkSetCapacity) in this session.
inline constexpr SdkError kSdkErrNoHostCapacity = 0x00000068;
/// The program's own code for "no camera attached" (never produced by the library).
inline constexpr SdkError kSdkErrDeviceNotFound = 0x00000080;
/// Another program holds the camera (a desktop's file manager that mounted it): it cannot
/// be opened until that program lets it go.
inline constexpr SdkError kSdkErrDeviceHeld = 0x00000069;
/// The camera is busy; the request may succeed when repeated.
inline constexpr SdkError kSdkErrDeviceBusy = 0x00000081;
/// The camera refused a value it does not currently allow.
inline constexpr SdkError kSdkErrInvalidValue = 0x00000082;
/// The camera is gone (unplugged or switched off) while a call was in progress.
inline constexpr SdkError kSdkErrCommDisconnected = 0x000000C1;
inline constexpr SdkError kSdkErrTakePictureFailed = 0x00008D01;
/// Live view has no new frame yet.
inline constexpr SdkError kSdkErrObjectNotReady = 0x0000A102;

// ---- Opaque references ------------------------------------------------------------------

/// Every reference handed out by the boundary; released with SdkRelease.
class SdkObject;
using SdkBaseRef = SdkObject*;
using SdkCameraListRef = SdkObject*;
using SdkCameraRef = SdkObject*;
using SdkDirectoryItemRef = SdkObject*;
using SdkStreamRef = SdkObject*;
using SdkEvfImageRef = SdkObject*;

// ---- Property identifiers ---------------------------------------------------------------

using SdkPropertyId = uint32_t;

inline constexpr SdkPropertyId kPropProductName = 0x0002;
inline constexpr SdkPropertyId kPropOwnerName = 0x0004;
inline constexpr SdkPropertyId kPropDateTime = 0x0006;
inline constexpr SdkPropertyId kPropFirmwareVersion = 0x0007;
inline constexpr SdkPropertyId kPropBatteryLevel = 0x0008;
inline constexpr SdkPropertyId kPropSaveTo = 0x000B;
inline constexpr SdkPropertyId kPropCurrentFolder = 0x000D;
inline constexpr SdkPropertyId kPropBatteryQuality = 0x0010;
inline constexpr SdkPropertyId kPropBodySerial = 0x0015;
inline constexpr SdkPropertyId kPropShutterCount = 0x0022;
inline constexpr SdkPropertyId kPropImageQuality = 0x0100;
inline constexpr SdkPropertyId kPropFocusInfo = 0x0104;
inline constexpr SdkPropertyId kPropWhiteBalance = 0x0106;
inline constexpr SdkPropertyId kPropColorSpace = 0x010D;
inline constexpr SdkPropertyId kPropShootingMode = 0x0400;  // the mode dial; 3 = M
inline constexpr SdkPropertyId kPropDriveMode = 0x0401;
inline constexpr SdkPropertyId kPropIsoSpeed = 0x0402;
inline constexpr SdkPropertyId kPropMeteringMode = 0x0403;
inline constexpr SdkPropertyId kPropAfMode = 0x0404;
inline constexpr SdkPropertyId kPropAv = 0x0405;
inline constexpr SdkPropertyId kPropTv = 0x0406;
inline constexpr SdkPropertyId kPropExposureCompensation = 0x0407;
inline constexpr SdkPropertyId kPropFlashCompensation = 0x0408;
inline constexpr SdkPropertyId kPropLensName = 0x040D;
inline constexpr SdkPropertyId kPropNoiseReduction = 0x0411;
inline constexpr SdkPropertyId kPropFlashOn = 0x0412;
inline constexpr SdkPropertyId kPropRedEye = 0x0413;
inline constexpr SdkPropertyId kPropArtist = 0x0418;
inline constexpr SdkPropertyId kPropCopyright = 0x0419;
inline constexpr SdkPropertyId kPropAeMode = 0x0436;
inline constexpr SdkPropertyId kPropEvfOutputDevice = 0x0500;
inline constexpr SdkPropertyId kPropEvfMode = 0x0501;
inline constexpr SdkPropertyId kPropEvfDepthOfFieldPreview = 0x0504;
inline constexpr SdkPropertyId kPropEvfZoom = 0x0507;
inline constexpr SdkPropertyId kPropEvfZoomPosition = 0x0508;
inline constexpr SdkPropertyId kPropEvfHistogram = 0x050A;
inline constexpr SdkPropertyId kPropEvfImagePosition = 0x050B;
inline constexpr SdkPropertyId kPropEvfAfMode = 0x050E;
inline constexpr SdkPropertyId kPropEvfCoordinateSystem = 0x0540;
inline constexpr SdkPropertyId kPropEvfZoomRect = 0x0541;

/// Bit of the live-view output device that means "the computer".
inline constexpr uint32_t kEvfOutputDeviceComputer = 2;
/// Value of kPropSaveTo that sends pictures to the computer.
inline constexpr uint32_t kSaveToHost = 2;

// ---- Property data types ----------------------------------------------------------------

using SdkDataType = uint32_t;

inline constexpr SdkDataType kDataTypeUnknown = 0;
inline constexpr SdkDataType kDataTypeString = 2;
inline constexpr SdkDataType kDataTypeInt32 = 8;
inline constexpr SdkDataType kDataTypeUInt32 = 9;
inline constexpr SdkDataType kDataTypeFocusInfo = 0x65;
inline constexpr SdkDataType kDataTypeTime = 0x66;
inline constexpr SdkDataType kDataTypePoint = 0x67;
inline constexpr SdkDataType kDataTypeRect = 0x68;
inline constexpr SdkDataType kDataTypeSize = 0x69;
inline constexpr SdkDataType kDataTypeUInt32Array = 0x6A;

// ---- Events -----------------------------------------------------------------------------

using SdkPropertyEvent = uint32_t;
using SdkObjectEvent = uint32_t;
using SdkStateEvent = uint32_t;

inline constexpr SdkPropertyEvent kPropertyEventAll = 0x100;
inline constexpr SdkPropertyEvent kPropertyEventPropertyChanged = 0x101;
inline constexpr SdkPropertyEvent kPropertyEventPropertyDescChanged = 0x102;
inline constexpr SdkObjectEvent kObjectEventAll = 0x200;
inline constexpr SdkObjectEvent kObjectEventDirItemCreated = 0x204;
inline constexpr SdkObjectEvent kObjectEventDirItemRequestTransfer = 0x208;
inline constexpr SdkStateEvent kStateEventAll = 0x300;
inline constexpr SdkStateEvent kStateEventShutdown = 0x301;

// ---- Commands ---------------------------------------------------------------------------

using SdkCameraCommand = uint32_t;

inline constexpr SdkCameraCommand kCameraCommandTakePicture = 0x000;
inline constexpr SdkCameraCommand kCameraCommandPressShutterButton = 0x004;
inline constexpr SdkCameraCommand kCameraCommandDoEvfAf = 0x102;
inline constexpr SdkCameraCommand kCameraCommandDriveLensEvf = 0x103;

inline constexpr uint32_t kShutterButtonOff = 0;
inline constexpr uint32_t kShutterButtonHalfway = 1;
inline constexpr uint32_t kShutterButtonCompletely = 3;

using SdkStatusCommand = uint32_t;
inline constexpr SdkStatusCommand kStatusCommandUiLock = 0;
inline constexpr SdkStatusCommand kStatusCommandUiUnlock = 1;

// ---- Streams ----------------------------------------------------------------------------

using SdkFileCreateDisposition = uint32_t;
inline constexpr SdkFileCreateDisposition kFileCreateNew = 0;
inline constexpr SdkFileCreateDisposition kFileCreateAlways = 1;
inline constexpr SdkFileCreateDisposition kFileOpenExisting = 2;

using SdkAccess = uint32_t;
inline constexpr SdkAccess kAccessRead = 0;
inline constexpr SdkAccess kAccessWrite = 1;
inline constexpr SdkAccess kAccessReadWrite = 2;

using SdkProgressOption = uint32_t;
inline constexpr SdkProgressOption kProgressDone = 0;
inline constexpr SdkProgressOption kProgressPeriodically = 2;

// ---- Records ----------------------------------------------------------------------------

/// A point, x then y; the live-view zoom position.
struct tagSdkPoint {
    int32_t x;
    int32_t y;
};

struct SdkRect {
    int32_t x;
    int32_t y;
    int32_t width;
    int32_t height;
};

struct SdkSize {
    int32_t width;
    int32_t height;
};

struct SdkDeviceInfo {
    char portName[256];
    char deviceDescription[256];
    uint32_t deviceSubType;  // 0 = legacy protocol
    uint32_t reserved;
};

struct SdkPropertyDesc {
    int32_t form;
    int32_t access;
    int32_t numElements;
    int32_t propDesc[128];
};

struct SdkFocusPoint {
    uint32_t valid;
    uint32_t selected;
    uint32_t justFocus;
    SdkRect rect;
    uint32_t reserved;
};

inline constexpr uint32_t kMaxFocusPoints = 128;

struct SdkFocusInfo {
    SdkRect imageRect;
    uint32_t pointNumber;
    SdkFocusPoint focusPoint[kMaxFocusPoints];
    uint32_t executeMode;
};

struct SdkCapacity {
    int32_t numberOfFreeClusters;
    int32_t bytesPerSector;
    int32_t reset;
};

struct SdkDirectoryItemInfo {
    uint32_t size;
    int32_t isFolder;
    uint32_t groupId;
    uint32_t option;  // kItemOption... flags
    char fileName[256];
    uint32_t format;
    uint32_t dateTime;
};

/// The camera no longer holds the picture (it went from the camera's memory straight to
/// the computer): the program's copy is the only one.
inline constexpr uint32_t kItemOptionHandedOver = 0x1;

/// Camera clock: year, month, day, hour, minute, second, milliseconds.
struct SdkTime {
    uint32_t year;
    uint32_t month;
    uint32_t day;
    uint32_t hour;
    uint32_t minute;
    uint32_t second;
    uint32_t milliseconds;
};

inline constexpr uint32_t kHistogramValues = 1024;

static_assert(std::is_standard_layout_v<SdkDeviceInfo> && sizeof(SdkDeviceInfo) == 520);
static_assert(std::is_standard_layout_v<SdkPropertyDesc> && sizeof(SdkPropertyDesc) == 524);
static_assert(std::is_standard_layout_v<SdkFocusPoint> && sizeof(SdkFocusPoint) == 32);
static_assert(std::is_standard_layout_v<SdkFocusInfo> && sizeof(SdkFocusInfo) == 4120);
static_assert(std::is_standard_layout_v<SdkDirectoryItemInfo> &&
              sizeof(SdkDirectoryItemInfo) == 280);
static_assert(sizeof(SdkCapacity) == 12);
static_assert(sizeof(tagSdkPoint) == 8);
static_assert(sizeof(SdkRect) == 16);
static_assert(sizeof(SdkTime) == 28);

// ---- Callbacks --------------------------------------------------------------------------

using SdkProgressCallback = SdkError (*)(uint32_t percent, void* context, bool* outCancel);
using SdkPropertyEventHandler = SdkError (*)(SdkPropertyEvent event, SdkPropertyId property,
                                             uint32_t param, void* context);
using SdkObjectEventHandler = SdkError (*)(SdkObjectEvent event, SdkBaseRef object, void* context);
using SdkStateEventHandler = SdkError (*)(SdkStateEvent event, uint32_t param, void* context);
