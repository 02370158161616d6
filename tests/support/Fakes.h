#pragma once

#include "platform/Clock.h"
#include "platform/FilePicker.h"
#include "platform/FolderPicker.h"
#include "platform/IntegrationProbe.h"
#include "platform/SecurityScope.h"
#include "platform/UserAccount.h"
#include "platform/Workspace.h"

#include <QDateTime>
#include <QStringList>
#include <QUrl>

// A clock stopped at a chosen instant, or moving `step` seconds on every later question, to catch
// code that asks twice.
class FakeClock final : public Clock {
public:
    explicit FakeClock(QDateTime instant, qint64 step = 0) : m_instant(std::move(instant)), m_step(step) {}
    QDateTime now() const override { return m_instant.addSecs(m_step * m_calls++); }

private:
    QDateTime m_instant;
    qint64 m_step;
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

// Records what would have been shown in the file manager or opened in a browser.
class FakeWorkspace final : public Workspace {
public:
    void revealFile(const QString& path, const QString&) override { revealed.append(path); }
    bool openUrl(const QUrl& url) override { return opened.append(url), true; }
    void notify(const QString& summary, const QString& body) override { notified.append(summary + ": " + body); }
    QStringList revealed;
    QStringList notified;
    QList<QUrl> opened;
};

// A real scope that also counts how access is started and stopped.
class RecordingSecurityScope final : public SecurityScope {
public:
    bool startAccessing(const QString& folderPath) override
    {
        return !refuseStarts && m_scope.startAccessing(folderPath) && ++starts;
    }
    void stopAccessing(const QString& folderPath) override { ++stops, m_scope.stopAccessing(folderPath); }
    bool contains(const QString& realFolderPath) const override { return m_scope.contains(realFolderPath); }
    bool refuseStarts = false;
    int starts = 0;
    int stops = 0;

private:
    CountedSecurityScope m_scope;
};

// Records what it was asked, and answers only when the test says so, as the user would.
template <class Picker, class Answer>
class FakePicker : public Picker {
public:
    void answer(const Answer& chosen) { std::exchange(m_done, {})(chosen); }
    QList<typename Picker::Request> requests;

protected:
    void ask(const typename Picker::Request& request, typename Picker::Completion done)
    {
        requests.append(request);
        m_done = std::move(done);
    }
    typename Picker::Completion m_done;
};

class FakeFolderPicker final : public FakePicker<FolderPicker, std::optional<QString>> {
    void pickFolder(const Request& request, QWidget*, Completion done) override { ask(request, std::move(done)); }
};

class FakeFilePicker final : public FakePicker<FilePicker, QStringList> {
    void pickFiles(const Request& request, QWidget*, Completion done) override { ask(request, std::move(done)); }
};

// Never answers: for tests of windows that do not look at the file managers.
class SilentIntegrationProbe final : public IntegrationProbe {
public:
    void refresh() override {}
    void addServiceMenu() override {}
    void claimScheme() override {}
};
