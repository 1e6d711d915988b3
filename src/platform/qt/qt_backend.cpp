#include "platform/qt/qt_backend.h"

#include <QFont>

#include "platform/qt/qt_icons.h"
#include "platform/ui/change_listener.h"
#include "platform/ui/message_queue.h"
#include "platform/ui/prompts.h"
#include "resources/icons.h"

namespace talbex::qt {

QtBackend::QtBackend(QtBackendOptions options)
    : mailbox_(std::make_shared<GuiMailbox>()),
      notifier_(std::make_unique<QSocketNotifier>(mailbox_->fd(), QSocketNotifier::Read)),
      translations_(std::make_unique<QtTranslations>()),
      windows_(std::make_unique<QtWindows>(mailbox_, std::move(options.pages), options.alsoTell,
                                           translations_.get())),
      prompts_(std::make_unique<QtPrompts>([this]() -> QWidget* { return windows_->Topmost(); })) {
    QObject::connect(notifier_.get(), &QSocketNotifier::activated,
                     [mailbox = mailbox_.get()] { mailbox->RunPending(); });
    wait_ = std::make_shared<QtQueueWait>(mailbox_,
                                          [windows = windows_.get()] { windows->ShowPending(); });
    ui::MessageQueue::ForCurrentThread()->SetWait(wait_);
    ui::SetChangeListener(windows_.get());
    ui::SetMessageBoxes(prompts_.get());
    ui::SetFolderChooser(prompts_.get());
}

QtBackend::~QtBackend() {
    ui::SetFolderChooser(nullptr);
    ui::SetMessageBoxes(nullptr);
    ui::SetChangeListener(nullptr);
    ui::MessageQueue::ForCurrentThread()->SetWait(nullptr);
}

std::unique_ptr<QApplication> MakeApplication(int& argc, char** argv) {
    auto app = std::make_unique<QApplication>(argc, argv);
    QApplication::setApplicationName("Talbex");
    QApplication::setDesktopFileName("org.talbex.Talbex");
    QApplication::setWindowIcon(WindowIcon(0, resources::kBigIconId));
    // Dialog units are cells of a 9-point font. Chinese comes from a font that has it
    // where the default one does not.
    QFont font = QApplication::font();
    font.setPointSize(9);
    font.setFamilies({font.family(), "WenQuanYi Micro Hei", "Noto Sans CJK SC"});
    QApplication::setFont(font);
    return app;
}

}  // namespace talbex::qt
