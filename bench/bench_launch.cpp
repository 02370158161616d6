// Wall time from launching Quintara to the new file on disk, as the file manager experiences it:
//  - cold create: nothing runs; `quintara URL` serves the request itself, with no window;
//  - program start: nothing runs; the windowed program, started for the request, serves it (what a
//    request that needs a window, or a first launch, costs);
//  - second launch: an instance already runs; a new `quintara URL` hands the request over;
//  - launch under attack: a second launch while callers of the same user hold the instance's
//    channel with as many silent and flooding connections as it lets them.
// Each is reported against `touch` of a file in the same run, with the program's peak memory. Run it
// on a desktop session (DISPLAY set, XDG_CURRENT_DESKTOP as the desktop sets it, GNOME when unset):
// the run has a session bus of its own, with no services to start, so that no file manager's window
// opens. Without DISPLAY the program runs offscreen.
// Targets: cold create within 15x touch; second launch within 4x touch; peak memory under 60 MiB;
// launch under attack within 1 s.
//
// Usage: bench_launch [path/to/quintara] [iterations]
#include "BenchHome.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QUrl>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

qint64 peakKiB(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

// Connections that stay silent or send a message without end; closed when the object goes.
struct Attack {
    std::vector<int> sockets;

    explicit Attack(const QString& socketPath)
    {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray path = QFile::encodeName(socketPath);
        std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
        const QByteArray flood(256 << 10, 'x');
        for (int i = 0; i < 256; ++i) {
            sockets.push_back(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0));
            if (::connect(sockets.back(), reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 && i % 2)
                ::send(sockets.back(), flood.constData(), size_t(flood.size()), MSG_NOSIGNAL);
        }
    }
    ~Attack() { std::for_each(sockets.begin(), sockets.end(), ::close); }
};

// A session bus for the run that starts nothing: no file manager answers, so a reveal is refused at once.
struct SessionBus {
    QTemporaryDir dir;
    QProcess daemon;
    QString address;

    SessionBus()
    {
        QFile config(dir.filePath(QStringLiteral("bus.conf")));
        config.open(QIODevice::WriteOnly);
        config.write("<busconfig><type>session</type><listen>unix:dir=" + QFile::encodeName(dir.path()) +
                     "</listen><policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/>"
                     "<allow eavesdrop=\"true\"/><allow own=\"*\"/>"
                     "</policy></busconfig>\n");
        config.close();
        daemon.start(QStringLiteral("dbus-daemon"), {QStringLiteral("--config-file=") + config.fileName(),
                                                     QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
        if (daemon.waitForReadyRead(10'000))
            address = QString::fromUtf8(daemon.readLine()).trimmed();
    }
    ~SessionBus() { daemon.kill(), daemon.waitForFinished(); }
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QString binary = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("build/bin/quintara");
    const QString program = QFileInfo(binary).dir().filePath(QStringLiteral("quintara-app"));
    const int iterations = argc > 2 ? std::max(1, QByteArray(argv[2]).toInt()) : 15;
    const SessionBus bus;
    const bool desktop = qEnvironmentVariableIsSet("DISPLAY");
    const QString desktopName = qEnvironmentVariable("XDG_CURRENT_DESKTOP", QStringLiteral("GNOME"));
    std::vector<double> touchMs, coldMs, startMs, secondMs, attackedMs, peaks;

    for (int i = 0; i < iterations; ++i) {
        Home home;
        home.env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus.address);
        home.env.insert(QStringLiteral("XDG_CURRENT_DESKTOP"), desktopName);
        if (desktop)
            home.env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        const QString notes = home.dir.filePath(QStringLiteral("Notes"));
        QDir().mkpath(notes);
        QElapsedTimer timer;

        timer.start();
        QProcess::execute(QStringLiteral("touch"), {notes + QStringLiteral("/touched.txt")});
        touchMs.push_back(timer.nsecsElapsed() / 1e6);

        // Starts a launch and returns the milliseconds until its file is on disk.
        const auto launch = [&](QProcess& process, const QString& created, const QString& command) {
            process.setProcessEnvironment(home.env);
            timer.start();
            process.start(command, {home.url(notes)});
            waitFor(notes + QLatin1Char('/') + created);
            return timer.nsecsElapsed() / 1e6;
        };

        QProcess cold;
        coldMs.push_back(launch(cold, QStringLiteral("Untitled.txt"), binary));
        cold.waitForFinished();

        QProcess instance;
        startMs.push_back(launch(instance, QStringLiteral("Untitled 2.txt"), program));
        QThread::msleep(100);
        peaks.push_back(peakKiB(instance.processId()) / 1024.0);

        QProcess second;
        secondMs.push_back(launch(second, QStringLiteral("Untitled 3.txt"), binary));
        second.waitForFinished();

        {
            const Attack attack(home.dir.filePath(QStringLiteral("runtime/app.quintara.Quintara.socket")));
            QProcess third;
            attackedMs.push_back(launch(third, QStringLiteral("Untitled 4.txt"), binary));
            third.waitForFinished();
        }

        instance.terminate();
        instance.waitForFinished();
    }

    const double touch = median(touchMs);
    std::printf("median of %d runs, %s, XDG_CURRENT_DESKTOP=%s, session bus\n", iterations,
                desktop ? "X display" : "offscreen", qPrintable(desktopName));
    std::printf("touch          %8.2f ms\n", touch);
    std::printf("cold create    %8.2f ms  = %5.2fx touch (target 15x)\n", median(coldMs), median(coldMs) / touch);
    std::printf("second launch  %8.2f ms  = %5.2fx touch (target 4x)\n", median(secondMs), median(secondMs) / touch);
    std::printf("program start  %8.2f ms  = %5.2fx touch\n", median(startMs), median(startMs) / touch);
    std::printf("program peak   %8.1f MiB (target 60 MiB)\n", median(peaks));
    std::printf("under attack   %8.2f ms  (target 1000 ms)\n", median(attackedMs));
    return 0;
}
