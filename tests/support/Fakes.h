#pragma once

#include "platform/Clock.h"
#include "platform/UserAccount.h"

#include <QDateTime>

// A clock stopped at a chosen instant; counts how often it was asked.
class FakeClock final : public Clock {
public:
    explicit FakeClock(QDateTime instant) : m_instant(std::move(instant)) {}
    QDateTime now() const override
    {
        ++m_calls;
        return m_instant.addSecs(m_step * (m_calls - 1));
    }
    // Each later call answers this many seconds further on, to catch code that asks twice.
    void setStep(qint64 seconds) { m_step = seconds; }
    int calls() const { return m_calls; }

private:
    QDateTime m_instant;
    qint64 m_step = 0;
    mutable int m_calls = 0;
};

class FakeUserAccount final : public UserAccount {
public:
    explicit FakeUserAccount(QString fullName = QStringLiteral("Ada Lovelace")) : m_fullName(std::move(fullName)) {}
    QString fullName() const override { return m_fullName; }
    QString loginName() const override { return QStringLiteral("ada"); }
    QString homePath() const override { return QStringLiteral("/home/ada"); }

private:
    QString m_fullName;
};
