#pragma once

#include "platform/Workspace.h"

#include <QObject>

// The freedesktop file manager over the session bus, and the desktop's URL handlers. Revealing
// never blocks: the bus call is asynchronous, and without a bus or a file manager the file's
// folder is opened instead.
class DesktopWorkspace final : public QObject, public Workspace {
    Q_OBJECT

public:
    explicit DesktopWorkspace(QObject* parent = nullptr);
    void revealFile(const QString& path) override;
    bool openUrl(const QUrl& url) override;
};
