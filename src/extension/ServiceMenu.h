#pragma once

#include "extension/MenuModel.h"

#include <QByteArray>
#include <QString>

#include <optional>

// The menu for KDE's file manager, whose service menus can only run a command with the clicked
// folder's path: a desktop file in the user's kio/servicemenus folder, written by the program
// because that file manager loads no code of ours. Its entries are the menu model's, and entry i
// runs `quintara --new i FOLDER`, so the position resolves against the same list as a URL's would.
class ServiceMenu {
public:
    ServiceMenu(MenuModel model, QString launcherPath);

    // $XDG_DATA_HOME/kio/servicemenus/app.quintara.Quintara.desktop
    static QString defaultPath();

    // Nothing when no template is enabled.
    std::optional<QByteArray> contents() const;
    // Writes the file atomically with the executable bit KDE requires of service menus outside
    // the system's folders, or removes it when there is no menu. False, and a log line, on failure.
    bool write(const QString& path) const;

private:
    MenuModel m_model;
    QString m_launcherPath;
};
