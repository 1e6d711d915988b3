#include "platform/qt/qt_prompts.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QThread>

#include <cstdio>

#include "platform/ui/message_queue.h"

namespace talbex::qt {

namespace {
// The program supplies no caption for its message boxes; the title bar names it.
constexpr char kDefaultCaption[] = "Talbex";
}  // namespace

QtPrompts::QtPrompts(std::function<QWidget*()> owner) : owner_(std::move(owner)) {}

bool QtPrompts::OnGuiThread() const {
    return QCoreApplication::instance() != nullptr &&
           QThread::currentThread() == QCoreApplication::instance()->thread();
}

void QtPrompts::RunModal(QWidget& prompt, const bool& finished) {
    open_.emplace_back(&prompt);
    prompt.setWindowModality(Qt::ApplicationModal);
    prompt.show();
    prompt.raise();
    prompt.activateWindow();
    // The window thread's own loop, nested: messages, timers and input go on.
    std::shared_ptr<ui::MessageQueue> queue = ui::MessageQueue::ForCurrentThread();
    while (queue->RunOnce([&] { return finished; })) {
    }
    std::erase_if(open_, [&](const QPointer<QWidget>& p) { return p.isNull() || p == &prompt; });
}

ui::MessageBoxAnswer QtPrompts::Show(const std::string& text, const std::string& caption,
                                     ui::MessageBoxKind kind) {
    const bool question = kind == ui::MessageBoxKind::kYesNoQuestion;
    if (dismissing_)
        return question ? ui::MessageBoxAnswer::kNo : ui::MessageBoxAnswer::kOk;
    if (!OnGuiThread()) {
        std::fprintf(stderr, "talbex: message box off the window thread, dismissed: %s\n",
                     text.c_str());
        return question ? ui::MessageBoxAnswer::kNo : ui::MessageBoxAnswer::kOk;
    }
    QMessageBox box(owner_ ? owner_() : nullptr);
    box.setWindowTitle(caption.empty() ? kDefaultCaption : QString::fromStdString(caption));
    box.setText(QString::fromStdString(text));
    box.setTextFormat(Qt::PlainText);
    if (question) {
        box.setIcon(QMessageBox::Question);
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
    } else {
        box.setIcon(QMessageBox::NoIcon);
        box.setStandardButtons(QMessageBox::Ok);
        box.setEscapeButton(QMessageBox::Ok);
    }
    bool finished = false;
    QObject::connect(&box, &QMessageBox::finished, [&finished] { finished = true; });
    RunModal(box, finished);
    const QMessageBox::StandardButton pressed = box.standardButton(box.clickedButton());
    if (!question)
        return ui::MessageBoxAnswer::kOk;
    return pressed == QMessageBox::Yes ? ui::MessageBoxAnswer::kYes : ui::MessageBoxAnswer::kNo;
}

std::optional<std::string> QtPrompts::ChooseFolder(const std::string& title) {
    if (dismissing_)
        return std::nullopt;
    if (!OnGuiThread()) {
        std::fprintf(stderr, "talbex: folder chooser off the window thread, cancelled\n");
        return std::nullopt;
    }
    QFileDialog chooser(owner_ ? owner_() : nullptr, QString::fromStdString(title),
                        QDir::homePath());
    chooser.setFileMode(QFileDialog::Directory);
    chooser.setOption(QFileDialog::ShowDirsOnly, true);
    chooser.setAcceptMode(QFileDialog::AcceptOpen);
    bool finished = false;
    QObject::connect(&chooser, &QFileDialog::finished, [&finished] { finished = true; });
    RunModal(chooser, finished);
    if (chooser.result() != QDialog::Accepted || chooser.selectedFiles().isEmpty())
        return std::nullopt;
    // File names are bytes; the local encoding gives them back unchanged.
    return QFile::encodeName(QDir::toNativeSeparators(chooser.selectedFiles().first()))
        .toStdString();
}

void QtPrompts::DismissAll() {
    dismissing_ = true;
    for (const QPointer<QWidget>& prompt : open_)
        if (!prompt.isNull())
            prompt->close();
}

}  // namespace talbex::qt
