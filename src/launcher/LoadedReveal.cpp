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

// The module's calls take two texts: a path and a file manager, or a summary and a body.
using ModuleCall = void (*)(const QString&, const QString&);

ModuleCall moduleCall(const char* name)
{
    static void* const handle = [] {
        const QString module = ProgramImage::companion(QStringLiteral("libquintara-reveal.so"), false);
        void* opened =
            module.isEmpty() ? nullptr : ::dlopen(QFile::encodeName(module).constData(), RTLD_NOW | RTLD_LOCAL);
        if (!opened)
            Log::line(QStringLiteral("[QNT] reveal: the reveal module is missing or broken: %1")
                          .arg(module.isEmpty() ? QStringLiteral("not found") : QString::fromLocal8Bit(::dlerror())));
        return opened;
    }();
    auto* found = handle ? reinterpret_cast<ModuleCall>(::dlsym(handle, name)) : nullptr;
    if (handle && !found)
        Log::line(QStringLiteral("[QNT] reveal: the reveal module has no %1").arg(QLatin1String(name)));
    return found;
}

// Runs the call on a thread of its own; false when it has not ended within the bound, and is left running.
bool callBounded(ModuleCall call, const QString& first, const QString& second)
{
    std::packaged_task<void()> task([call, first, second] { call(first, second); });
    std::future<void> done = task.get_future();
    std::thread worker(std::move(task));
    if (done.wait_for(revealBound) == std::future_status::ready) {
        worker.join();
        return true;
    }
    worker.detach();
    return false;
}

} // namespace

void LoadedReveal::revealFile(const QString& path, const QString& fileManager)
{
    static const ModuleCall reveal = moduleCall("quintara_reveal");
    if (!reveal || m_leftBehind || callBounded(reveal, path, fileManager))
        return;
    m_leftBehind = true;
    Log::line(QStringLiteral("[QNT] reveal: the session bus did not answer; %1 is not shown").arg(path));
}

void LoadedReveal::notify(const QString& summary, const QString& body)
{
    static const ModuleCall notify = moduleCall("quintara_notify");
    if (!notify || m_leftBehind || callBounded(notify, summary, body))
        return;
    m_leftBehind = true;
    Log::line(QStringLiteral("[QNT] notification not shown (the session bus did not answer): %1").arg(summary));
}
