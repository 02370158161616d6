#include "platform/DesktopWorkspace.h"

#include "platform/DesktopNotification.h"
#include "platform/FileManagerBus.h"

#include <QDesktopServices>
#include <QThreadPool>

void DesktopWorkspace::revealFile(const QString& path, const QString& fileManager)
{
    // The program's end waits for the pool, which the bus calls' bound keeps short.
    QThreadPool::globalInstance()->start([path, fileManager] { FileManagerBus().revealFile(path, fileManager); });
}

void DesktopWorkspace::notify(const QString& summary, const QString& body)
{
    QThreadPool::globalInstance()->start([summary, body] { DesktopNotification::show(summary, body); });
}

bool DesktopWorkspace::openUrl(const QUrl& url)
{
    return QDesktopServices::openUrl(url);
}
