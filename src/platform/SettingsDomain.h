#pragma once

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// What one read of a domain found. Typed reads yield nothing for a missing key and for a value of
// another type, so callers never see a value they did not ask for.
class SettingsSnapshot {
public:
    SettingsSnapshot() = default;
    explicit SettingsSnapshot(QJsonObject values) : m_values(std::move(values)) {}

    std::optional<QByteArray> data(const QString& key) const;
    std::optional<QJsonArray> array(const QString& key) const;
    std::optional<QString> text(const QString& key) const;
    std::optional<bool> flag(const QString& key) const;

private:
    QJsonObject m_values;
};

// A persistent key-value domain shared by several programs of the product: one JSON object in one
// file, member name = key. Binary data is an object {"data": "<base64>"}.
//
// Nothing is cached and no handle is held: every read parses the file afresh, and every write takes
// a lock file, re-reads, changes its one key and replaces the file atomically, so two programs that
// write different keys at the same moment both keep their key. A file that does not parse reads as
// empty and is kept aside as "<file>.corrupt" before the first write replaces it. The file holds the
// folder grant and the user's templates, so only its owner may read it.
class SettingsDomain {
public:
    // Why a write left the file as it was; converts to true only for a write that was made durable.
    struct WriteResult {
        enum class Failure { none, tooLarge, notWritten };
        Failure failure = Failure::none;
        QString reason; // in the log's English; empty on success

        explicit operator bool() const { return failure == Failure::none; }
    };
    // Whether a stored value must be kept aside before a write replaces it (one that does not decode).
    using KeepAside = std::function<bool(const QJsonValue& stored)>;

    // The largest file a read accepts; a write that would make a larger one is refused.
    static constexpr qint64 maximumFileSize = 16 << 20;

    explicit SettingsDomain(QString filePath);

    // The suite of the application group; the process's standard domain stands in when the suite's
    // file cannot be used (it is not a regular file, or cannot be read).
    static SettingsDomain openSuite();
    static SettingsDomain standard();
    // $XDG_CONFIG_HOME when it is an absolute path, else ~/.config.
    static QString configHome();

    const QString& filePath() const { return m_filePath; }

    SettingsSnapshot read() const;
    std::optional<QByteArray> data(const QString& key) const { return read().data(key); }
    std::optional<QJsonArray> array(const QString& key) const { return read().array(key); }
    std::optional<QString> text(const QString& key) const { return read().text(key); }
    std::optional<bool> flag(const QString& key) const { return read().flag(key); }

    // Each fails, leaving the file unchanged and logging why, when the change could not be made
    // durable. With `keepAside`, a stored value it picks is first copied to "<file>.<key>.kept" (or
    // the next free ".kept.N"), and the write fails when the copy cannot be made.
    WriteResult setData(const QString& key, const QByteArray& value, const KeepAside& keepAside = {});
    WriteResult setArray(const QString& key, const QStringList& texts);
    WriteResult setText(const QString& key, const QString& value);
    WriteResult setFlag(const QString& key, bool value);

private:
    WriteResult write(const QString& key, const QJsonValue& value, const KeepAside& keepAside = {});

    QString m_filePath;
};

// While one lives on a thread, each domain read on that thread yields what the first read of its
// file in the scope found, so that serving one request parses the settings file once and sees one
// state of it throughout. A write through a domain drops what was read of its file. Scopes nest.
class SettingsReadScope {
public:
    SettingsReadScope();
    ~SettingsReadScope();
    SettingsReadScope(const SettingsReadScope&) = delete;
    SettingsReadScope& operator=(const SettingsReadScope&) = delete;

private:
    bool m_outermost;
};
