#pragma once

#include "platform/Workspace.h"

// The file managers over the session bus, and the desktop's URL handlers. Revealing never blocks the
// caller: the bus calls run on a worker thread.
class DesktopWorkspace final : public Workspace {
public:
    void revealFile(const QString& path, const QString& fileManager) override;
    bool openUrl(const QUrl& url) override;
    void notify(const QString& summary, const QString& body) override;
};
