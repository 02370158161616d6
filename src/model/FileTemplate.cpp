#include "model/FileTemplate.h"

#include "model/HorizontalSpace.h"

#include <QHashFunctions>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>

namespace {

QString canonical(const QString& text)
{
    return text.normalized(QString::NormalizationForm_C);
}

bool sameText(const QString& a, const QString& b)
{
    return a == b || canonical(a) == canonical(b);
}

// JSON string literal writer: only the escapes JSON requires, everything else as UTF-8. A lone
// surrogate has no UTF-8 form, so it is written as a \u escape and reads back as the same code unit.
void appendJsonString(QByteArray& out, const QString& text)
{
    static const char hex[] = "0123456789abcdef";
    const auto escapeUnit = [&](char16_t unit) {
        out.append("\\u");
        for (int shift = 12; shift >= 0; shift -= 4)
            out.append(hex[(unit >> shift) & 0xF]);
    };
    out.append('"');
    const qsizetype size = text.size();
    const QChar* units = text.constData();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t u = units[i].unicode();
        if (u < 0x80) {
            switch (u) {
            case '"':
                out.append("\\\"");
                break;
            case '\\':
                out.append("\\\\");
                break;
            case '\n':
                out.append("\\n");
                break;
            case '\r':
                out.append("\\r");
                break;
            case '\t':
                out.append("\\t");
                break;
            case '\b':
                out.append("\\b");
                break;
            case '\f':
                out.append("\\f");
                break;
            default:
                if (u < 0x20)
                    escapeUnit(u);
                else
                    out.append(char(u));
            }
        } else if (QChar::isHighSurrogate(u) && i + 1 < size && units[i + 1].isLowSurrogate()) {
            const char32_t cp = QChar::surrogateToUcs4(u, units[++i].unicode());
            out.append(char(0xF0 | (cp >> 18)));
            out.append(char(0x80 | ((cp >> 12) & 0x3F)));
            out.append(char(0x80 | ((cp >> 6) & 0x3F)));
            out.append(char(0x80 | (cp & 0x3F)));
        } else if (QChar::isSurrogate(u)) {
            escapeUnit(u);
        } else if (u < 0x800) {
            out.append(char(0xC0 | (u >> 6)));
            out.append(char(0x80 | (u & 0x3F)));
        } else {
            out.append(char(0xE0 | (u >> 12)));
            out.append(char(0x80 | ((u >> 6) & 0x3F)));
            out.append(char(0x80 | (u & 0x3F)));
        }
    }
    out.append('"');
}

void appendJsonObject(QByteArray& out, const FileTemplate& t)
{
    out.append("{\"id\":");
    appendJsonString(out, t.idText());
    out.append(",\"name\":");
    appendJsonString(out, t.name);
    out.append(",\"fileExtension\":");
    appendJsonString(out, t.fileExtension);
    // Without content a folder's record does not decode in readers that know only files, which would
    // otherwise make an empty file of it and, saving, drop its kind.
    if (!t.isFolder) {
        out.append(",\"content\":");
        appendJsonString(out, t.content);
    }
    out.append(",\"isBuiltIn\":");
    out.append(t.isBuiltIn ? "true" : "false");
    if (!t.baseName.isEmpty()) {
        out.append(",\"baseName\":");
        appendJsonString(out, t.baseName);
    }
    if (!t.group.isEmpty()) {
        out.append(",\"group\":");
        appendJsonString(out, t.group);
    }
    if (t.isFolder)
        out.append(",\"kind\":\"folder\"");
    out.append('}');
}

bool isHexDigit(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= '0' && u <= '9') || (u >= 'a' && u <= 'f') || (u >= 'A' && u <= 'F');
}

} // namespace

QString FileTemplate::idText() const
{
    return id.toString(QUuid::WithoutBraces).toUpper();
}

QByteArray FileTemplate::toJson() const
{
    QByteArray out;
    appendJsonObject(out, *this);
    return out;
}

std::optional<QUuid> FileTemplate::parseId(QStringView text)
{
    // QUuid alone would also take braces and return null for garbage; the stored form is exact.
    if (text.size() != 36)
        return std::nullopt;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool dash = i == 8 || i == 13 || i == 18 || i == 23;
        if (dash ? text[i] != u'-' : !isHexDigit(text[i]))
            return std::nullopt;
    }
    return QUuid::fromString(text);
}

