#pragma once

#include <QString>

// The account the program runs as, as the operating system records it.
class UserAccount {
public:
    virtual ~UserAccount() = default;
    // The person's display name; empty when the system records none.
    virtual QString fullName() const = 0;
    virtual QString loginName() const = 0;
    virtual QString homePath() const = 0;

    static const UserAccount& current();

    // The password database's comment field holds the name first, then optional office and
    // phone fields after commas.
    static QString fullNameFromGecos(const char* gecos);
};
