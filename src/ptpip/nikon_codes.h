// Codes of Nikon's vendor extension of the picture transfer protocol, as libgphoto2
// 2.5.30's ptp2 driver names them (ptp.h): the extension's id, the operations, events,
// responses and device properties a served Nikon body answers.
#pragma once

#include <cstdint>

namespace talbex::ptpip {

/// The vendor extension id that makes libgphoto2 take a camera for a Nikon body.
inline constexpr uint32_t kVendorNikon = 0x0000000A;

// ---- Operations -------------------------------------------------------------------------

inline constexpr uint16_t kOpNikonInitiateCaptureRecInSdram = 0x90C0;  // 1 parameter
inline constexpr uint16_t kOpNikonAfDrive = 0x90C1;
inline constexpr uint16_t kOpNikonChangeCameraMode = 0x90C2;  // 0 the body's own, 1 the host's
inline constexpr uint16_t kOpNikonDelImageSdram = 0x90C3;     // a handle, 0: every one
inline constexpr uint16_t kOpNikonGetEvent = 0x90C7;
inline constexpr uint16_t kOpNikonDeviceReady = 0x90C8;
inline constexpr uint16_t kOpNikonAfCaptureSdram = 0x90CB;
inline constexpr uint16_t kOpNikonStartLiveView = 0x9201;
inline constexpr uint16_t kOpNikonEndLiveView = 0x9202;
inline constexpr uint16_t kOpNikonGetLiveViewImg = 0x9203;
inline constexpr uint16_t kOpNikonMfDrive = 0x9204;  // direction (1 near, 2 far), steps

// ---- Events -----------------------------------------------------------------------------

inline constexpr uint16_t kEventNikonObjectAddedInSdram = 0xC101;  // the object's handle
inline constexpr uint16_t kEventNikonCaptureCompleteRecInSdram = 0xC102;

// ---- Responses --------------------------------------------------------------------------

inline constexpr uint16_t kRespNikonNotLiveView = 0xA00B;

// ---- Device properties ------------------------------------------------------------------

inline constexpr uint16_t kDpcCompressionSetting = 0x5004;  // the standard's, Nikon's values
inline constexpr uint16_t kDpcNikonIsoAuto = 0xD054;
inline constexpr uint16_t kDpcNikonArtistName = 0xD072;
inline constexpr uint16_t kDpcNikonCopyrightInfo = 0xD073;
inline constexpr uint16_t kDpcNikonLensId = 0xD0E0;
inline constexpr uint16_t kDpcNikonExposureTime = 0xD100;  // numerator << 16 | denominator
inline constexpr uint16_t kDpcNikonLiveViewStatus = 0xD1A2;

/// The first picture in the camera's memory; more of one shot follow it.
inline constexpr uint32_t kNikonMemoryHandle = 0xFFFF0001;

}  // namespace talbex::ptpip
