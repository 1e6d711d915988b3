#include "platform/qt/qt_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>

#include "platform/ui/dialog.h"
#include "platform/ui/language.h"
#include "resources/icons.h"

namespace talbex::qt {

namespace {
// Qt's base module holds the texts of the message boxes and the folder chooser.
constexpr char kChineseCatalogue[] = "qtbase_zh_CN";
}  // namespace

QString QtTranslations::DefaultFolder() {
    return QLibraryInfo::path(QLibraryInfo::TranslationsPath);
}

bool QtTranslations::ChineseInstalled(const QString& folder) {
    QTranslator probe;
    return probe.load(kChineseCatalogue, folder);
}

QtTranslations::QtTranslations(QString folder) : folder_(std::move(folder)) {}

QtTranslations::~QtTranslations() {
    Use(ui::kLanguageEnglish);
}

bool QtTranslations::Use(int language) {
    if (ui::IsEnglish(language)) {
        if (chinese_ != nullptr)
            QCoreApplication::removeTranslator(chinese_.get());
        chinese_.reset();
        return true;
    }
    if (chinese_ != nullptr)
        return true;
    auto chinese = std::make_unique<QTranslator>();
    if (!chinese->load(kChineseCatalogue, folder_))
        return false;
    chinese_ = std::move(chinese);
    // Every widget is told and retranslates its standard texts.
    QCoreApplication::installTranslator(chinese_.get());
    return true;
}

void QtTranslations::FollowIcon(const ui::Dialog& dialog) {
    const int icon = dialog.GetIcon(false);
    if (icon == resources::kSmallEnglishIconId)
        Use(ui::kLanguageEnglish);
    else if (icon == resources::kSmallChineseIconId)
        Use(ui::kLanguageChinese);
}

}  // namespace talbex::qt
