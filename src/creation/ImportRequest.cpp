#include "creation/ImportRequest.h"

#include "creation/RequestQuery.h"

std::optional<ImportRequest> ImportRequest::parse(const QString& url)
{
    const std::optional<RequestQuery> query = RequestQuery::parse(url, QLatin1String("import"));
    const std::optional<QString> path = query ? query->value(QLatin1String("f")) : std::nullopt;
    if (!path || !path->startsWith(QLatin1Char('/')) || path->contains(QChar(0)))
        return std::nullopt;
    return ImportRequest{*path};
}

QString ImportRequest::url(const QString& filePath)
{
    return QStringLiteral("quintara://import?f=") + RequestQuery::encodePath(filePath);
}
