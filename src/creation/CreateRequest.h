#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>

// A request to create one file: quintara://create?t=INDEX&d=FOLDER[&fm=FILEMANAGER]. The index names
// a template by its position in the list of enabled templates; the folder is a file-system path; the
// file manager, when named, is the one whose menu was clicked, where the new file is to be shown.
struct CreateRequest {
    qint64 index = 0; // may be negative here; the caller checks it against the list
    QString directoryPath;
    // One of fileManagers, or empty: a name the program does not know is dropped, not refused, so
    // that a newer module's requests still create their files.
    QString fileManager;

    // The file managers a request may name.
    static const QStringList& fileManagers();

    // Nothing for anything but a well-formed request: another scheme or host, a missing or
    // malformed "t", or no "d" with a value, or one holding a NUL. Names and values are
    // percent-decoded as RequestQuery::value decodes them, and the first of several items with one
    // name counts. Takes the URL as written, since the URL parser lowers the scheme and would let
    // "Quintara://create?…" through.
    static std::optional<CreateRequest> parse(const QString& url);

    // Whether `url` is written with the scheme of create requests, in exactly that case.
    static bool hasRequestScheme(QStringView url);

    // quintara://create?t=INDEX&d=PATH, the path written as RequestQuery::encodePath writes it, then
    // "&fm=" and the file manager when one is given.
    static QString url(qint64 index, const QString& folderPath, const QString& fileManager = {});

    // Optional "+" or "-", then ASCII digits, within a signed 64-bit integer.
    static std::optional<qint64> parseIndex(const QString& text);
};
