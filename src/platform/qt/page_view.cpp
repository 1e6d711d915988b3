#include "platform/qt/page_view.h"

#include <QFileInfo>
#include <QStringDecoder>
#include <QTextDocument>
#include <QUrl>

#include <thread>

namespace talbex::qt {

namespace {

bool IsWebAddress(const std::string& address) {
    return address.rfind("http://", 0) == 0 || address.rfind("https://", 0) == 0;
}

// A page is a few kilobytes; one of megabytes would hold the window up while it is laid
// out, so it is not shown.
constexpr size_t kLargestPage = 2u << 20;

// The page's text in the character set it declares (UTF-8 when it declares none).
QString DecodePage(const std::string& bytes) {
    const QByteArrayView view(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QStringDecoder decoder = QStringDecoder::decoderForHtml(view);
    if (!decoder.isValid())
        return QString::fromUtf8(view);
    return decoder.decode(view);
}

}  // namespace

PageView::PageView(QWidget* parent, PageServices services, std::shared_ptr<GuiMailbox> mailbox)
    : QTextBrowser(parent),
      services_(std::move(services)),
      mailbox_(std::move(mailbox)),
      alive_(std::make_shared<bool>(true)) {
    setOpenLinks(false);
    setOpenExternalLinks(false);
    connect(this, &QTextBrowser::anchorClicked, this, [this](const QUrl& url) { OpenLink(url); });
}

PageView::~PageView() = default;

void PageView::Navigate(const std::string& address) {
    address_ = address;
    const uint64_t navigation = ++navigation_;
    clear();
    if (IsWebAddress(address)) {
        document()->setBaseUrl(QUrl(QString::fromStdString(address)));
        if (!services_.fetch)
            return;
        // Off the GUI thread: a slow or absent server must never hold up the window.
        std::weak_ptr<bool> alive = alive_;
        std::thread([fetch = services_.fetch, mailbox = mailbox_, alive, this, navigation,
                     address] {
            std::string bytes = fetch(address);
            mailbox->Post([alive, this, navigation, bytes = std::move(bytes)] {
                if (!alive.expired())  // checked on the GUI thread, where the view dies
                    ShowFetched(navigation, bytes);
            });
        }).detach();
        return;
    }
    const QString path = QString::fromStdString(address);
    if (!QFileInfo(path).isFile())
        return;  // no local copy: the area stays blank
    setSource(QUrl::fromLocalFile(path), QTextDocument::HtmlResource);
    ++shown_;
}

void PageView::ShowFetched(uint64_t navigation, const std::string& bytes) {
    if (navigation != navigation_ || bytes.empty() || bytes.size() > kLargestPage)
        return;  // a later navigation replaced it, nothing came, or too much
    setHtml(DecodePage(bytes));
    document()->setBaseUrl(QUrl(QString::fromStdString(address_)));
    ++shown_;
}

void PageView::OpenLink(const QUrl& link) {
    const QUrl base = IsWebAddress(address_)
                          ? QUrl(QString::fromStdString(address_))
                          : QUrl::fromLocalFile(QString::fromStdString(address_));
    const QUrl target = base.resolved(link);
    // Only web pages: a page must not make the desktop open a local file or the handler of
    // some other scheme when the user clicks.
    const QString scheme = target.scheme().toLower();
    if (services_.openLink && target.isValid() && (scheme == "http" || scheme == "https"))
        services_.openLink(target.toString(QUrl::FullyEncoded).toStdString());
}

}  // namespace talbex::qt
