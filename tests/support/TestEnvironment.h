#pragma once

#include "model/FileTemplate.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <optional>

// A throw-away home for one test: HOME, XDG_CONFIG_HOME and XDG_RUNTIME_DIR point into a
// temporary folder, which is removed with the object. Every test that needs a home makes its own.
class TemporaryHome {
public:
    TemporaryHome();

    QString path() const { return m_dir.path(); }
    QString configHome() const { return m_dir.path() + QStringLiteral("/config"); }
    QString suiteFile() const;
    // A folder below the home, made if missing.
    QString folder(const QString& name) const;

private:
    QTemporaryDir m_dir;
};

// Whole-file helpers for checking what really reached the disk.
QByteArray readAll(const QString& path);
void writeAll(const QString& path, const QByteArray& bytes);
// Every entry of a folder, hidden ones too, by name.
QStringList entries(const QString& folder);

FileTemplate customTemplate(const QString& name, const QString& content = {}, const QString& extension = "txt");
QStringList names(const QList<FileTemplate>& templates);
// Runs everything queued on the event loop so far.
void flushEventLoop();
