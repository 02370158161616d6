#pragma once

#include <QByteArray>
#include <QHash>
#include <QMutex>
#include <QString>

// The folders the program may write into right now. Access to a granted folder is started and
// stopped in pairs around each use; starts are counted, so nested users do not cut each other off.
// Writes are confined by the real location of their folder, with symbolic links and ".." resolved.
class SecurityScope {
public:
    virtual ~SecurityScope() = default;
    // False when the folder cannot be found; nothing is then under access for it.
    virtual bool startAccessing(const QString& folderPath) = 0;
    virtual void stopAccessing(const QString& folderPath) = 0;
    // Whether a folder whose real (canonical) path is given lies inside a folder under access.
    virtual bool contains(const QString& realFolderPath) const = 0;
    // The same for the path as the file system's bytes. Text cannot stand for every file name
    // (invalid UTF-8 decodes to U+FFFD, so two names can read the same), so confinement asks this.
    virtual bool containsEncoded(const QByteArray& realFolderPath) const
    {
        return contains(QString::fromLocal8Bit(realFolderPath));
    }

    // The process's one scope, as the operating system's sandbox would hold it.
    static SecurityScope& shared();
};

class CountedSecurityScope final : public SecurityScope {
public:
    bool startAccessing(const QString& folderPath) override;
    void stopAccessing(const QString& folderPath) override;
    bool contains(const QString& realFolderPath) const override;
    bool containsEncoded(const QByteArray& realFolderPath) const override;

private:
    struct Access {
        QByteArray realPath; // as it was when access started, so a later stop works even if the folder moved
        int starts = 0;
    };
    mutable QMutex m_mutex;
    QHash<QString, Access> m_access; // by the path the caller started with
};
