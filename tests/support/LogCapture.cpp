#include "support/LogCapture.h"

LogCapture* LogCapture::s_current = nullptr;

LogCapture::LogCapture() : m_previous(qInstallMessageHandler(&LogCapture::handler))
{
    s_current = this;
}

LogCapture::~LogCapture()
{
    s_current = nullptr;
    qInstallMessageHandler(m_previous);
}

QStringList LogCapture::take()
{
    return std::exchange(m_lines, {});
}

void LogCapture::handler(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (s_current && type == QtInfoMsg)
        s_current->m_lines.append(message);
    else if (s_current && s_current->m_previous)
        s_current->m_previous(type, context, message);
}
