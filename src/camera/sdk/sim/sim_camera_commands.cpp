// The simulated camera's commands: the shutter, live-view autofocus and lens drive, the
// control lock, the host's capacity and the shutter count.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "camera/sdk/sim/exif_block.h"
#include "camera/sdk/sim/property_codes.h"
#include "camera/sdk/sim/scene.h"
#include "camera/sdk/sim/sim_camera.h"

namespace talbex::sim {

namespace {

constexpr int kPictureQuality = 88;
constexpr uint32_t kShutterButtonCompletelyNonAf = 2;
constexpr uint32_t kColorSpaceAdobeRgb = 2;

std::string PictureName(const char* prefix, uint32_t number, const char* extension) {
    char name[32];
    std::snprintf(name, sizeof name, "%s%04u.%s", prefix, number, extension);
    return name;
}

// The camera's own raw format: the EXIF block's TIFF structure (so the file opens as a
// TIFF with the picture's data), then the sensor's pixels as 8-bit RGB, padded with
// zeros to at least `padTo` bytes.
std::vector<uint8_t> AssembleRaw(const RgbImage& image, const std::vector<uint8_t>& app1,
                                 uint64_t padTo) {
    constexpr size_t kTiffStart = 10;  // marker, length and "Exif\0\0"
    if (app1.size() <= kTiffStart || image.pixels.empty())
        return {};
    std::vector<uint8_t> raw(app1.begin() + kTiffStart, app1.end());
    raw.insert(raw.end(), image.pixels.begin(), image.pixels.end());
    if (raw.size() < padTo)
        raw.resize(padTo, 0);
    return raw;
}

uint16_t IsoSpeed(uint32_t code) {
    if (code < 0x48)
        return 100;  // automatic: the camera chose the base speed
    return static_cast<uint16_t>(std::lround(100 * std::pow(2.0, (code - 0x48) / 8.0)));
}

}  // namespace

FocusState SimCamera::FocusLocked() {
    FocusState state;
    state.evfAfMode = values_[kPropEvfAfMode].value_or(0);
    state.lensPosition = lensPosition_;
    state.afRunning = afRunning_;
    state.zoomAt = zoomAt_;
    state.phase = EvfPhaseLocked();
    return state;
}

double SimCamera::EvfPhaseLocked() const {
    const auto elapsed =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - evfStartedAt_);
    const int64_t frame = elapsed.count() * kEvfFramesPerSecond / 1000;
    return static_cast<double>(frame % kEvfCycleFrames) / kEvfCycleFrames;
}

