#pragma once

// Shared by the snapshot tool's files: each snapshots_<area>.cpp registers the windows of its area.

#include "platform/FilePicker.h"
#include "platform/FolderPicker.h"
#include "platform/IntegrationProbe.h"
#include "platform/UserAccount.h"
#include "platform/Workspace.h"
#include "store/TemplateManager.h"
#include "store/TemplateStore.h"

#include <QList>
#include <QString>
#include <QUrl>
#include <QWidget>

#include <functional>
#include <memory>

// Nothing a snapshot does may reach the real desktop.
class InertWorkspace final : public Workspace {
public:
    void revealFile(const QString&, const QString&) override {}
    bool openUrl(const QUrl&) override { return false; }
    void notify(const QString&, const QString&) override {}
};

class InertPicker final : public FolderPicker, public FilePicker {
public:
    void pickFolder(const FolderPicker::Request&, QWidget*, FolderPicker::Completion) override {}
    void pickFiles(const FilePicker::Request&, QWidget*, FilePicker::Completion) override {}
};

// Answers every read with the state it was given.
class FixedIntegrationProbe final : public IntegrationProbe {
public:
    void refresh() override
    {
        QMetaObject::invokeMethod(
            this, [this] { Q_EMIT stateRead(state); }, Qt::QueuedConnection);
    }
    void addServiceMenu() override {}
    void claimScheme() override {}

    // All five file managers installed, each with the menu, and links reaching Quintara.
    IntegrationState state{{{FileManager::Files, true, true},
                            {FileManager::Dolphin, true, true},
                            {FileManager::Nemo, true, true},
                            {FileManager::Caja, true, true},
                            {FileManager::Thunar, true, true}},
                           true};
};

// What a window needs from the rest of the program, set up fresh for each snapshot.
struct Scene {
    explicit Scene(const QString& home)
        : home(home), store([path = home + QStringLiteral("/settings.json")] { return SettingsDomain(path); }),
          manager(store)
    {}
    void grantHomeFolder() { store.saveHomeFolderBookmark(QUrl::fromLocalFile(home)); }
    // Two file managers without the menu, one of them Dolphin, and links going elsewhere.
    void loseMenus()
    {
        integration.state.fileManagers[1].integrated = false;
        integration.state.fileManagers[3].integrated = false;
        integration.state.schemeReachesQuintara = false;
    }
    void uninstallFileManagers()
    {
        for (FileManagerState& each : integration.state.fileManagers)
            each.installed = false;
    }

    QString home;
    TemplateStore store;
    TemplateManager manager;
    InertWorkspace workspace;
    InertPicker picker;
    FixedIntegrationProbe integration;
};

struct Snapshot {
    QString name;
    std::function<std::unique_ptr<QWidget>(Scene&)> build;
    // Runs after the window is shown and laid out, before the picture is taken (select a row, open a sheet…).
    std::function<void(QWidget&)> prepare = {};
};

QList<Snapshot>& snapshotRegistry();

// At namespace scope in a snapshots_<area>.cpp: static const RegisterSnapshots area({...});
struct RegisterSnapshots {
    explicit RegisterSnapshots(const QList<Snapshot>& snapshots) { snapshotRegistry().append(snapshots); }
};
