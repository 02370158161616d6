#pragma once

#include <QString>

// The folders the desktop names for the user (xdg-user-dirs).
namespace UserFolders {

// The user's templates folder as the desktop names it in $XDG_CONFIG_HOME/user-dirs.dirs, else
// ~/Templates, else the home folder; only an existing folder other than the home folder counts,
// since the desktop names the home folder for a folder the user does not want.
QString templates();

} // namespace UserFolders
