#include "support/StoreFixture.h"

StoreFixture::StoreFixture()
    : settingsFile(home.configHome() + QStringLiteral("/suite.json")),
      store([path = settingsFile] { return SettingsDomain(path); }), manager(store)
{}

QStringList StoreFixture::storedNames() const
{
    const std::optional<QByteArray> data = domain().data(QStringLiteral("customTemplates"));
    return data ? names(FileTemplate::decodeList(*data).value_or(QList<FileTemplate>{})) : QStringList();
}

void StoreFixture::storeCustom(const QStringList& templateNames)
{
    store.customTemplates().clear();
    for (const QString& name : templateNames)
        store.customTemplates().append(customTemplate(name));
    store.save();
}
