#pragma once

#include <QByteArray>
#include <QJsonValue>
#include <QList>
#include <QString>
#include <QUuid>

#include <optional>
#include <utility>

// One recipe for a new file, or for a new folder of files: an extension and the text the file will
// hold. Built-in and custom templates share this shape. Identity is `id` alone; equality and hashing
// cover every field, with text compared as Unicode (canonically equivalent spellings are equal).
struct FileTemplate {
    QUuid id;
    QString name;
    QString fileExtension;
    QString content;
    bool isBuiltIn = false;
    // The new item's own base name, variables and all; empty for the default base name.
    QString baseName = {};
    // The submenu the file managers list it under; empty for none.
    QString group = {};
    // A folder template's tree is kept in a folder of its own; its content and extension go unused.
    bool isFolder = false;

    // Canonical upper-case 36-character form, as stored and as named in the enabled set.
    QString idText() const;

    // Compact JSON object with the five members every reader needs, in field order, then "baseName",
    // "group" and "kind" only where they differ from a plain file template's, so that a record without
    // them is read alike by readers that know nothing of them. A folder's record has no "content".
    QByteArray toJson() const;
    static std::optional<FileTemplate> fromJson(const QJsonValue& value);

    // A list is a JSON array of records in list order. Bytes that are not a JSON array decode to
    // nothing; otherwise every record that decodes is kept, in order, and the rest are counted, so
    // that one bad record costs only itself.
    struct DecodedList {
        QList<FileTemplate> templates;
        qsizetype undecodable = 0;
    };
    static QByteArray encodeList(const QList<FileTemplate>& templates);
    static std::optional<DecodedList> decodeList(const QByteArray& json);

    // An extension as saved: trimmed, without full stops, lower-cased. Whatever makes a template
    // from text (the editor, an imported file's name) cleans it the same way.
    static QString cleanedExtension(const QString& text);
    // The same cleaning short of lower-casing, for text being typed: `cursor` follows the characters
    // it stood behind.
    static std::pair<QString, int> cleanExtension(QString text, int cursor);

    // Strict UUID text: 8-4-4-4-12 hexadecimal digits, either case, nothing around them.
    static std::optional<QUuid> parseId(QStringView text);

    friend bool operator==(const FileTemplate& a, const FileTemplate& b);
};

size_t qHash(const FileTemplate& t, size_t seed = 0) noexcept;

template <>
struct std::hash<FileTemplate> {
    size_t operator()(const FileTemplate& t) const noexcept { return qHash(t); }
};
