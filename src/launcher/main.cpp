// The `quintara` command. Nearly every launch (a click in a file manager whose module could not
// hand over itself, Dolphin's menu, the desktop's handler of quintara: links) only passes request
// URLs to the instance that already runs, which loading Qt's core alone would make three times
// slower. So this part links only the C library, and loads the launch module (and with it Qt) for
// everything else: other arguments, no instance, an answer that names failures.
#include "launcher/HandOver.h"

#include <climits>
#include <cstdio>
#include <cstring>
#include <dlfcn.h>
#include <unistd.h>

namespace {

constexpr char moduleName[] = "libquintara-launch.so";

// Beside this executable (a build tree) or in ../libexec/quintara/ (an installed one).
void* loadModule()
{
    char here[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", here, sizeof here - 1);
    if (n <= 0)
        return nullptr;
    here[n] = '\0';
    if (char* slash = std::strrchr(here, '/'))
        *slash = '\0';
    static const char* const places[] = {"/", "/../libexec/quintara/"};
    for (const char* relative : places) {
        char path[PATH_MAX + sizeof moduleName + 32];
        std::snprintf(path, sizeof path, "%s%s%s", here, relative, moduleName);
        if (::access(path, R_OK) == 0)
            return ::dlopen(path, RTLD_NOW | RTLD_LOCAL);
    }
    return nullptr;
}

void* moduleFunction(const char* name)
{
    void* const module = loadModule();
    void* const found = module ? ::dlsym(module, name) : nullptr;
    if (!found) {
        const char* why = ::dlerror();
        std::fprintf(stderr, "quintara: cannot load %s: %s\n", moduleName, why ? why : "not found");
    }
    return found;
}

} // namespace

int main(int argc, char** argv)
{
    HandOver::Answer answer;
    switch (HandOver::handOver(argc, argv, answer)) {
    case HandOver::Outcome::served: {
        if (answer.isSuccess())
            return 0;
        auto* report = reinterpret_cast<int (*)(const char*, size_t)>(moduleFunction("quintara_report"));
        return report ? report(answer.bytes, answer.size) : 1;
    }
    case HandOver::Outcome::noAnswer:
        std::fputs("quintara: the running instance did not answer\n", stderr);
        return 1;
    case HandOver::Outcome::noInstance:
    case HandOver::Outcome::notPlain:
        break;
    }
    auto* launch = reinterpret_cast<int (*)(int, char**)>(moduleFunction("quintara_launch"));
    return launch ? launch(argc, argv) : 1;
}
