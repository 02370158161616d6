#include "support/StoreFixture.h"

StoreFixture::StoreFixture()
    : settingsFile(home.configHome() + QStringLiteral("/suite.json")),
      store([path = settingsFile] { return SettingsDomain(path); }), manager(store)
{}

QStringList StoreFixture::storedNames() const
{
    const std::optional<QByteArray> data = domain().data(QStringLiteral("customTemplates"));
    const auto decoded = data ? FileTemplate::decodeList(*data) : std::nullopt;
    return decoded ? names(decoded->templates) : QStringList();
}

void StoreFixture::storeCustom(const QStringList& templateNames)
{
    store.customTemplates().clear();
    for (const QString& name : templateNames)
        store.customTemplates().append(customTemplate(name));
    store.save();
}
