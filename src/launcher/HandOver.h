#pragma once

#include <cstddef>

// Hands request URLs to the running instance using nothing but the C library, so that the
// `quintara` command, which nearly always only does that, loads no library of Qt's. It sends what
// the instance channel's own client would send for the same arguments, and takes only arguments
// that client would send as they are.
namespace HandOver {

enum class Outcome {
    served,     // the instance answered; the answer says whether every request succeeded
    noInstance, // nobody (of this user's) listens, or the connection ended unserved
    noAnswer,   // the instance did not answer in time, or answered beyond any bound
    notPlain,   // not only request URLs in plain form: the arguments are the launch module's
};

struct Answer {
    char* bytes = nullptr;
    size_t size = 0;

    Answer() = default;
    Answer(const Answer&) = delete;
    Answer& operator=(const Answer&) = delete;
    ~Answer();
    // Every request was served (an instance of an earlier version only acknowledges).
    bool isSuccess() const;
};

// A quintara://create? or quintara://import? URL whose query holds only what a query may hold
// unescaped, with every percent sign starting an escape.
bool isPlainRequest(const char* argument);

// Hands over the arguments when they are plain request URLs, or exactly `--from FILEMANAGER --new
// INDEX FOLDER` (a file manager's menu) with an absolute, clean FOLDER that is a folder. Blocking,
// bounded by the channel's 30 s. Only $XDG_RUNTIME_DIR is tried, and only when it is a private
// folder of this user's; other places are the launch module's to work out.
Outcome handOver(int argc, char** argv, Answer& answer);

} // namespace HandOver
