#pragma once

#include "store/TemplateManager.h"
#include "store/TemplateStore.h"
#include "support/TestEnvironment.h"

// What the windows and the engine work on: a throw-away home, a store over the settings file in
// it, and the manager the views bind to.
class StoreFixture {
public:
    // The settings file opened afresh, as another program of the group would.
    SettingsDomain domain() const { return SettingsDomain(settingsFile); }
    // The custom templates another program reads from the settings file now.
    QStringList storedNames() const
    {
        const std::optional<QByteArray> data = domain().data(QStringLiteral("customTemplates"));
        const auto decoded = data ? FileTemplate::decodeList(*data) : std::nullopt;
        return decoded ? names(decoded->templates) : QStringList();
    }
    void storeCustom(const QStringList& templateNames)
    {
        store.customTemplates().clear();
        for (const QString& name : templateNames)
            store.customTemplates().append(customTemplate(name));
        store.save();
    }
    // Grants the whole temporary home.
    bool grant() { return store.saveHomeFolderBookmark(QUrl::fromLocalFile(home.path())); }

    TemporaryHome home;
    const QString settingsFile = home.configHome() + QStringLiteral("/suite.json");
    TemplateStore store{[path = settingsFile] {
        return SettingsDomain(path);
    }};
    TemplateManager manager{store};
};
