#pragma once

#include "platform/Workspace.h"

// The file managers over the session bus, each in its own way, so that a new file shows in the
// window the user clicked in rather than in a new one:
// - GNOME Files selects it through its org.freedesktop.FileManager1, in the window open on the folder
//   (asked only while one is, so that none opens);
// - Dolphin is told of the file with org.kde.KDirNotify.FilesAdded, at once rather than on its next
//   poll, and selects it in the window that shows the folder, if any;
// - Nemo, Caja and Thunar open a new window for every ShowItems, so they are left to show the file
//   themselves, which their folder monitors do at once;
// - a request from no file manager goes to whichever serves org.freedesktop.FileManager1.
// Without a session bus nothing is shown. Blocking: every call is bounded, and all of them together.
class FileManagerBus final : public FileReveal {
public:
    explicit FileManagerBus(int timeoutMs = 3000) : m_timeoutMs(timeoutMs) {}
    void revealFile(const QString& path, const QString& fileManager) override;

private:
    int m_timeoutMs;
};
