#pragma once

#include "extension/MenuModel.h"

#include <QByteArray>
#include <QString>

#include <optional>

// The menus for KDE's file manager, whose service menus can only run a command with the clicked
// item's path: desktop files in the user's kio/servicemenus folder, written by the program because
// that file manager loads no code of ours. The folders' menu holds the menu model's entries, and
// entry i runs `quintara --new i FOLDER`, so the position resolves against the same list as a URL's
// would. The files' menu, a file of its own because a service menu names one set of types for all
// its actions, holds "Save as Template", which runs `quintara --import FILE`.
class ServiceMenu {
public:
    ServiceMenu(MenuModel model, QString launcherPath);

    // $XDG_DATA_HOME/kio/servicemenus/app.quintara.Quintara.desktop
    static QString defaultPath();

    // The files' menu, beside the folders' menu at `path`.
    static QString fileMenuPath(const QString& path);

    // Nothing when no template is enabled.
    std::optional<QByteArray> contents() const;
    QByteArray fileMenuContents() const;
    // Writes both menus atomically with the executable bit KDE requires of service menus outside
    // the system's folders; the folders' menu is removed instead when it has no entry. False, and a
    // log line, on failure.
    bool write(const QString& path) const;

private:
    MenuModel m_model;
    QString m_launcherPath;
};
