#include "platform/SecurityScope.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <climits>
#include <cstdlib>

bool CountedSecurityScope::startAccessing(const QString& folderPath)
{
    // The real path as bytes: decoded to text, names that are not valid UTF-8 would collide.
    char buffer[PATH_MAX];
    if (!::realpath(QFile::encodeName(folderPath).constData(), buffer) || !QFileInfo(folderPath).isDir())
        return false;
    const QByteArray real(buffer);
    const QMutexLocker lock(&m_mutex);
    Access& access = m_access[QDir::cleanPath(folderPath)];
    access.realPath = real;
    ++access.starts;
    return true;
}

void CountedSecurityScope::stopAccessing(const QString& folderPath)
{
    const QMutexLocker lock(&m_mutex);
    const auto it = m_access.find(QDir::cleanPath(folderPath));
    if (it != m_access.end() && --it->starts <= 0)
        m_access.erase(it);
}

bool CountedSecurityScope::contains(const QString& realFolderPath) const
{
    return containsEncoded(QFile::encodeName(realFolderPath));
}

bool CountedSecurityScope::containsEncoded(const QByteArray& realFolderPath) const
{
    const QMutexLocker lock(&m_mutex);
    for (const Access& access : m_access) {
        const QByteArray& root = access.realPath;
        // "/home/me" holds "/home/me/x" but not its sibling "/home/me2".
        if (realFolderPath == root || root == "/" ||
            (realFolderPath.startsWith(root) && realFolderPath.at(root.size()) == '/'))
            return true;
    }
    return false;
}

SecurityScope& SecurityScope::shared()
{
    static CountedSecurityScope scope;
    return scope;
}
