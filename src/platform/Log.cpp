#include "platform/Log.h"

#include <QDebug>
#include <QLoggingCategory>

#include <cstdio>
#include <cstring>

namespace {

// The program's own events, which Log::line has escaped already.
Q_LOGGING_CATEGORY(events, "quintara")

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

// Every message of the process, Qt's own included, leaves escaped exactly once.
void writeEscaped(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    const bool escaped = context.category && std::strcmp(context.category, events().categoryName()) == 0;
    const QString line = qFormatLogMessage(type, context, escaped ? message : Log::escapeControls(message));
    std::fputs(qPrintable(line + QLatin1Char('\n')), stderr);
}

} // namespace

namespace Log {

QString escapeControls(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        const char16_t u = c.unicode();
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            out += text.mid(i++, 2);
            continue;
        }
        if (u == '\n')
            out += QLatin1String("\\n");
        else if (u == '\r')
            out += QLatin1String("\\r");
        else if (u == '\t')
            out += QLatin1String("\\t");
        else if (u == '\\')
            out += QLatin1String("\\\\");
        else if (u >= 0xDC80 && u <= 0xDCFF) // a byte of a path that is not UTF-8
            out += QStringLiteral("\\x%1").arg(unsigned(u - 0xDC00), 2, 16, QLatin1Char('0'));
        else if (c.isSurrogate() || needsEscape(c))
            out += QStringLiteral("\\u%1").arg(unsigned(u), 4, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out;
}

void line(const QString& text)
{
    qCInfo(events).noquote() << escapeControls(text);
}

void installFormat()
{
    qSetMessagePattern(QStringLiteral("%{time yyyy-MM-dd hh:mm:ss.zzz} quintara[%{pid}] %{message}"));
    qInstallMessageHandler(&writeEscaped);
}

} // namespace Log
