// The update check the main window runs at start.
#include "platform/os/diagnostics.h"
#include "web/http_client.h"
#include "web/service_answers.h"
#include "web/vendor_service.h"
#include "web/versions.h"

namespace talbex::web {

namespace {

constexpr char kVersionPath[] = "/download/ver.htm";
constexpr char kUpdaterFileName[] = "update.exe";
constexpr char kOfferEnglish[] = "Detection of the new version! Would you like to upgrade now?";
constexpr char kOfferChinese[] = "检测到有新版本！是否现在进行升级？";

}  // namespace

UpdateCheck VendorService::CheckForUpdate(const std::string& localVersion, int language) {
    UpdateCheck result;
    const std::string answer = CHttpClient(http_).Get(Address(kVersionPath));
    result.remoteVersion = PublishedVersion(answer);

    if (!CompareVersions(result.remoteVersion, localVersion))
        return result;

    const bool english = ui::IsEnglish(language);
    const ui::MessageBoxAnswer choice = boxes_.Show(english ? kOfferEnglish : kOfferChinese, "",
                                                    ui::MessageBoxKind::kYesNoQuestion);
    if (choice != ui::MessageBoxAnswer::kYes)
        return result;

    // The updater is always the one in the program directory, whatever the language: a
    // bare file name would run whatever "update.exe" lies in the current directory.
    const std::string updater = programDirectory_ + kUpdaterFileName;
    if (!launcher_.Run(updater))
        os::Diagnostic("the updater %s could not be started\n", updater.c_str());
    // A failed start still ends the program, as the user chose to upgrade.
    result.endWithCancel = true;
    return result;
}

}  // namespace talbex::web
