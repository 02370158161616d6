// Stored template lists come from a file any program of the user can write. Whatever the bytes,
// decoding must not crash; the quick reader, when it answers, must agree with the general JSON
// decoder; and a list that decodes must survive encoding and decoding unchanged.
#include "model/FileTemplate.h"
#include "model/TemplateListParser.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <cstdint>
#include <cstdlib>

namespace {

std::optional<QList<FileTemplate>> decodeWithJsonDocument(const QByteArray& bytes)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !document.isArray())
        return std::nullopt;
    QList<FileTemplate> result;
    for (const QJsonValue& element : document.array()) {
        std::optional<FileTemplate> record = FileTemplate::fromJson(element);
        if (!record)
            return std::nullopt;
        result.append(*record);
    }
    return result;
}

// Code units, not Unicode equality: the two readers must produce the very same text.
bool identical(const QList<FileTemplate>& a, const QList<FileTemplate>& b)
{
    return FileTemplate::encodeList(a) == FileTemplate::encodeList(b) && a == b;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const std::optional<QList<FileTemplate>> reference = decodeWithJsonDocument(bytes);
    const std::optional<QList<FileTemplate>> quick = parseWellFormedTemplateList(bytes);
    if (quick && (!reference || !identical(*quick, *reference)))
        std::abort();

    const std::optional<QList<FileTemplate>> decoded = FileTemplate::decodeList(bytes);
    if (decoded.has_value() != reference.has_value())
        std::abort();
    if (!decoded)
        return 0;
    const QByteArray encoded = FileTemplate::encodeList(*decoded);
    const std::optional<QList<FileTemplate>> again = FileTemplate::decodeList(encoded);
    if (!again || !identical(*again, *decoded) || !parseWellFormedTemplateList(encoded))
        std::abort();
    return 0;
}
