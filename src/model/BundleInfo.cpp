#include "model/BundleInfo.h"

#include "model/Version.h"

#include <QCoreApplication>
#include <QMetaType>

namespace BundleInfo {

namespace {

const QString shortVersionKey = QStringLiteral("CFBundleShortVersionString");
const QString buildNumberKey = QStringLiteral("CFBundleVersion");

// Only a value that already is text counts: a number or raw bytes under the key is as good as none.
QString textOr(const QVariantMap& info, const QString& key, const QString& fallback)
{
    const QVariant value = info.value(key);
    return value.typeId() == QMetaType::QString ? value.toString() : fallback;
}

} // namespace

QVariantMap dictionary()
{
    return {{shortVersionKey, QStringLiteral(QUINTARA_VERSION)},
            {buildNumberKey, QStringLiteral(QUINTARA_BUILD_NUMBER)}};
}

QString shortVersion(const QVariantMap& info)
{
    return textOr(info, shortVersionKey, QStringLiteral("1.0"));
}

QString buildNumber(const QVariantMap& info)
{
    return textOr(info, buildNumberKey, QStringLiteral("1"));
}

QString versionLine(const QVariantMap& info)
{
    return QCoreApplication::translate("BundleInfo", "Version %1 (%2)").arg(shortVersion(info), buildNumber(info));
}

} // namespace BundleInfo
