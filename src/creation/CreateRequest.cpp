#include "creation/CreateRequest.h"

#include "creation/RequestQuery.h"

#include <limits>

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

const QStringList& CreateRequest::fileManagers()
{
    static const QStringList names = {QStringLiteral("nautilus"), QStringLiteral("nemo"), QStringLiteral("caja"),
                                      QStringLiteral("thunar"), QStringLiteral("dolphin")};
    return names;
}

QString CreateRequest::url(qint64 index, const QString& folderPath, const QString& fileManager)
{
    QString url = QStringLiteral("quintara://create?t=") + QString::number(index) + QStringLiteral("&d=") +
                  RequestQuery::encodePath(folderPath);
    if (fileManagers().contains(fileManager))
        url += QStringLiteral("&fm=") + fileManager;
    return url;
}

bool CreateRequest::hasRequestScheme(QStringView url)
{
    return RequestQuery::hasRequestScheme(url);
}

std::optional<CreateRequest> CreateRequest::parse(const QString& text)
{
    const std::optional<RequestQuery> query = RequestQuery::parse(text, QLatin1String("create"));
    if (!query)
        return std::nullopt;
    const std::optional<QString> t = query->value(QLatin1String("t"));
    if (!t || t->isEmpty())
        return std::nullopt;
    const std::optional<qint64> index = parseIndex(*t);
    if (!index)
        return std::nullopt;
    // The file system would read a path only up to a NUL, which names another folder.
    const std::optional<QString> d = query->value(QLatin1String("d"));
    if (!d || d->contains(QChar(0)))
        return std::nullopt;
    const QString fileManager = query->value(QLatin1String("fm")).value_or(QString());
    return CreateRequest{*index, *d, fileManagers().contains(fileManager) ? fileManager : QString()};
}
