#include "camera/camera_model.h"

#include <algorithm>
#include <array>
#include <iterator>

#include "camera/current_model.h"

namespace talbex::camera {

namespace {

constexpr std::array<SdkPropertyId, 8> kDescribed = {kPropAeMode,       kPropAv,
                                                     kPropTv,           kPropIsoSpeed,
                                                     kPropMeteringMode, kPropExposureCompensation,
                                                     kPropImageQuality, kPropEvfAfMode};

int describedIndex(SdkPropertyId id) {
    for (size_t i = 0; i < kDescribed.size(); ++i) {
        if (kDescribed[i] == id)
            return static_cast<int>(i);
    }
    return -1;
}

constexpr size_t kProductNameMax = 255;

}  // namespace

struct CameraModel::Descriptions {
    std::array<SdkPropertyDesc, kDescribed.size()> desc{};
};

CameraModel::CameraModel(SdkCameraRef camera)
    : camera_(camera),
      focusInfo_(std::make_unique<SdkFocusInfo>()),
      descriptions_(std::make_unique<Descriptions>()) {}

std::optional<SdkError> CameraModel::getSessionOutcome() const {
    std::lock_guard lock(mutex_);
    return sessionOutcome_;
}

void CameraModel::setSessionOutcome(SdkError result) {
    std::lock_guard lock(mutex_);
    sessionOutcome_ = result;
}

CameraModel::~CameraModel() {
    // A control must never reach a model that is gone.
    CameraModel* self = this;
    currentModel.compare_exchange_strong(self, nullptr);
}

uint32_t CameraModel::Values::*CameraModel::fieldOf(SdkPropertyId id) {
    switch (id) {
        case kPropImageQuality:
            return &Values::imageQuality;
        case kPropIsoSpeed:
            return &Values::isoSpeed;
        case kPropMeteringMode:
            return &Values::meteringMode;
        case kPropAv:
            return &Values::av;
        case kPropTv:
            return &Values::tv;
        case kPropExposureCompensation:
            return &Values::exposureCompensation;
        case kPropAeMode:
            return &Values::aeMode;
        case kPropEvfOutputDevice:
            return &Values::evfOutputDevice;
        case kPropEvfMode:
            return &Values::evfMode;
        case kPropEvfDepthOfFieldPreview:
            return &Values::evfDepthOfFieldPreview;
        case kPropEvfAfMode:
            return &Values::evfAFMode;
        default:
            return nullptr;
    }
}

bool CameraModel::keepsUInt32(SdkPropertyId id) {
    return fieldOf(id) != nullptr;
}

bool CameraModel::keepsDesc(SdkPropertyId id) {
    return describedIndex(id) >= 0;
}

uint32_t CameraModel::get(uint32_t Values::*field) const {
    std::lock_guard lock(mutex_);
    return values_.*field;
}

std::string CameraModel::getProductName() const {
    std::lock_guard lock(mutex_);
    return productName_;
}

tagSdkPoint CameraModel::getEvfZoomPosition() const {
    std::lock_guard lock(mutex_);
    return evfZoomPosition_;
}

SdkRect CameraModel::getEvfZoomRect() const {
    std::lock_guard lock(mutex_);
    return evfZoomRect_;
}

SdkFocusInfo CameraModel::getFocusInfo() const {
    std::lock_guard lock(mutex_);
    return *focusInfo_;
}

SdkPropertyDesc CameraModel::getPropertyDesc(SdkPropertyId id) const {
    int index = describedIndex(id);
    if (index < 0)
        return SdkPropertyDesc{};
    std::lock_guard lock(mutex_);
    return descriptions_->desc[index];
}

void CameraModel::setPropertyUInt32(SdkPropertyId id, uint32_t value) {
    auto field = fieldOf(id);
    if (field == nullptr)
        return;
    std::lock_guard lock(mutex_);
    values_.*field = value;
}

void CameraModel::setPropertyString(SdkPropertyId id, const std::string& text) {
    if (id != kPropProductName)
        return;
    std::string name = text.substr(0, std::min(text.find('\0'), kProductNameMax));
    std::lock_guard lock(mutex_);
    productName_ = std::move(name);
}

void CameraModel::setFocusInfo(const SdkFocusInfo& info) {
    std::lock_guard lock(mutex_);
    *focusInfo_ = info;
    if (focusInfo_->pointNumber > kMaxFocusPoints)
        focusInfo_->pointNumber = kMaxFocusPoints;
}

void CameraModel::setPropertyDesc(SdkPropertyId id, const SdkPropertyDesc& desc) {
    int index = describedIndex(id);
    if (index < 0)
        return;
    SdkPropertyDesc kept = desc;
    // Controls walk the first numElements values; never let them walk past the 128.
    if (kept.numElements < 0)
        kept.numElements = 0;
    if (kept.numElements > static_cast<int32_t>(std::size(kept.propDesc)))
        kept.numElements = static_cast<int32_t>(std::size(kept.propDesc));
    std::lock_guard lock(mutex_);
    descriptions_->desc[index] = kept;
}

void CameraModel::setEvfZoom(uint32_t zoom) {
    std::lock_guard lock(mutex_);
    values_.evfZoom = zoom;
}

void CameraModel::setEvfZoomPosition(tagSdkPoint position) {
    std::lock_guard lock(mutex_);
    evfZoomPosition_ = position;
}

void CameraModel::setEvfZoomRect(SdkRect rect) {
    std::lock_guard lock(mutex_);
    evfZoomRect_ = rect;
}

std::string CameraModel::getTransferName() const {
    std::lock_guard lock(mutex_);
    return transferName_;
}

void CameraModel::setTransferName(const std::string& name) {
    std::lock_guard lock(mutex_);
    transferName_ = name;
}

std::unique_ptr<CameraModel> createCameraModel(SdkCameraRef camera, const SdkDeviceInfo& info) {
    std::unique_ptr<CameraModel> model;
    if (info.deviceSubType == 0)
        model = std::make_unique<CameraModelLegacy>(camera);
    else
        model = std::make_unique<CameraModel>(camera);
    currentModel = model.get();
    return model;
}

}  // namespace talbex::camera