std::optional<FileTemplate> FileTemplate::fromJson(const QJsonValue& value)
{
    if (!value.isObject())
        return std::nullopt;
    const QJsonObject object = value.toObject();
    const QJsonValue id = object.value(QLatin1String("id"));
    const QJsonValue name = object.value(QLatin1String("name"));
    const QJsonValue fileExtension = object.value(QLatin1String("fileExtension"));
    const QJsonValue content = object.value(QLatin1String("content"));
    const QJsonValue isBuiltIn = object.value(QLatin1String("isBuiltIn"));
    // A missing member reads as Undefined and a null as Null; both fail the type checks.
    const QJsonValue kind = object.value(QLatin1String("kind"));
    const bool isFolder = kind == QLatin1String("folder");
    if (!id.isString() || !name.isString() || !fileExtension.isString() || !isBuiltIn.isBool() ||
        !(content.isString() || (isFolder && content.isUndefined())))
        return std::nullopt;
    const QString idString = id.toString();
    const std::optional<QUuid> uuid = parseId(idString);
    if (!uuid)
        return std::nullopt;
    // A kind this reader does not know would be made as something else; such a record is left out.
    if (!kind.isUndefined() && kind != QLatin1String("file") && kind != QLatin1String("folder"))
        return std::nullopt;
    return FileTemplate{*uuid,
                        name.toString(),
                        fileExtension.toString(),
                        content.toString(),
                        isBuiltIn.toBool(),
                        object.value(QLatin1String("baseName")).toString(),
                        object.value(QLatin1String("group")).toString(),
                        isFolder};
}

QByteArray FileTemplate::encodeList(const QList<FileTemplate>& templates)
{
    QByteArray out;
    out.append('[');
    for (qsizetype i = 0; i < templates.size(); ++i) {
        if (i > 0)
            out.append(',');
        appendJsonObject(out, templates[i]);
    }
    out.append(']');
    return out;
}

std::optional<FileTemplate::DecodedList> FileTemplate::decodeList(const QByteArray& json)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isArray())
        return std::nullopt;
    const QJsonArray array = document.array();
    DecodedList result;
    result.templates.reserve(array.size());
    for (const QJsonValue& element : array) {
        if (std::optional<FileTemplate> record = fromJson(element))
            result.templates.append(std::move(*record));
        else
            ++result.undecodable;
    }
    return result;
}

bool operator==(const FileTemplate& a, const FileTemplate& b)
{
    return a.id == b.id && a.isBuiltIn == b.isBuiltIn && a.isFolder == b.isFolder && sameText(a.name, b.name) &&
           sameText(a.fileExtension, b.fileExtension) && sameText(a.content, b.content) &&
           sameText(a.baseName, b.baseName) && sameText(a.group, b.group);
}

size_t qHash(const FileTemplate& t, size_t seed) noexcept
{
    return qHashMulti(seed, t.id, canonical(t.name), canonical(t.fileExtension), canonical(t.content), t.isBuiltIn,
                      canonical(t.baseName), canonical(t.group), t.isFolder);
}

namespace {

// One pass of the extension's cleaning: trim, then drop every full stop.
std::pair<QString, int> cleanOnce(const QString& text, int cursor)
{
    const auto [start, end] = HorizontalSpace::trimmedRange(text);
    QString result;
    int movedCursor = 0;
    for (qsizetype i = start; i < end; ++i) {
        if (text.at(i) == QLatin1Char('.'))
            continue;
        result.append(text.at(i));
        if (i < cursor)
            ++movedCursor;
    }
    return {result, movedCursor};
}

} // namespace

// Cleaning repeats until nothing changes, since dropping a full stop can bare white space at an end
// (" .md" → " md" → "md").
std::pair<QString, int> FileTemplate::cleanExtension(QString text, int cursor)
{
    for (;;) {
        auto [next, nextCursor] = cleanOnce(text, cursor);
        if (next == text)
            return {text, cursor};
        text = std::move(next);
        cursor = nextCursor;
    }
}

QString FileTemplate::cleanedExtension(const QString& text)
{
    return cleanExtension(text, 0).first.toLower();
}
