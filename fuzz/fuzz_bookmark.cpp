// Bookmark data is read back from a settings file that any program of the user can write.
// Whatever it holds, resolving must not crash, and must either fail with a message or name an
// absolute folder.
#include "platform/Bookmark.h"

#include <QDir>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QString error;
    const std::optional<Bookmark::Resolved> resolved = Bookmark::system().resolve(bytes, &error);
    if (resolved ? !QDir::isAbsolutePath(resolved->path) : error.isEmpty())
        std::abort();
    return 0;
}