SdkError SimCamera::SendCommand(const Ref& ref, SdkCameraCommand command, int32_t param) {
    std::unique_lock lock(mutex_);
    Operation operation;
    switch (command) {
        case kCameraCommandTakePicture:
            operation = Operation::TakePicture;
            break;
        case kCameraCommandPressShutterButton:
            operation = Operation::PressShutter;
            break;
        case kCameraCommandDoEvfAf:
            operation = Operation::DoEvfAf;
            break;
        case kCameraCommandDriveLensEvf:
            operation = Operation::DriveLens;
            break;
        default:
            ApplyDueFaultsLocked();
            if (!attached_ || ref.generation != generation_)
                return kSdkErrCommDisconnected;
            return kSdkErrNotSupported;
    }
    if (SdkError e = EnterLocked(ref.generation, operation))
        return e;
    if (SdkError e = CheckSessionLocked())
        return e;
    const bool liveView =
        (values_[kPropEvfOutputDevice].value_or(0) & kEvfOutputDeviceComputer) != 0;

    switch (command) {
        case kCameraCommandTakePicture:
            // An older camera takes the picture command only under its control lock; the
            // shutter button, like the one on the body, needs none.
            if (SdkError e = ShotRefusalLocked())
                return e;
            if (settings_.legacy && !locked_)
                return kSdkErrControlsNotLocked;
            return TakePicture(lock);
        case kCameraCommandPressShutterButton:
            switch (static_cast<uint32_t>(param)) {
                case kShutterButtonOff:
                    shutterHeld_ = false;
                    return kSdkOk;
                case kShutterButtonHalfway:
                    // Autofocus on the chosen point, as a half press does.
                    shutterHeld_ = false;
                    lensPosition_ = AutofocusTarget(FocusLocked());
                    PostPropertyEventLocked(kPropertyEventPropertyChanged, kPropFocusInfo);
                    return kSdkOk;
                case kShutterButtonCompletely:
                case kShutterButtonCompletelyNonAf: {
                    // One picture per full press: the next needs the button released.
                    if (SdkError e = ShotRefusalLocked())
                        return e;
                    if (param == static_cast<int32_t>(kShutterButtonCompletely))
                        lensPosition_ = AutofocusTarget(FocusLocked());
                    const SdkError e = TakePicture(lock);
                    shutterHeld_ = e == kSdkOk;
                    return e;
                }
                default:
                    return kSdkErrInvalidParameter;
            }
        case kCameraCommandDoEvfAf:
            if (param != 0 && param != 1)
                return kSdkErrInvalidParameter;
            if (!liveView)
                return kSdkErrNotSupported;
            afRunning_ = param == 1;
            if (afRunning_)
                lensPosition_ = AutofocusTarget(FocusLocked());
            PostPropertyEventLocked(kPropertyEventPropertyChanged, kPropFocusInfo);
            return kSdkOk;
        default: {  // drive the lens
            const int32_t travel = LensDriveTravel(param);
            if (travel == 0)
                return kSdkErrInvalidParameter;
            if (!liveView)
                return kSdkErrNotSupported;
            lensPosition_ = std::clamp(lensPosition_ + travel, 0, 1000);
            PostPropertyEventLocked(kPropertyEventPropertyChanged, kPropFocusInfo);
            return kSdkOk;
        }
    }
}

SdkError SimCamera::ShotRefusalLocked() const {
    if (shutterHeld_ || BusyLocked())
        return kSdkErrDeviceBusy;
    const bool toHost = (values_.at(kPropSaveTo).value_or(1) & kSaveToHost) != 0;
    if (!settings_.legacy && toHost && capacity_.bytesPerSector <= 0)
        return kSdkErrNoHostCapacity;
    const std::optional<uint32_t> level = values_.at(kPropBatteryLevel);
    if (settings_.batteryDrainPerShot > 0 && level == 0u)
        return kSdkErrTakePictureFailed;  // the battery is empty
    return kSdkOk;
}

