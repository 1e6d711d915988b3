// The once-a-day camera report and the firmware notice it may bring.
#include "platform/os/diagnostics.h"
#include "web/http_client.h"
#include "web/service_answers.h"
#include "web/text_encoding.h"
#include "web/vendor_service.h"

namespace talbex::web {

namespace {

constexpr char kReportPath[] = "/cam/new_cam.php";
constexpr char kFirmwarePagePath[] = "/firmware/list.php?model=";
constexpr char kFirmwareParameter[] = "&firmware=";
constexpr char kFirmwareOldEnglish[] = "The current camera firmware is old, the latest firmware";
constexpr char kFirmwareOldChinese[] = "当前相机固件比较旧，最新固件";

}  // namespace

CameraReport VendorService::ReportCamera(CameraIdentity& identity, int language) {
    CameraReport result;
    const int today = DayKey(today_());
    if (ReadDayKey(programDirectory_) == today)
        return result;  // reported already under today's key

    identity.owner = EncodeDoubleByteText(identity.owner);
    identity.copyright = EncodeDoubleByteText(identity.copyright);
    identity.artist = EncodeDoubleByteText(identity.artist);

    CHttpClient client(http_);
    client.AddParam("model", identity.model);
    client.AddParam("len", identity.lens);
    client.AddParam("sn", identity.serialNumber);
    client.AddParam("shuttercount", identity.shutterCount);
    client.AddParam("firmware", identity.firmware);
    client.AddParam("owner", identity.owner);
    client.AddParam("copyright", identity.copyright);
    client.AddParam("artist", identity.artist);
    result.answer = client.Post(Address(kReportPath));
    const RequestOutcome outcome = client.outcome();
    // Without a web service nothing was sent, and a report ended because the program is
    // quitting was not made: neither counts for today, so a later identification (with a
    // host configured, or at the next start) reports.
    if (outcome == RequestOutcome::kNotSent || outcome == RequestOutcome::kCancelled)
        return result;
    result.posted = true;

    // Written whatever the answer, so a failed report is not repeated the same day; when
    // it cannot be written, the next identification reports again.
    std::string problem;
    if (!WriteDayKey(programDirectory_, today, &problem))
        os::Diagnostic("cannot write the day key: %s\n", problem.c_str());

    const std::optional<std::string> verdict = ReportVerdict(result.answer);
    if (!verdict)
        return result;
    result.firmwareOld = *verdict == "no";
    if (!result.firmwareOld)
        return result;

    const bool english = ui::IsEnglish(language);
    boxes_.Show((english ? kFirmwareOldEnglish : kFirmwareOldChinese) + identity.firmware, "",
                ui::MessageBoxKind::kOk);

    // Model and firmware go into the address as they are; the launcher hands the address
    // to the opener as one argument, so no text in it can act as a command.
    result.firmwarePage =
        Address(kFirmwarePagePath + identity.model + kFirmwareParameter + identity.firmware);
    launcher_.OpenInBackground(result.firmwarePage);
    return result;
}

}  // namespace talbex::web
