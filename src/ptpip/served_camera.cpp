#include "ptpip/served_camera.h"

#include <algorithm>
#include <cctype>

#include "camera/sdk/sdk_backend.h"
#include "ptpip/nikon_codes.h"
#include "ptpip/ptp_codes.h"
#include "ptpip/served_properties.h"

namespace talbex::ptpip {

namespace {

constexpr uint32_t kStorageId = 0x00010001;

const uint16_t kOperations[] = {
    kOpGetDeviceInfo,      kOpOpenSession,        kOpCloseSession,     kOpGetStorageIds,
    kOpGetStorageInfo,     kOpGetNumObjects,      kOpGetObjectHandles, kOpGetObjectInfo,
    kOpGetObject,          kOpDeleteObject,       kOpInitiateCapture,  kOpGetDevicePropDesc,
    kOpGetDevicePropValue, kOpSetDevicePropValue,
};
const uint16_t kEvents[] = {kEventObjectAdded, kEventObjectRemoved, kEventDevicePropChanged,
                            kEventCaptureComplete};
// What libgphoto2 2.5.30 needs of a Nikon body (library.c's fixup_cached_deviceinfo and
// camera_nikon_capture, config.c's actions): capture into memory and its events, live
// view, focus drive. No GetVendorPropCodes: the device information lists every property.
const uint16_t kNikonOperations[] = {
    kOpNikonInitiateCaptureRecInSdram,
    kOpNikonAfDrive,
    kOpNikonChangeCameraMode,
    kOpNikonDelImageSdram,
    kOpNikonGetEvent,
    kOpNikonDeviceReady,
    kOpNikonAfCaptureSdram,
    kOpNikonStartLiveView,
    kOpNikonEndLiveView,
    kOpNikonGetLiveViewImg,
    kOpNikonMfDrive,
};
const uint16_t kNikonEvents[] = {kEventNikonObjectAddedInSdram,
                                 kEventNikonCaptureCompleteRecInSdram};

bool IsJpegName(const std::string& name) {
    std::string lower = name;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    auto endsWith = [&](const char* s) {
        const std::string suffix = s;
        return lower.size() >= suffix.size() &&
               lower.compare(lower.size() - suffix.size(), suffix.size(), suffix) == 0;
    };
    return endsWith(".jpg") || endsWith(".jpeg");
}

bool SendSmall(DataSink& out, const std::vector<uint8_t>& bytes) {
    return out.Start(bytes.size()) && out.End(bytes);
}

}  // namespace

// What the camera's event handlers hand over; drained by the event thread.
struct ServedCamera::Inbox {
    enum class Kind { kProperty, kPicture, kGone };
    struct Entry {
        Kind kind;
        SdkPropertyId property = 0;
        SdkDirectoryItemRef item = nullptr;
    };

    void Push(Entry entry) {
        {
            std::lock_guard lock(mutex);
            entries.push_back(entry);
        }
        wake.notify_one();
    }

    static SdkError OnProperty(SdkPropertyEvent, SdkPropertyId property, uint32_t, void* context) {
        static_cast<Inbox*>(context)->Push({Kind::kProperty, property, nullptr});
        return kSdkOk;
    }
    static SdkError OnObject(SdkObjectEvent event, SdkBaseRef object, void* context) {
        if (event == kObjectEventDirItemRequestTransfer)
            static_cast<Inbox*>(context)->Push({Kind::kPicture, 0, object});
        else
            SdkRelease(object);
        return kSdkOk;
    }
    static SdkError OnState(SdkStateEvent event, uint32_t, void* context) {
        if (event == kStateEventShutdown)
            static_cast<Inbox*>(context)->Push({Kind::kGone, 0, nullptr});
        return kSdkOk;
    }

