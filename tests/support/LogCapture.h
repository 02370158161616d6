#pragma once

#include <QStringList>
#include <QtGlobal>

// Collects every log line the code under test writes while it exists (and keeps them off the
// test's own output).
class LogCapture {
public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    const QStringList& lines() const { return m_lines; }
    QStringList take();

private:
    static void handler(QtMsgType type, const QMessageLogContext& context, const QString& message);
    static LogCapture* s_current;
    QtMessageHandler m_previous;
    QStringList m_lines;
};
