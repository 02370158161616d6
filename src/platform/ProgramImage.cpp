#include "platform/ProgramImage.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <unistd.h>
#include <vector>

namespace ProgramImage {

QString folder()
{
    return QFileInfo(QFile::symLinkTarget(QStringLiteral("/proc/self/exe"))).absolutePath();
}

QString companion(const QString& name, bool program)
{
    const QString here = folder();
    for (const QString& candidate :
         {here + QLatin1Char('/') + name, here + QStringLiteral("/../libexec/quintara/") + name}) {
        if (::access(QFile::encodeName(candidate).constData(), program ? X_OK : R_OK) == 0)
            return candidate;
    }
    return {};
}

QString replaceWith(const QString& name, int argc, char** argv)
{
    const QString program = companion(name, true);
    if (program.isEmpty())
        return QStringLiteral("%1 not found beside %2").arg(name, folder());
    const QByteArray path = QFile::encodeName(program);
    std::vector<char*> arguments(argv, argv + argc);
    arguments.push_back(nullptr);
    ::execv(path.constData(), arguments.data());
    return QString::fromLocal8Bit(std::strerror(errno));
}

} // namespace ProgramImage