SdkError SimCamera::TakePicture(std::unique_lock<std::mutex>& lock) {
    if (SdkError e = ShotRefusalLocked())
        return e;
    // Claim the number and gather what the picture carries, then draw it unlocked.
    const uint32_t number = nextNumber_;
    nextNumber_ = nextNumber_ >= 9999 ? 1 : nextNumber_ + 1;
    // Pictures in Adobe RGB are told apart by their name.
    const char* prefix = values_[kPropColorSpace] == kColorSpaceAdobeRgb ? "_MG_" : "IMG_";
    const PictureFiles files =
        FilesOfQuality(values_[kPropImageQuality].value_or(0), settings_.legacy);
    ExifContent exif;
    exif.bigEndian = settings_.exifBigEndian;
    exif.make = "SimCam";
    exif.model = texts_[kPropProductName].value_or("SimCam");
    exif.firmware = texts_[kPropFirmwareVersion].value_or("");
    exif.dateTime = clock_ ? clock_->Now() : CameraSettings::LocalTimeNow();
    exif.width = static_cast<uint32_t>(settings_.pictureSize.width);
    exif.height = static_cast<uint32_t>(settings_.pictureSize.height);
    exif.iso = IsoSpeed(values_[kPropIsoSpeed].value_or(0));
    exif.bodySerial = settings_.ResolvedBodySerial();
    exif.makerNoteSerial = settings_.ResolvedMakerNoteSerial();
    const uint64_t padTo = pictureBytes_;
    const bool toHost = (values_[kPropSaveTo].value_or(1) & kSaveToHost) != 0;
    const uint64_t generation = generation_;
    const SdkTime when = exif.dateTime;

    lock.unlock();
    const double phase = std::fmod(number * 0.137, 1.0);
    const RgbImage image =
        RenderScene(settings_.pictureSize.width, settings_.pictureSize.height, phase);
    const std::vector<uint8_t> app1 = BuildExifSegment(exif);
    struct File {
        std::string name;
        std::shared_ptr<const std::vector<uint8_t>> bytes;
        uint32_t format;
    };
    std::vector<File> made;
    if (files.raw) {
        made.push_back(
            {PictureName(prefix, number, "RAW"),
             std::make_shared<const std::vector<uint8_t>>(AssembleRaw(image, app1, padTo)),
             kPictureFormatRaw});
    }
    if (files.jpeg) {
        made.push_back({PictureName(prefix, number, "JPG"),
                        std::make_shared<const std::vector<uint8_t>>(
                            AssemblePicture(EncodeJpeg(image, kPictureQuality), app1, padTo)),
                        kPictureFormatJpeg});
    }
    lock.lock();

    if (made.empty() ||
        std::any_of(made.begin(), made.end(), [](const File& file) { return file.bytes->empty(); }))
        return kSdkErrTakePictureFailed;
    if (!attached_ || generation != generation_)
        return kSdkErrCommDisconnected;
    ++picturesTaken_;
    if (shutterCount_)
        ++*shutterCount_;
    lastName_ = made.back().name;
    lastPicture_ = made.back().bytes;
    busyUntil_ = Clock::now() + std::chrono::milliseconds(settings_.busyAfterShotMs);
    DrainBatteryLocked();
    if (toHost) {
        for (const File& file : made) {
            auto item = std::make_shared<Item>();
            item->camera = weak_from_this();
            item->generation = generation_;
            item->fileName = file.name;
            item->bytes = file.bytes;
            item->format = file.format;
            item->dateTime = static_cast<uint32_t>(TimeToMilliseconds(when) / 1000);
            PostObjectEventLocked(kObjectEventDirItemRequestTransfer, std::move(item));
        }
    }
    return kSdkOk;
}

void SimCamera::DrainBatteryLocked() {
    auto& level = values_[kPropBatteryLevel];
    if (settings_.batteryDrainPerShot == 0 || !level || *level == kBatteryLevelMains)
        return;
    level = *level > settings_.batteryDrainPerShot ? *level - settings_.batteryDrainPerShot : 0;
    PostPropertyEventLocked(kPropertyEventPropertyChanged, kPropBatteryLevel);
}

SdkError SimCamera::SendStatusCommand(const Ref& ref, SdkStatusCommand command, int32_t) {
    std::lock_guard lock(mutex_);
    if (SdkError e = EnterLocked(ref.generation, Operation::StatusCommand))
        return e;
    if (SdkError e = CheckSessionLocked())
        return e;
    if (command == kStatusCommandUiLock) {
        locked_ = true;
        return kSdkOk;
    }
    if (command == kStatusCommandUiUnlock) {
        locked_ = false;
        return kSdkOk;
    }
    return kSdkErrNotSupported;
}

SdkError SimCamera::SetCapacity(const Ref& ref, SdkCapacity capacity) {
    std::lock_guard lock(mutex_);
    if (SdkError e = EnterLocked(ref.generation, Operation::SetCapacity))
        return e;
    if (SdkError e = CheckSessionLocked())
        return e;
    if (capacity.bytesPerSector <= 0 || capacity.numberOfFreeClusters < 0)
        return kSdkErrInvalidParameter;
    capacity_ = capacity;
    return kSdkOk;
}

SdkError SimCamera::GetShutterCount(const Ref& ref, uint32_t* out) {
    std::lock_guard lock(mutex_);
    if (SdkError e = EnterLocked(ref.generation, Operation::GetShutterCount))
        return e;
    if (!shutterCount_)
        return kSdkErrPropertyUnavailable;
    *out = *shutterCount_;
    return kSdkOk;
}

}  // namespace talbex::sim
