#include "creation/FileCreationService.h"

#include <QCalendar>
#include <QLocale>

#include <functional>

FileCreationService::FileCreationService(const Clock& clock, const UserAccount& account)
    : m_clock(clock), m_account(account)
{}

QString FileCreationService::lastPathComponent(const QUrl& directory)
{
    QString path = directory.isLocalFile() ? directory.toLocalFile() : directory.path();
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    if (path == QLatin1String("/"))
        return path;
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

QString FileCreationService::expandVariables(const QString& content, const QUrl& directory) const
{
    const QDateTime now = m_clock.now().toLocalTime();
    const QLocale locale = QLocale::system();

    // Order matters: text put in by one step is searched by the steps after it, never by those
    // before. A value is only worked out when its placeholder is present at its step.
    const std::pair<QLatin1String, std::function<QString()>> variables[] = {
        {QLatin1String("{{date}}"),
         [&] {
             return locale.toString(now.date(), QLocale::ShortFormat);
         }},
        {QLatin1String("{{time}}"),
         [&] {
             return locale.toString(now.time(), QLocale::ShortFormat);
         }},
        {QLatin1String("{{folder}}"),
         [&] {
             return lastPathComponent(directory);
         }},
        {QLatin1String("{{username}}"),
         [&] {
             return m_account.fullName();
         }},
        {QLatin1String("{{year}}"),
         [&] {
             return QString::number(now.date().year(QCalendar()));
         }},
    };
    QString result = content;
    for (const auto& [placeholder, value] : variables) {
        if (result.contains(placeholder))
            result.replace(placeholder, value());
    }
    return result;
}
