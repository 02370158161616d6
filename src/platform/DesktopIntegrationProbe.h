#pragma once

#include "platform/IntegrationProbe.h"

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QThreadPool>

#include <functional>
#include <optional>

class QProcess;

// The probe over the real machine. A file manager is installed when its program is on the search
// path; it is integrated when the file that carries Quintara's menu is where it loads it from. The
// handler of quintara: links is asked of xdg-mime, found on the same search path. The file system is
// read on a worker thread and xdg-mime runs as an asynchronous process with a bounded time and
// output, so no read ever blocks the caller.
class DesktopIntegrationProbe final : public IntegrationProbe {
    Q_OBJECT

public:
    struct Locations {
        QStringList searchPath;
        // The module of each file manager that loads code, and Dolphin's service menu.
        QMap<FileManager, QString> integrationFiles;

        // This machine's PATH and the folders the build found for each file manager.
        static Locations system(const QString& serviceMenuPath);
    };

    // `writeServiceMenu` writes Dolphin's service menu to its place; false when it could not.
    DesktopIntegrationProbe(Locations locations, std::function<bool()> writeServiceMenu, QObject* parent = nullptr);
    ~DesktopIntegrationProbe() override;

    void refresh() override;
    void addServiceMenu() override;
    void claimScheme() override;

private:
    // Runs xdg-mime with `arguments`; `done` gets its output, or nothing when it could not start,
    // failed, ran too long or wrote too much.
    void runXdgMime(const QStringList& arguments, std::function<void(std::optional<QByteArray>)> done);
    void fileManagersRead(quint64 read, const QList<FileManagerState>& fileManagers);
    void schemeRead(quint64 read, bool ours);
    void reportIfComplete();

    Locations m_locations;
    std::function<bool()> m_writeServiceMenu;
    quint64 m_read = 0;
    std::optional<QList<FileManagerState>> m_fileManagers;
    std::optional<bool> m_schemeReachesQuintara;
    // Its own pool, so that destruction waits for this probe's reads and no one else's.
    QThreadPool m_pool;
};
