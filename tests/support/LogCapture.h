#pragma once

#include <QStringList>
#include <QtGlobal>

// Collects every log line the code under test writes while it exists (and keeps them off the
// test's own output).
class LogCapture {
public:
    LogCapture() : m_previous(qInstallMessageHandler(&LogCapture::handler)) { s_current = this; }
    ~LogCapture()
    {
        s_current = nullptr;
        qInstallMessageHandler(m_previous);
    }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    const QStringList& lines() const { return m_lines; }
    QStringList take() { return std::exchange(m_lines, {}); }

private:
    static void handler(QtMsgType type, const QMessageLogContext& context, const QString& message)
    {
        if (s_current && type == QtInfoMsg)
            s_current->m_lines.append(message);
        else if (s_current && s_current->m_previous)
            s_current->m_previous(type, context, message);
    }
    static inline LogCapture* s_current = nullptr;
    QtMessageHandler m_previous;
    QStringList m_lines;
};
