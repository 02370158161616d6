// The domain file is shared with other programs and may hold anything. Reading it must not crash,
// typed reads must agree with each other, and a write must keep unreadable bytes aside and leave a
// file that reads back.
#include "platform/SettingsDomain.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

namespace {

const QStringList keys{QStringLiteral("customTemplates"), QStringLiteral("enabledBuiltIns"),
                       QStringLiteral("defaultBaseName"), QStringLiteral("homeFolderBookmark")};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/fuzz-domain-XXXXXX"));
    const QString path = dir.filePath(QStringLiteral("domain.json"));
    for (const QString& leftover : QDir(dir.path()).entryList(QDir::Files | QDir::Hidden))
        QFile::remove(dir.filePath(leftover));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            std::abort();
        file.write(reinterpret_cast<const char*>(data), qint64(size));
    }

    SettingsDomain domain(path);
    const SettingsSnapshot snapshot = domain.read();
    for (const QString& key : keys) {
        const int kinds = int(snapshot.data(key).has_value()) + int(snapshot.array(key).has_value()) +
                          int(snapshot.text(key).has_value());
        if (kinds > 1)
            std::abort();
    }

    if (!domain.setText(QStringLiteral("fuzzKey"), QStringLiteral("value")))
        std::abort();
    if (domain.text(QStringLiteral("fuzzKey")) != QStringLiteral("value"))
        std::abort();
    // Either the old keys survived the write, or the old bytes were kept aside untouched.
    QFile aside(path + QStringLiteral(".corrupt"));
    if (aside.exists()) {
        if (!aside.open(QIODevice::ReadOnly) ||
            aside.readAll() != QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size)))
            std::abort();
    } else {
        for (const QString& key : keys) {
            if (domain.read().text(key) != snapshot.text(key) || domain.read().data(key) != snapshot.data(key))
                std::abort();
        }
    }
    return 0;
}
