#pragma once

#include "platform/Clock.h"
#include "platform/UserAccount.h"

#include <QString>
#include <QUrl>

// Turns one template and one target folder into one new file. Stateless: every call reads what it
// needs afresh.
class FileCreationService {
public:
    explicit FileCreationService(const Clock& clock = Clock::system(),
                                 const UserAccount& account = UserAccount::current());

    // Fills in {{date}}, {{time}}, {{folder}}, {{username}} and {{year}}, in that order, each on
    // the result of the one before, all from one instant.
    QString expandVariables(const QString& content, const QUrl& directory) const;

    // The folder's own name; "/" for the root, and a trailing slash does not count.
    static QString lastPathComponent(const QUrl& directory);

private:
    const Clock& m_clock;
    const UserAccount& m_account;
};
