#pragma once

#include <QString>
#include <QUrl>

// The desktop around the program: the file manager and the default handlers of URLs.
class Workspace {
public:
    virtual ~Workspace() = default;
    // Brings the file manager forward with the file selected (or, failing that, its folder open).
    virtual void revealFile(const QString& path) = 0;
    // Opens a web page or any other URL in its default handler; false when nothing took it.
    virtual bool openUrl(const QUrl& url) = 0;
};
