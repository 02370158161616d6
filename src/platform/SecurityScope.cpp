#include "platform/SecurityScope.h"

#include <QDir>
#include <QFileInfo>

bool CountedSecurityScope::startAccessing(const QString& folderPath)
{
    const QFileInfo info(folderPath);
    const QString real = info.canonicalFilePath();
    if (real.isEmpty() || !info.isDir())
        return false;
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
    const QMutexLocker lock(&m_mutex);
    for (const Access& access : m_access) {
        const QString& root = access.realPath;
        // "/home/me" holds "/home/me/x" but not its sibling "/home/me2".
        if (realFolderPath == root || root == QLatin1String("/") ||
            (realFolderPath.startsWith(root) && realFolderPath.at(root.size()) == QLatin1Char('/')))
            return true;
    }
    return false;
}

SecurityScope& SecurityScope::shared()
{
    static CountedSecurityScope scope;
    return scope;
}
