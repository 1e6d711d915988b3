// The remote-control window's pictures: the progress of a transfer, the save folder the
// user chooses, and the way each picture goes on from the incoming folder: at once when
// its transfer is complete, and again on the timers, so nothing a failed move left
// behind waits for long.
#include "platform/os/local_time.h"
#include "platform/ui/prompts.h"
#include "remote/remote_control_dialog.h"
#include "remote/remote_control_texts.h"
#include "remote/save_folder.h"
#include "shell/staging_area.h"

namespace talbex::remote {

ui::LResult CVellmoraDlg::OnDownloadComplete(ui::WParam, ui::LParam) {
    Item(kProgressBar).SetPos(0);
    Item(kProgressBar).SetWindowText("");
    toldPictureLost_ = false;  // pictures arrive again: a later loss is news
    handOnPictures();
    return 0;
}

ui::LResult CVellmoraDlg::OnStartUp(ui::WParam, ui::LParam) {
    const size_t waiting = mover_.waiting().count();
    if (saveFolder_.empty()) {
        if (waiting > 0)
            ui::ShowMessageBox(PicturesWaitingText(language_, waiting));
    } else if (waiting > 0) {
        handOnPictures();
    }
    return 0;
}

void CVellmoraDlg::OnDeletePictures() {
    shell::PurgeTestShots(programDirectory_);
}

void CVellmoraDlg::chooseSaveFolder() {
    const std::optional<std::string> chosen = ui::ChooseFolder(kSaveFolderChooserTitle);
    if (!chosen || chosen->empty())
        return;
    if (chosen->size() > kMaxSaveFolderBytes) {
        ui::ShowMessageBox(FolderTooLongText(language_));
        return;
    }
    saveFolder_ = *chosen;
    mover_.setSaveFolder(saveFolder_);
    Item(kSaveFolderField).SetWindowText(saveFolder_);
    toldSaveFolderTrouble_ = false;  // a new folder: its troubles are news
    handOnPictures();
}

void CVellmoraDlg::askForSaveFolder() {
    if (!saveFolder_.empty() || mover_.waiting().count() == 0)
        return;
    KillTimer(kAskForFolderTimer);  // offered once in this window's life
    chooseSaveFolder();
}

void CVellmoraDlg::renameNewestPicture() {
    if (mover_.nameNewest(os::Now()))
        moveTodaysPicture();
}

void CVellmoraDlg::moveTodaysPicture() {
    deliverPictures();
}

void CVellmoraDlg::handOnPictures() {
    mover_.nameAll(os::Now());
    deliverPictures();
}

void CVellmoraDlg::deliverPictures() {
    const PictureMover::Delivery delivery = mover_.moveDated();
    if (!delivery.arrived.empty())
        showLastPicture(delivery.arrived);
    if (!delivery.refusal || toldSaveFolderTrouble_)
        return;
    toldSaveFolderTrouble_ = true;
    ui::ShowMessageBox(SaveFolderTroubleText(language_, saveFolder_, *delivery.refusal));
}

}  // namespace talbex::remote
