#pragma once

#include <QTextBrowser>
#include <QUrl>

class Workspace;

// Quintara's own window for the guide to its file manager menus: the installed guide, or a short
// note that it is not installed. Web links open through the workspace and links within the guide
// scroll to their place; nothing else is followed, so the window needs no web browser.
class GuideWindow final : public QTextBrowser {
    Q_OBJECT

public:
    // Shows the guide window, made on the first call while none is open, and brings it to the front.
    // An empty `guide` shows the note.
    static GuideWindow* present(Workspace& workspace, const QUrl& guide);

private:
    GuideWindow(Workspace& workspace, const QUrl& guide);
    void followLink(const QUrl& link);

    Workspace* m_workspace;
};
