#pragma once

#include "store/TemplateManager.h"
#include "store/TemplateStore.h"
#include "support/TestEnvironment.h"

// What the windows and the engine work on: a throw-away home, a store over the settings file in
// it, and the manager the views bind to.
class StoreFixture {
public:
    StoreFixture();

    // The settings file opened afresh, as another program of the group would.
    SettingsDomain domain() const { return SettingsDomain(settingsFile); }
    // The custom templates another program reads from the settings file now.
    QStringList storedNames() const;
    void storeCustom(const QStringList& names);
    // Grants the whole temporary home.
    bool grant() { return store.saveHomeFolderBookmark(QUrl::fromLocalFile(home.path())); }

    TemporaryHome home;
    const QString settingsFile;
    TemplateStore store;
    TemplateManager manager;
};
