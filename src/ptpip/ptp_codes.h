// Codes of the standard picture transfer protocol and of its TCP/IP transport: packet
// types, operations, responses, events, device properties, data types and formats.
#pragma once

#include <cstdint>

namespace talbex::ptpip {

// ---- Transport packets ------------------------------------------------------------------

enum PacketType : uint32_t {
    kInitCommandRequest = 1,
    kInitCommandAck = 2,
    kInitEventRequest = 3,
    kInitEventAck = 4,
    kInitFail = 5,
    kOperationRequest = 6,
    kOperationResponse = 7,
    kEventPacket = 8,
    kStartData = 9,
    kDataPacket = 10,
    kCancelPacket = 11,
    kEndData = 12,
    kProbeRequest = 13,
    kProbeResponse = 14,
};

/// Reasons of an initialisation failure.
inline constexpr uint32_t kFailRejectedInitiator = 1;
inline constexpr uint32_t kFailBusy = 2;
inline constexpr uint32_t kFailUnspecified = 3;

/// Protocol version 1.0, as minor then major 16-bit halves.
inline constexpr uint32_t kProtocolVersion = 0x00010000;

/// Data phase of an operation request: 1 none or to the initiator, 2 from the initiator.
inline constexpr uint32_t kDataPhaseFromInitiator = 2;

// ---- Operations -------------------------------------------------------------------------

inline constexpr uint16_t kOpGetDeviceInfo = 0x1001;
inline constexpr uint16_t kOpOpenSession = 0x1002;
inline constexpr uint16_t kOpCloseSession = 0x1003;
inline constexpr uint16_t kOpGetStorageIds = 0x1004;
inline constexpr uint16_t kOpGetStorageInfo = 0x1005;
inline constexpr uint16_t kOpGetNumObjects = 0x1006;
inline constexpr uint16_t kOpGetObjectHandles = 0x1007;
inline constexpr uint16_t kOpGetObjectInfo = 0x1008;
inline constexpr uint16_t kOpGetObject = 0x1009;
inline constexpr uint16_t kOpGetThumb = 0x100A;
inline constexpr uint16_t kOpDeleteObject = 0x100B;
inline constexpr uint16_t kOpInitiateCapture = 0x100E;
inline constexpr uint16_t kOpGetDevicePropDesc = 0x1014;
inline constexpr uint16_t kOpGetDevicePropValue = 0x1015;
inline constexpr uint16_t kOpSetDevicePropValue = 0x1016;

// ---- Responses --------------------------------------------------------------------------

inline constexpr uint16_t kRespOk = 0x2001;
inline constexpr uint16_t kRespGeneralError = 0x2002;
inline constexpr uint16_t kRespSessionNotOpen = 0x2003;
inline constexpr uint16_t kRespOperationNotSupported = 0x2005;
inline constexpr uint16_t kRespParameterNotSupported = 0x2006;
inline constexpr uint16_t kRespIncompleteTransfer = 0x2007;
inline constexpr uint16_t kRespInvalidStorageId = 0x2008;
inline constexpr uint16_t kRespInvalidObjectHandle = 0x2009;
inline constexpr uint16_t kRespDevicePropNotSupported = 0x200A;
inline constexpr uint16_t kRespStoreFull = 0x200C;
inline constexpr uint16_t kRespObjectWriteProtected = 0x200D;
inline constexpr uint16_t kRespAccessDenied = 0x200F;
inline constexpr uint16_t kRespNoThumbnailPresent = 0x2010;
inline constexpr uint16_t kRespDeviceBusy = 0x2019;
inline constexpr uint16_t kRespInvalidParentObject = 0x201A;
inline constexpr uint16_t kRespInvalidDevicePropFormat = 0x201B;
inline constexpr uint16_t kRespInvalidDevicePropValue = 0x201C;
inline constexpr uint16_t kRespInvalidParameter = 0x201D;
inline constexpr uint16_t kRespSessionAlreadyOpen = 0x201E;

// ---- Events -----------------------------------------------------------------------------

inline constexpr uint16_t kEventObjectAdded = 0x4002;
inline constexpr uint16_t kEventObjectRemoved = 0x4003;
inline constexpr uint16_t kEventDevicePropChanged = 0x4006;
inline constexpr uint16_t kEventCaptureComplete = 0x400D;

// ---- Device properties ------------------------------------------------------------------

inline constexpr uint16_t kDpcBatteryLevel = 0x5001;
inline constexpr uint16_t kDpcImageSize = 0x5003;
inline constexpr uint16_t kDpcWhiteBalance = 0x5005;
inline constexpr uint16_t kDpcFNumber = 0x5007;
inline constexpr uint16_t kDpcFocusMode = 0x500A;
inline constexpr uint16_t kDpcExposureMeteringMode = 0x500B;
inline constexpr uint16_t kDpcFlashMode = 0x500C;
inline constexpr uint16_t kDpcExposureTime = 0x500D;
inline constexpr uint16_t kDpcExposureProgramMode = 0x500E;
inline constexpr uint16_t kDpcExposureIndex = 0x500F;
inline constexpr uint16_t kDpcExposureBiasCompensation = 0x5010;
inline constexpr uint16_t kDpcDateTime = 0x5011;
inline constexpr uint16_t kDpcStillCaptureMode = 0x5013;
inline constexpr uint16_t kDpcArtist = 0x501E;
inline constexpr uint16_t kDpcCopyrightInfo = 0x501F;
/// The user's own name for the device (media transfer extension of the standard).
inline constexpr uint16_t kDpcDeviceFriendlyName = 0xD402;

/// Property values with this bit set are the device's own, outside the standard's list.
inline constexpr uint16_t kDeviceDefinedValue = 0x8000;

// ---- Data types and forms ---------------------------------------------------------------

inline constexpr uint16_t kTypeInt8 = 0x0001;
inline constexpr uint16_t kTypeUInt8 = 0x0002;
inline constexpr uint16_t kTypeInt16 = 0x0003;
inline constexpr uint16_t kTypeUInt16 = 0x0004;
inline constexpr uint16_t kTypeInt32 = 0x0005;
inline constexpr uint16_t kTypeUInt32 = 0x0006;
inline constexpr uint16_t kTypeString = 0xFFFF;

inline constexpr uint8_t kFormNone = 0x00;
inline constexpr uint8_t kFormRange = 0x01;
inline constexpr uint8_t kFormEnumeration = 0x02;

inline constexpr uint8_t kGetOnly = 0x00;
inline constexpr uint8_t kGetSet = 0x01;

// ---- Objects and storage ----------------------------------------------------------------

inline constexpr uint16_t kFormatUndefined = 0x3000;
inline constexpr uint16_t kFormatAssociation = 0x3001;
inline constexpr uint16_t kFormatExifJpeg = 0x3801;
inline constexpr uint16_t kAssociationGenericFolder = 0x0001;

inline constexpr uint16_t kStorageRemovableRam = 0x0004;
inline constexpr uint16_t kFilesystemHierarchical = 0x0002;
inline constexpr uint16_t kAccessReadWrite = 0x0000;

/// "Every storage", "every object" and "the root" in object and storage parameters.
inline constexpr uint32_t kAll = 0xFFFFFFFF;

}  // namespace talbex::ptpip
