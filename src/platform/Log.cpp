#include "platform/Log.h"

#include <QDebug>

namespace {

// Characters that end a line for some reader (C0 and C1 controls, the line and paragraph separators)
// or reorder what follows them on display (the bidirectional marks, embeddings and isolates).
bool needsEscape(QChar c)
{
    const char16_t u = c.unicode();
    switch (c.category()) {
    case QChar::Other_Control:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return true;
    default:
        return u == 0x061C || u == 0x200E || u == 0x200F || (u >= 0x202A && u <= 0x202E) ||
               (u >= 0x2066 && u <= 0x2069);
    }
}

} // namespace

namespace Log {

QString escapeControls(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == '\n')
            out += QLatin1String("\\n");
        else if (u == '\r')
            out += QLatin1String("\\r");
        else if (u == '\t')
            out += QLatin1String("\\t");
        else if (needsEscape(c))
            out += QStringLiteral("\\u%1").arg(unsigned(u), 4, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out;
}

void line(const QString& text)
{
    qInfo().noquote() << escapeControls(text);
}

void installFormat()
{
    qSetMessagePattern(QStringLiteral("%{time yyyy-MM-dd hh:mm:ss.zzz} quintara[%{pid}] %{message}"));
}

} // namespace Log
