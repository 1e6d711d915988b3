// The page area: a light HTML view (no browser engine, no scripts, no remote images)
// showing a local page file or a page of the vendor's web service. Remote pages are
// fetched off the GUI thread with the program's HTTP client (handed in as `fetch`); links
// to web pages open in the desktop's browser, links of any other kind do nothing.
#pragma once

#include <QTextBrowser>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/qt/gui_mailbox.h"
#include "platform/qt/page_services.h"

namespace talbex::qt {

class PageView final : public QTextBrowser {
  public:
    PageView(QWidget* parent, PageServices services, std::shared_ptr<GuiMailbox> mailbox);
    ~PageView() override;

    /// Shows `address`: an http(s) address (fetched in the background; the view is blank
    /// until the page arrives, and stays blank when it cannot be had) or a local file path.
    void Navigate(const std::string& address);

    const std::string& address() const { return address_; }
    /// Pages shown so far (a fetched page counts when it arrives).
    uint64_t pagesShown() const { return shown_; }

  private:
    void ShowFetched(uint64_t navigation, const std::string& bytes);
    void OpenLink(const QUrl& link);

    PageServices services_;
    std::shared_ptr<GuiMailbox> mailbox_;
    std::shared_ptr<bool> alive_;  // fetches in flight hold a weak reference
    std::string address_;
    uint64_t navigation_ = 0;
    uint64_t shown_ = 0;
};

}  // namespace talbex::qt