    std::mutex mutex;
    std::condition_variable wake;
    std::deque<Entry> entries;
    bool stop = false;
};

std::unique_ptr<ServedCamera> ServedCamera::Open(std::string* error, Options options) {
    const std::span<const ServedProperty> properties = ServedPropertiesOf(options.vendor);
    if (options.offered)
        for (const std::string& name : *options.offered)
            if (FindServedPropertyNamed(properties, name) == nullptr) {
                *error = "served_properties: no property '" + name +
                         "' is served (battery_level, image_size, date_time, f_number, ...)";
                return nullptr;
            }
    std::unique_ptr<ServedCamera> served(new ServedCamera);
    served->options_ = std::move(options);
    served->properties_ = properties;
    if (SdkInitialize() != kSdkOk) {
        *error = SdkLastInitializeError();
        if (error->empty())
            *error = "the camera library could not be opened";
        return nullptr;
    }
    served->initialized_ = true;
    SdkCameraListRef list = nullptr;
    int32_t count = 0;
    SdkError e = SdkGetCameraList(&list);
    if (e == kSdkOk)
        e = SdkGetChildCount(list, &count);
    if (e == kSdkOk && count > 0)
        e = SdkGetChildAtIndex(list, 0, &served->camera_);
    if (list != nullptr)
        SdkRelease(list);
    if (e != kSdkOk || served->camera_ == nullptr) {
        *error = "no camera is attached";
        return nullptr;
    }
    if (SdkOpenSession(served->camera_) != kSdkOk) {
        *error = "the camera refused a session";
        return nullptr;
    }
    // Pictures come to the host, which keeps them on its card.
    const uint32_t host = kSaveToHost;
    SdkSetPropertyData(served->camera_, kPropSaveTo, 0, sizeof host, &host);
    // A camera sends pictures to a host only once the host has said it has room for them.
    SdkSetCapacity(served->camera_, SdkCapacity{0x7FFFFFFF, 0x1000, 1});

    served->inbox_ = std::make_shared<Inbox>();
    void* context = served->inbox_.get();
    SdkSetPropertyEventHandler(served->camera_, kPropertyEventAll, &Inbox::OnProperty, context);
    SdkSetObjectEventHandler(served->camera_, kObjectEventAll, &Inbox::OnObject, context);
    SdkSetCameraStateEventHandler(served->camera_, kStateEventAll, &Inbox::OnState, context);

    std::string folder = served->ReadText(kPropCurrentFolder);
    served->objects_[kDcimHandle] = Stored{0, true, "DCIM", nullptr, 0, ""};
    served->objects_[kFolderHandle] =
        Stored{kDcimHandle, true, folder.empty() ? "100CAMERA" : folder, nullptr, 0, ""};
    served->events_ = std::thread([raw = served.get()] { raw->RunEvents(); });
    return served;
}

ServedCamera::~ServedCamera() {
    if (camera_ != nullptr) {
        SdkSetPropertyEventHandler(camera_, kPropertyEventAll, nullptr, nullptr);
        SdkSetObjectEventHandler(camera_, kObjectEventAll, nullptr, nullptr);
        SdkSetCameraStateEventHandler(camera_, kStateEventAll, nullptr, nullptr);
    }
    if (inbox_) {
        {
            std::lock_guard lock(inbox_->mutex);
            inbox_->stop = true;
        }
        inbox_->wake.notify_all();
    }
    if (events_.joinable())
        events_.join();
    if (inbox_) {
        for (const Inbox::Entry& entry : inbox_->entries)
            if (entry.item != nullptr)
                SdkRelease(entry.item);
        inbox_->entries.clear();
    }
    if (camera_ != nullptr)
        SdkCloseSession(camera_);
    for (auto& [handle, stored] : objects_)
        if (stored.item != nullptr)
            SdkRelease(stored.item);
    objects_.clear();
    if (camera_ != nullptr)
        SdkRelease(camera_);
    if (initialized_)
        SdkTerminate();  // stops the library's event delivery before the inbox goes
}

void ServedCamera::SetEventListener(EventListener listener) {
    std::lock_guard lock(mutex_);
    eventListener_ = std::move(listener);
}

void ServedCamera::SetGoneListener(std::function<void()> listener) {
    std::lock_guard lock(mutex_);
    goneListener_ = std::move(listener);
}

bool ServedCamera::Gone() const {
    std::lock_guard lock(mutex_);
    return gone_;
}

std::string ServedCamera::ModelName() {
    return ReadText(kPropProductName);
}

std::string ServedCamera::SerialNumber() {
    return ReadText(kPropBodySerial);
}

std::string ServedCamera::ReadText(SdkPropertyId id) {
    SdkDataType type;
    uint32_t size;
    if (SdkGetPropertySize(camera_, id, 0, &type, &size) != kSdkOk || type != kDataTypeString)
        return "";
    std::vector<char> text(std::clamp<uint32_t>(size, 1, 4096) + 1, '\0');
    if (SdkGetPropertyData(camera_, id, 0, static_cast<uint32_t>(text.size() - 1), text.data()) !=
        kSdkOk)
        return "";
    return text.data();
}

const ServedProperty* ServedCamera::Offered(uint16_t ptpCode) const {
    const ServedProperty* property = FindServedProperty(properties_, ptpCode);
    if (property == nullptr || !options_.offered)
        return property;
    return std::find(options_.offered->begin(), options_.offered->end(), property->name) !=
                   options_.offered->end()
               ? property
               : nullptr;
}

std::vector<uint16_t> ServedCamera::PropertyList() {
    std::vector<uint16_t> codes;
    for (const ServedProperty& p : properties_) {
        SdkDataType type;
        uint32_t size;
        if (Offered(p.ptpCode) != nullptr &&
            (!HasCameraProperty(p) || SdkGetPropertySize(camera_, p.id, 0, &type, &size) == kSdkOk))
            codes.push_back(p.ptpCode);
    }
    return codes;
}

std::vector<uint16_t> ServedCamera::OperationList() const {
    std::vector<uint16_t> codes(std::begin(kOperations), std::end(kOperations));
    if (Nikon())
        codes.insert(codes.end(), std::begin(kNikonOperations), std::end(kNikonOperations));
    return codes;
}

std::vector<uint16_t> ServedCamera::EventList() const {
    std::vector<uint16_t> codes(std::begin(kEvents), std::end(kEvents));
    if (Nikon())
        codes.insert(codes.end(), std::begin(kNikonEvents), std::end(kNikonEvents));
    return codes;
}

void ServedCamera::MarkGone() {
    std::function<void()> listener;
    {
        std::lock_guard lock(mutex_);
        if (gone_)
            return;
        gone_ = true;
        listener = goneListener_;
    }
    if (listener)
        listener();
}

Reply ServedCamera::Failure(SdkError error, uint16_t refused) {
    if (error == kSdkErrCommDisconnected) {
        MarkGone();
        return Reply{kRespGeneralError, {}, true};
    }
    if (error == kSdkErrDeviceBusy)
        return Reply{kRespDeviceBusy, {}, false};
    return Reply{refused, {}, false};
}

void ServedCamera::Emit(uint16_t code, uint32_t transaction, std::vector<uint32_t> params) {
    EventListener listener;
    {
        std::lock_guard lock(mutex_);
        // A Nikon body tells its own events and its properties' changes through Nikon's
        // GetEvent, each session its own. The card's pictures it tells on the event
        // connection: camera_capture's standard way (library.c, a capture to the card)
        // waits there with ptp_wait_event, and libgphoto2's PTP/IP transport reads that
        // connection at every operation. Each event goes one way only: none comes twice.
        const bool cardPicture = code == kEventObjectAdded || code == kEventObjectRemoved ||
                                 code == kEventCaptureComplete;
        if (Nikon() && !cardPicture) {
            // Nikon's GetEvent carries one parameter.
            const uint32_t param = params.empty() ? 0 : params.front();
            std::erase_if(polled_, [&](const std::weak_ptr<PolledEvents>& weak) {
                auto queue = weak.lock();
                if (queue)
                    queue->Push(code, param);
                return !queue;
            });
            return;
        }
        listener = eventListener_;
    }
    if (listener)
        listener(code, transaction, std::move(params));
}

void ServedCamera::RunEvents() {
    for (;;) {
        Inbox::Entry entry;
        {
            std::unique_lock lock(inbox_->mutex);
            inbox_->wake.wait(lock, [&] { return inbox_->stop || !inbox_->entries.empty(); });
            if (inbox_->stop)
                return;
            entry = inbox_->entries.front();
            inbox_->entries.pop_front();
        }
        switch (entry.kind) {
            case Inbox::Kind::kProperty:
                // One camera property may stand behind several served ones.
                for (const ServedProperty& p : properties_)
                    if (HasCameraProperty(p) && p.id == entry.property &&
                        Offered(p.ptpCode) != nullptr)
                        Emit(kEventDevicePropChanged, 0, {p.ptpCode});
                break;
            case Inbox::Kind::kPicture:
                AddPicture(entry.item);
                break;
            case Inbox::Kind::kGone:
                MarkGone();
                break;
        }
    }
}

ObjectInfo ServedCamera::InfoOf(uint32_t /*handle*/, const Stored& stored) const {
    ObjectInfo info;
    info.storage = stored.inMemory ? 0 : kStorageId;
    info.parent = stored.parent;
    info.fileName = stored.name;
    info.captureDate = stored.date;
    if (stored.folder) {
        info.format = kFormatAssociation;
        info.associationType = kAssociationGenericFolder;
    } else {
        info.format = IsJpegName(stored.name) ? kFormatExifJpeg : kFormatUndefined;
        info.compressedSize = stored.size;
    }
    return info;
}

std::vector<uint32_t> ServedCamera::Select(uint32_t storage, uint32_t format, uint32_t parent,
                                           uint16_t* error) {
    *error = kRespOk;
    if (storage != kAll && storage != kStorageId) {
        *error = kRespInvalidStorageId;
        return {};
    }
    std::lock_guard lock(mutex_);
    if (parent != kAll && parent != 0) {
        auto it = objects_.find(parent);
        if (it == objects_.end() || !it->second.folder) {
            *error = kRespInvalidParentObject;
            return {};
        }
    }
    std::vector<uint32_t> handles;
    for (const auto& [handle, stored] : objects_) {
        if (stored.inMemory)
            continue;  // on no card
        if (parent == kAll && stored.parent != 0)
            continue;  // the root's own objects only
        if (parent != kAll && parent != 0 && stored.parent != parent)
            continue;
        const uint16_t f = InfoOf(handle, stored).format;
        if (format == kAll ? f == kFormatAssociation : (format != 0 && f != format))
            continue;
        handles.push_back(handle);
    }
    return handles;
}

Reply ServedCamera::Handle(SessionState& session, const OperationRequest& request,
                           std::span<const uint8_t> dataIn, DataSink& out) {
    const auto& p = request.params;
    const auto param = [&](size_t i) { return i < request.paramCount ? p[i] : 0u; };
    auto ok = [](std::vector<uint32_t> params = {}) { return Reply{kRespOk, std::move(params)}; };
    auto sent = [&](const std::vector<uint8_t>& bytes) {
        return SendSmall(out, bytes) ? Reply{kRespOk, {}} : Reply{kRespGeneralError, {}, true};
    };

    if (Gone())
        return Reply{kRespGeneralError, {}, true};

    if (request.code == kOpGetDeviceInfo) {
        DeviceInfo info;
        info.operations = OperationList();
        info.events = EventList();
        info.properties = PropertyList();
        info.captureFormats = {kFormatExifJpeg};
        info.imageFormats = {kFormatExifJpeg, kFormatAssociation};
        info.manufacturer = "SimCam";
        if (Nikon()) {
            // What library.c's camera_init reads to run its Nikon code on a network camera:
            // the extension's id (fixup_cached_deviceinfo keeps it).
            info.vendorExtensionId = kVendorNikon;
            info.vendorExtensionVersion = 100;
            info.vendorExtensionDesc = "microsoft.com: 1.0";
            info.manufacturer = "Nikon Corporation";
        }
        info.model = ReadText(kPropProductName);
        info.deviceVersion = ReadText(kPropFirmwareVersion);
        info.serialNumber = ReadText(kPropBodySerial);
        return sent(EncodeDeviceInfo(info));
    }
    if (request.code == kOpOpenSession) {
        if (param(0) == 0)
            return Reply{kRespInvalidParameter, {}};
        if (session.session != 0)
            return Reply{kRespSessionAlreadyOpen, {session.session}};
        session.session = param(0);
        if (Nikon()) {
            session.polled = std::make_shared<PolledEvents>();
            std::lock_guard lock(mutex_);
            std::erase_if(polled_, [](const auto& weak) { return weak.expired(); });
            polled_.push_back(session.polled);
        }
        return ok();
    }
    if (session.session == 0)
        return Reply{kRespSessionNotOpen, {}};

    switch (request.code) {
        case kOpCloseSession:
            session.session = 0;
            session.polled.reset();
            return ok();
        case kOpGetStorageIds: {
            ByteWriter w;
            const uint32_t ids[] = {kStorageId};
            w.Array32(ids);
            return sent(w.Take());
        }
        case kOpGetStorageInfo: {
            if (param(0) != kStorageId)
                return Reply{kRespInvalidStorageId, {}};
            return sent(EncodeStorageInfo(CardInfo()));
        }
        case kOpGetNumObjects:
        case kOpGetObjectHandles: {
            uint16_t error;
            const uint32_t parent = request.paramCount >= 3 ? param(2) : 0;
            std::vector<uint32_t> handles = Select(param(0), param(1), parent, &error);
            if (error != kRespOk)
                return Reply{error, {}};
            if (request.code == kOpGetNumObjects)
                return ok({static_cast<uint32_t>(handles.size())});
            ByteWriter w;
            w.Array32(handles);
            return sent(w.Take());
        }
        case kOpGetObjectInfo: {
            ObjectInfo info;
            {
                std::lock_guard lock(mutex_);
                auto it = objects_.find(param(0));
                if (it == objects_.end())
                    return Reply{kRespInvalidObjectHandle, {}};
                info = InfoOf(it->first, it->second);
            }
            return sent(EncodeObjectInfo(info));
        }
        case kOpGetObject:
            return GetObject(request.transaction, param(0), out);
        case kOpGetThumb:
            return Reply{kRespNoThumbnailPresent, {}};
        case kOpDeleteObject:
            return Delete(param(0));
        case kOpInitiateCapture:
            if (param(0) != 0 && param(0) != kStorageId)
                return Reply{kRespInvalidStorageId, {}};
            return Capture(request.transaction);
        case kOpGetDevicePropDesc:
        case kOpGetDevicePropValue:
            return PropertyDesc(static_cast<uint16_t>(param(0)),
                                request.code == kOpGetDevicePropValue, out);
        case kOpSetDevicePropValue:
            if (request.dataPhase != kDataPhaseFromInitiator)
                return Reply{kRespInvalidParameter, {}};
            return SetProperty(static_cast<uint16_t>(param(0)), dataIn);
        default:
            if (Nikon())
                return HandleNikon(session, request, out);
            return Reply{kRespOperationNotSupported, {}};
    }
}

Reply ServedCamera::PropertyDesc(uint16_t code, bool valueOnly, DataSink& out) {
    const ServedProperty* property = Offered(code);
    if (property == nullptr)
        return Reply{kRespDevicePropNotSupported, {}};
    PropDesc desc;
    if (property->conversion == Conversion::kImageSize) {
        desc.code = property->ptpCode;
        desc.dataType = property->dataType;
        desc.getSet = kGetOnly;
        desc.current.text = options_.imageSize;
        desc.factoryDefault = desc.current;
        desc.form = kFormNone;
    } else if (SdkError e = DescribeProperty(camera_, *property, &desc)) {
        return Failure(e, kRespDevicePropNotSupported);
    }
    std::vector<uint8_t> bytes;
    if (valueOnly) {
        ByteWriter w;
        WriteValue(w, desc.dataType, desc.current);
        bytes = w.Take();
    } else {
        bytes = EncodePropDesc(desc);
    }
    return SendSmall(out, bytes) ? Reply{kRespOk, {}} : Reply{kRespGeneralError, {}, true};
}

Reply ServedCamera::SetProperty(uint16_t code, std::span<const uint8_t> data) {
    const ServedProperty* property = Offered(code);
    if (property == nullptr)
        return Reply{kRespDevicePropNotSupported, {}};
    if (property->conversion == Conversion::kImageSize)
        return Reply{kRespAccessDenied, {}};
    auto value = ParsePropertyValue(data, property->dataType);
    if (!value)
        return Reply{kRespInvalidDevicePropFormat, {}};
    const SdkError e = WriteProperty(camera_, *property, *value);
    switch (e) {
        case kSdkOk:
            return Reply{kRespOk, {}};
        case kSdkErrInvalidValue:
        case kSdkErrInvalidParameter:
        case kSdkErrInvalidLength:
            return Reply{kRespInvalidDevicePropValue, {}};
        case kSdkErrNotSupported:
            return Reply{kRespAccessDenied, {}};
        default:
            return Failure(e, kRespGeneralError);
    }
}

}  // namespace talbex::ptpip
