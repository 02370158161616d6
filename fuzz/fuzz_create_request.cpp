// Create requests come from outside the program, as arbitrary bytes. Parsing must never crash, and
// what it accepts must be a request of the quintara scheme that a sender could have written.
#include "creation/CreateRequest.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    for (const QString& candidate : {text, QStringLiteral("quintara://create?") + text}) {
        const QUrl url(candidate, QUrl::StrictMode);
        const std::optional<CreateRequest> request = CreateRequest::parse(candidate);
        if (request && (!candidate.startsWith(QLatin1String("quintara:")) || url.host() != QLatin1String("create")))
            std::abort();
        // Re-encoding what was understood must give the same request back.
        if (request) {
            const std::optional<CreateRequest> back =
                CreateRequest::parse(CreateRequest::url(request->index, request->directoryPath));
            if (!back || back->index != request->index || back->directoryPath != request->directoryPath)
                std::abort();
        }
    }
    return 0;
}
