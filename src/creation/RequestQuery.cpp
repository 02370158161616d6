#include "creation/RequestQuery.h"

#include "platform/LocalPath.h"

#include <QByteArrayList>
#include <QUrl>

std::optional<RequestQuery> RequestQuery::parse(const QString& text, QLatin1String host)
{
    if (!hasRequestScheme(text))
        return std::nullopt;
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid() || url.scheme() != QLatin1String("quintara") || url.host() != host)
        return std::nullopt;
    RequestQuery query;
    if (!url.hasQuery())
        return query;
    // Split the encoded query ourselves: an item without "=" has no value, unlike "name=".
    const QByteArray encoded = url.query(QUrl::FullyEncoded).toLatin1();
    for (const QByteArray& part : encoded.split('&')) {
        const qsizetype equals = part.indexOf('=');
        Item item;
        // Decoded as bytes, so that a path that is not UTF-8 keeps every one of them.
        item.name = LocalPath::fromBytes(QByteArray::fromPercentEncoding(equals < 0 ? part : part.left(equals)));
        if (equals >= 0)
            item.value = LocalPath::fromBytes(QByteArray::fromPercentEncoding(part.mid(equals + 1)));
        query.m_items.append(std::move(item));
    }
    return query;
}

bool RequestQuery::hasRequestScheme(QStringView url)
{
    return url.startsWith(u"quintara:", Qt::CaseSensitive);
}

std::optional<QString> RequestQuery::value(QLatin1String name) const
{
    for (const Item& item : m_items) {
        if (item.name == name)
            return item.value;
    }
    return std::nullopt;
}

QString RequestQuery::encodePath(const QString& path)
{
    return QString::fromLatin1(LocalPath::toBytes(path).toPercentEncoding(QByteArrayLiteral("/")));
}
