#include "model/TemplateListParser.h"

#include <QString>

namespace {

class Reader {
public:
    explicit Reader(QByteArrayView json) : m_p(json.data()), m_end(json.data() + json.size()) {}

    std::optional<QList<FileTemplate>> list()
    {
        QList<FileTemplate> result;
        skipSpace();
        if (!take('['))
            return std::nullopt;
        skipSpace();
        if (!take(']')) {
            do {
                skipSpace();
                std::optional<FileTemplate> record = object();
                if (!record)
                    return std::nullopt;
                result.append(std::move(*record));
                skipSpace();
            } while (take(','));
            if (!take(']'))
                return std::nullopt;
        }
        skipSpace();
        if (m_p != m_end)
            return std::nullopt;
        return result;
    }

private:
    enum class Kind { None, Text, Bool };
    struct Value {
        Kind kind = Kind::None;
        QString text;
        bool flag = false;
    };

    bool take(char c)
    {
        if (m_p < m_end && *m_p == c) {
            ++m_p;
            return true;
        }
        return false;
    }

    void skipSpace()
    {
        while (m_p < m_end && (*m_p == ' ' || *m_p == '\n' || *m_p == '\r' || *m_p == '\t'))
            ++m_p;
    }

    bool literal(const char* word)
    {
        const char* p = m_p;
        for (; *word; ++word, ++p) {
            if (p >= m_end || *p != *word)
                return false;
        }
        m_p = p;
        return true;
    }

    // Members are kept as they come; like the general decoder, a repeated name keeps its last value.
    std::optional<FileTemplate> object()
    {
        if (!take('{'))
            return std::nullopt;
        Value id, name, fileExtension, content, isBuiltIn;
        skipSpace();
        if (!take('}')) {
            do {
                skipSpace();
                const std::optional<QByteArrayView> key = plainKey();
                if (!key)
                    return std::nullopt;
                skipSpace();
                if (!take(':'))
                    return std::nullopt;
                skipSpace();
                Value value;
                if (!scalar(value))
                    return std::nullopt;
                if (*key == "id")
                    id = std::move(value);
                else if (*key == "name")
                    name = std::move(value);
                else if (*key == "fileExtension")
                    fileExtension = std::move(value);
                else if (*key == "content")
                    content = std::move(value);
                else if (*key == "isBuiltIn")
                    isBuiltIn = std::move(value);
                skipSpace();
            } while (take(','));
            if (!take('}'))
                return std::nullopt;
        }
        if (id.kind != Kind::Text || name.kind != Kind::Text || fileExtension.kind != Kind::Text ||
            content.kind != Kind::Text || isBuiltIn.kind != Kind::Bool)
            return std::nullopt;
        const std::optional<QUuid> uuid = FileTemplate::parseId(id.text);
        if (!uuid)
            return std::nullopt;
        return FileTemplate{*uuid, std::move(name.text), std::move(fileExtension.text), std::move(content.text),
                            isBuiltIn.flag};
    }

    // A member name without escapes or non-ASCII bytes, compared as it stands; other names are
    // rare enough to leave to the general decoder.
    std::optional<QByteArrayView> plainKey()
    {
        if (!take('"'))
            return std::nullopt;
        const char* start = m_p;
        while (m_p < m_end && *m_p != '"') {
            const auto c = static_cast<unsigned char>(*m_p);
            if (c == '\\' || c < 0x20 || c >= 0x80)
                return std::nullopt;
            ++m_p;
        }
        if (m_p >= m_end)
            return std::nullopt;
        return QByteArrayView(start, m_p++ - start);
    }

    // Texts, booleans and null only; numbers and nested values are left to the general decoder.
    bool scalar(Value& value)
    {
        if (m_p < m_end && *m_p == '"') {
            value.kind = Kind::Text;
            return string(value.text);
        }
        if (literal("true") || literal("false")) {
            value.kind = Kind::Bool;
            value.flag = m_p[-2] == 'u'; // "tru|e" against "fals|e"
            return true;
        }
        if (literal("null")) {
            value.kind = Kind::None;
            return true;
        }
        return false;
    }

    bool string(QString& out)
    {
        if (!take('"'))
            return false;
        out.clear();
        for (;;) {
            const char* run = m_p;
            unsigned char seen = 0;
            while (m_p < m_end && *m_p != '"' && *m_p != '\\' && static_cast<unsigned char>(*m_p) >= 0x20)
                seen |= static_cast<unsigned char>(*m_p++);
            if (m_p > run) {
                if (seen < 0x80)
                    out.append(QLatin1String(run, m_p - run));
                else if (validUtf8(run, m_p))
                    out.append(QString::fromUtf8(run, m_p - run));
                else
                    return false;
            }
            if (m_p >= m_end)
                return false;
            if (*m_p == '"') {
                ++m_p;
                return true;
            }
            if (*m_p != '\\')
                return false; // a raw control character
            ++m_p;
            if (!escape(out))
                return false;
        }
    }

    bool escape(QString& out)
    {
        if (m_p >= m_end)
            return false;
        const char c = *m_p++;
        switch (c) {
        case '"':
            out.append(u'"');
            return true;
        case '\\':
            out.append(u'\\');
            return true;
        case '/':
            out.append(u'/');
            return true;
        case 'b':
            out.append(u'\b');
            return true;
        case 'f':
            out.append(u'\f');
            return true;
        case 'n':
            out.append(u'\n');
            return true;
        case 'r':
            out.append(u'\r');
            return true;
        case 't':
            out.append(u'\t');
            return true;
        case 'u': {
            if (m_end - m_p < 4)
                return false;
            char16_t unit = 0;
            for (int i = 0; i < 4; ++i) {
                const int digit = hexValue(m_p[i]);
                if (digit < 0)
                    return false;
                unit = char16_t(unit * 16 + digit);
            }
            m_p += 4;
            out.append(QChar(unit)); // surrogates are kept as single code units, as the general decoder does
            return true;
        }
        default:
            return false;
        }
    }

    static int hexValue(char c)
    {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        return -1;
    }

    // Well-formed UTF-8 only: no overlong forms, no encoded surrogates, nothing above U+10FFFF.
    static bool validUtf8(const char* p, const char* end)
    {
        const auto* s = reinterpret_cast<const unsigned char*>(p);
        const auto* e = reinterpret_cast<const unsigned char*>(end);
        while (s < e) {
            const unsigned char b = *s;
            if (b < 0x80) {
                ++s;
                continue;
            }
            int extra = 0;
            char32_t cp = 0;
            char32_t minimum = 0;
            if ((b & 0xE0) == 0xC0) {
                extra = 1;
                cp = b & 0x1F;
                minimum = 0x80;
            } else if ((b & 0xF0) == 0xE0) {
                extra = 2;
                cp = b & 0x0F;
                minimum = 0x800;
            } else if ((b & 0xF8) == 0xF0) {
                extra = 3;
                cp = b & 0x07;
                minimum = 0x10000;
            } else {
                return false;
            }
            if (e - s <= extra)
                return false;
            for (int i = 1; i <= extra; ++i) {
                if ((s[i] & 0xC0) != 0x80)
                    return false;
                cp = (cp << 6) | (s[i] & 0x3F);
            }
            if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
                return false;
            s += extra + 1;
        }
        return true;
    }

    const char* m_p;
    const char* m_end;
};

} // namespace

std::optional<QList<FileTemplate>> parseWellFormedTemplateList(QByteArrayView json)
{
    return Reader(json).list();
}
