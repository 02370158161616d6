#pragma once

#include <QList>
#include <QString>

#include <optional>

// The query of a request URL of the quintara scheme, read as the sender wrote it. Create and import
// requests share it, so that both take and give their paths in exactly the same form.
class RequestQuery {
public:
    // Nothing unless `text` is a valid URL written with the scheme of requests, in exactly that case,
    // for `host`. Takes the URL as written, since the URL parser lowers the scheme and would let
    // "Quintara://create?…" through.
    static std::optional<RequestQuery> parse(const QString& text, QLatin1String host);

    // Whether `url` is written with the scheme of requests, in exactly that case.
    static bool hasRequestScheme(QStringView url);

    // The first item named `name`, percent-decoded ("+" stays "+") to bytes and read as
    // LocalPath::fromBytes reads a path; nothing when there is none or it was written without "=".
    std::optional<QString> value(QLatin1String name) const;

    // `path` as a query value: every byte of the path (LocalPath::toBytes) that is not unreserved in
    // URL syntax percent-encoded, except "/", which a query may hold as it is. Empty for a text
    // that names no path.
    static QString encodePath(const QString& path);

private:
    struct Item {
        QString name;
        std::optional<QString> value; // absent for an item written without "="
    };
    QList<Item> m_items;
};
