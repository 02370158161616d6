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

QString replaceWith(const QString& name, int argc, char** argv)
{
    const QString here = folder();
    for (const QString& candidate :
         {here + QLatin1Char('/') + name, here + QStringLiteral("/../libexec/quintara/") + name}) {
        const QByteArray path = QFile::encodeName(candidate);
        if (::access(path.constData(), X_OK) != 0)
            continue;
        std::vector<char*> arguments(argv, argv + argc);
        arguments.push_back(nullptr);
        ::execv(path.constData(), arguments.data());
        return QString::fromLocal8Bit(std::strerror(errno));
    }
    return QStringLiteral("%1 not found beside %2").arg(name, here);
}

} // namespace ProgramImage
