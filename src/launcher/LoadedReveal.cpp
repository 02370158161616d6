#include "launcher/LoadedReveal.h"

#include "platform/Log.h"
#include "platform/ProgramImage.h"

#include <QFile>

#include <dlfcn.h>

void LoadedReveal::revealFile(const QString& path, const QString& fileManager)
{
    using Reveal = void (*)(const QString&, const QString&);
    static const Reveal reveal = [] {
        const QString module = ProgramImage::companion(QStringLiteral("libquintara-reveal.so"), false);
        void* handle =
            module.isEmpty() ? nullptr : ::dlopen(QFile::encodeName(module).constData(), RTLD_NOW | RTLD_LOCAL);
        auto* found = handle ? reinterpret_cast<Reveal>(::dlsym(handle, "quintara_reveal")) : nullptr;
        if (!found)
            Log::line(QStringLiteral("[QNT] reveal: the reveal module is missing or broken: %1")
                          .arg(module.isEmpty() ? QStringLiteral("not found") : QString::fromLocal8Bit(::dlerror())));
        return found;
    }();
    if (reveal)
        reveal(path, fileManager);
}
