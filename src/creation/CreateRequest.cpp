#include "creation/CreateRequest.h"

#include <QByteArrayList>

#include <limits>

namespace {

struct QueryItem {
    QString name;
    std::optional<QString> value; // absent for an item written without "="
};

QList<QueryItem> queryItems(const QUrl& url)
{
    QList<QueryItem> items;
    if (!url.hasQuery())
        return items;
    // Split the encoded query ourselves: an item without "=" has no value, unlike "name=".
    const QByteArray query = url.query(QUrl::FullyEncoded).toLatin1();
    for (const QByteArray& part : query.split('&')) {
        const qsizetype equals = part.indexOf('=');
        QueryItem item;
        item.name = QUrl::fromPercentEncoding(equals < 0 ? part : part.left(equals));
        if (equals >= 0)
            item.value = QUrl::fromPercentEncoding(part.mid(equals + 1));
        items.append(std::move(item));
    }
    return items;
}

const QueryItem* first(const QList<QueryItem>& items, QLatin1String name)
{
    for (const QueryItem& item : items) {
        if (item.name == name)
            return &item;
    }
    return nullptr;
}

} // namespace

std::optional<qint64> CreateRequest::parseIndex(const QString& text)
{
    qsizetype i = 0;
    const bool negative = text.startsWith(QLatin1Char('-'));
    if (negative || text.startsWith(QLatin1Char('+')))
        i = 1;
    if (i == text.size())
        return std::nullopt;
    // Accumulate toward the sign so that the most negative value fits too.
    qint64 value = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (c < u'0' || c > u'9')
            return std::nullopt;
        const int digit = c - u'0';
        if (negative) {
            if (value < (std::numeric_limits<qint64>::min() + digit) / 10)
                return std::nullopt;
            value = value * 10 - digit;
        } else {
            if (value > (std::numeric_limits<qint64>::max() - digit) / 10)
                return std::nullopt;
            value = value * 10 + digit;
        }
    }
    return value;
}

QString CreateRequest::url(qint64 index, const QString& folderPath)
{
    return QStringLiteral("quintara://create?t=") + QString::number(index) + QStringLiteral("&d=") +
           QString::fromLatin1(QUrl::toPercentEncoding(folderPath, QByteArrayLiteral("/")));
}

bool CreateRequest::hasRequestScheme(QStringView url)
{
    return url.startsWith(u"quintara:", Qt::CaseSensitive);
}

std::optional<CreateRequest> CreateRequest::parse(const QString& text)
{
    if (!hasRequestScheme(text))
        return std::nullopt;
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid() || url.scheme() != QLatin1String("quintara") || url.host() != QLatin1String("create"))
        return std::nullopt;
    const QList<QueryItem> items = queryItems(url);
    const QueryItem* t = first(items, QLatin1String("t"));
    if (!t || !t->value || t->value->isEmpty())
        return std::nullopt;
    const std::optional<qint64> index = parseIndex(*t->value);
    if (!index)
        return std::nullopt;
    const QueryItem* d = first(items, QLatin1String("d"));
    if (!d || !d->value)
        return std::nullopt;
    return CreateRequest{*index, *d->value};
}
