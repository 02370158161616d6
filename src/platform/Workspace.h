#pragma once

#include <QString>
#include <QUrl>

// Where a new file is shown to the person who asked for it.
class FileReveal {
public:
    virtual ~FileReveal() = default;
    // Shows the file in the file manager a request came from (one of CreateRequest::fileManagers),
    // selected where that file manager can do so in the window already open on its folder; with no
    // file manager named, in the desktop's file manager. Never opens a window per file.
    virtual void revealFile(const QString& path, const QString& fileManager) = 0;
};

// The desktop around the program: the file manager and the default handlers of URLs.
class Workspace : public FileReveal {
public:
    // Opens a web page or any other URL in its default handler; false when nothing took it.
    virtual bool openUrl(const QUrl& url) = 0;
    // Tells the user what happened while no window of the program was open, as a desktop
    // notification; without a notification service only the log says so.
    virtual void notify(const QString& summary, const QString& body) = 0;
};
