// Qt's own texts (the standard buttons of message boxes, the folder chooser) in the
// windows' language: Qt's Simplified Chinese translation, from Qt's translations folder
// (Debian package qt6-translations-l10n), while the windows are Chinese, and Qt's
// built-in English while they are English. The main window shows its language by its
// small icon (resources/icons.h); the desktop windows hand every icon change here.
#pragma once

#include <QString>
#include <QTranslator>

#include <memory>

namespace talbex::ui {
class Dialog;
}

namespace talbex::qt {

class QtTranslations {
  public:
    /// `folder`: where Qt's translations are; by default Qt's own translations folder.
    explicit QtTranslations(QString folder = DefaultFolder());
    ~QtTranslations();
    QtTranslations(const QtTranslations&) = delete;
    QtTranslations& operator=(const QtTranslations&) = delete;

    /// GUI thread: Qt's texts in `language` (a window language code). False when Chinese
    /// is asked for and Qt's Chinese translation is not installed (Qt's texts stay
    /// English).
    bool Use(int language);
    /// GUI thread: follows `dialog` when its small icon tells a language; any other
    /// icon leaves the language as it is.
    void FollowIcon(const ui::Dialog& dialog);

    /// Whether Qt's Simplified Chinese translation is in `folder`.
    static bool ChineseInstalled(const QString& folder = DefaultFolder());
    static QString DefaultFolder();

  private:
    QString folder_;
    std::unique_ptr<QTranslator> chinese_;  // installed while the windows are Chinese
};

}  // namespace talbex::qt
