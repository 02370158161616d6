#include "ui/common/GuideWindow.h"

#include "platform/Workspace.h"
#include "ui/common/Style.h"
#include "ui/common/Symbols.h"
#include "ui/common/WindowKeys.h"
#include "ui/common/WindowPlacement.h"

#include <QCoreApplication>
#include <QKeySequence>
#include <QPointer>

namespace {

// The texts of the guide window; the guide itself is a translated file of its own.
struct Texts {
    Q_DECLARE_TR_FUNCTIONS(GuideWindow)

public:
    QString title = tr("Quintara in the File Manager");
    QString missingHeading = tr("The guide is not installed");
    QString missingText = tr("The guide to the file manager menus is installed with Quintara, but it was not found. "
                             "Installing Quintara again puts it back.");
};

} // namespace

GuideWindow* GuideWindow::present(Workspace& workspace, const QUrl& guide)
{
    // At most one guide window; a closed one is gone, so the next call reads the guide afresh.
    static QPointer<GuideWindow> shown;
    if (!shown)
        shown = new GuideWindow(workspace, guide);
    shown->m_workspace = &workspace;
    shown->show();
    shown->raise();
    shown->activateWindow();
    return shown;
}

GuideWindow::GuideWindow(Workspace& workspace, const QUrl& guide) : m_workspace(&workspace)
{
    const Texts text;
    setObjectName(QStringLiteral("guideWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(text.title);
    setWindowIcon(Symbols::applicationIcon());
    setOpenLinks(false);
    Style::makeSlim(verticalScrollBar());
    connect(this, &QTextBrowser::anchorClicked, this, &GuideWindow::followLink);
    WindowKeys::closeWithKeys(this, true);
    if (!guide.isEmpty())
        setSource(guide, QTextDocument::HtmlResource);
    if (document()->isEmpty())
        setHtml(QStringLiteral("<h2>%1</h2><p>%2</p>")
                    .arg(text.missingHeading.toHtmlEscaped(), text.missingText.toHtmlEscaped()));
    resize(WindowPlacement::fitting(this, QSize(680, 620)));
    // Gone with the event loop at the latest: the deferred deletion runs right after it ends.
    connect(qApp, &QCoreApplication::aboutToQuit, this, &QObject::deleteLater);
}

void GuideWindow::followLink(const QUrl& link)
{
    const QString scheme = link.scheme();
    if (scheme == QStringLiteral("http") || scheme == QStringLiteral("https"))
        m_workspace->openUrl(link);
    else if (link.isRelative() && link.path().isEmpty() && link.hasFragment())
        scrollToAnchor(link.fragment());
}
