#include "launcher/LoadedReveal.h"

#include "platform/Log.h"
#include "platform/ProgramImage.h"

#include <QFile>

#include <chrono>
#include <dlfcn.h>
#include <future>
#include <thread>

namespace {

// Longer than the bus calls' own bound, which holds once the bus has answered at all.
constexpr auto revealBound = std::chrono::seconds(5);

} // namespace

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
    if (!reveal || m_leftBehind)
        return;
    std::packaged_task<void()> task([path, fileManager] { reveal(path, fileManager); });
    std::future<void> done = task.get_future();
    std::thread worker(std::move(task));
    if (done.wait_for(revealBound) == std::future_status::ready) {
        worker.join();
        return;
    }
    worker.detach();
    m_leftBehind = true;
    Log::line(QStringLiteral("[QNT] reveal: the session bus did not answer; %1 is not shown").arg(path));
}
