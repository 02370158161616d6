// Renders the program's windows in their main states to PNG files, without a display:
//   snapshot OUTDIR
// writes one OUTDIR/<name>.png per snapshot registered by the snapshots_<area>.cpp files. Every snapshot gets a fresh,
// empty settings domain in a temporary home, so what it shows depends on nothing outside the table.

#include "SnapshotScene.h"
#include "ui/common/Translations.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPixmap>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>

namespace {

QPalette darkPalette()
{
    QPalette palette(QColor(0x3a, 0x3a, 0x3a), QColor(0x24, 0x24, 0x24));
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText, QPalette::BrightText})
        palette.setColor(role, QColor(0xf2, 0xf2, 0xf2));
    palette.setColor(QPalette::Base, QColor(0x1e, 0x1e, 0x1e));
    palette.setColor(QPalette::AlternateBase, QColor(0x2a, 0x2a, 0x2a));
    palette.setColor(QPalette::PlaceholderText, QColor(0xf2, 0xf2, 0xf2, 110));
    palette.setColor(QPalette::Highlight, QColor(0x35, 0x84, 0xe4));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::Link, QColor(0x78, 0xae, 0xed));
    palette.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0x8a, 0x8a, 0x8a));
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(0x8a, 0x8a, 0x8a));
    palette.setColor(QPalette::Disabled, QPalette::Text, QColor(0x8a, 0x8a, 0x8a));
    return palette;
}

bool render(const Snapshot& snapshot, const QString& outDir, const QString& home)
{
    Scene scene(home);
    const std::unique_ptr<QWidget> window = snapshot.build(scene);
    // Shown, so the view reads its state and lays itself out as it would on screen. State read
    // asynchronously arrives on the first pass and is laid out on the second.
    window->show();
    for (int pass = 0; pass < 3; ++pass)
        QApplication::processEvents();
    if (snapshot.prepare) {
        snapshot.prepare(*window);
        QApplication::processEvents();
    }
    const QString file = QDir(outDir).filePath(snapshot.name + QStringLiteral(".png"));
    const bool saved = window->grab().save(file);
    QTextStream(saved ? stdout : stderr) << (saved ? "wrote " : "could not write ") << file << Qt::endl;
    return saved;
}

} // namespace

QList<Snapshot>& snapshotRegistry()
{
    static QList<Snapshot> registry;
    return registry;
}

int main(int argc, char** argv)
{
    const bool dark = argc == 3 && std::strcmp(argv[1], "--dark") == 0;
    if (argc != 2 + int(dark)) {
        std::fprintf(stderr, "usage: %s [--dark] OUTDIR\n", argv[0]);
        return 2;
    }
    QTemporaryDir home;
    if (!home.isValid()) {
        std::fprintf(stderr, "cannot create a temporary folder\n");
        return 1;
    }
    // Set before the application object exists, which is when they are read. The offscreen
    // platform's own screen is smaller than the windows, which would shrink them to fit it: the
    // renders get a screen of a desktop's size instead.
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (platform.isEmpty() || platform == "offscreen") {
        const QString screen = home.filePath(QStringLiteral("screen.json"));
        QFile config(screen);
        if (!config.open(QIODevice::WriteOnly) ||
            config.write(R"({"screens": [{"name": "desktop", "x": 0, "y": 0, "width": 3840, "height": 2400,)"
                         R"( "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})") < 0)
            return 1;
        config.close();
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(screen));
    }
    if (qEnvironmentVariableIsEmpty("QT_SCALE_FACTOR"))
        qputenv("QT_SCALE_FACTOR", "2"); // sharp pictures: two pixels per point
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/config")).toUtf8());
    qputenv("XDG_DATA_HOME", (home.path() + QStringLiteral("/data")).toUtf8());
    const QString runtime = home.path() + QStringLiteral("/runtime");
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", runtime.toUtf8());

    QApplication app(argc, argv);
    Translations::install(); // LANG=de_DE.UTF-8 renders the German windows
    if (dark)                // the colours of a dark desktop theme
        QApplication::setPalette(darkPalette());
    const QString outDir = QString::fromLocal8Bit(argv[argc - 1]);
    if (!QDir().mkpath(outDir)) {
        std::fprintf(stderr, "cannot create %s\n", argv[argc - 1]);
        return 1;
    }
    bool ok = true;
    for (const Snapshot& snapshot : snapshotRegistry()) {
        const QString sceneHome = home.path() + QLatin1Char('/') + snapshot.name;
        QDir().mkpath(sceneHome);
        ok = render(snapshot, outDir, sceneHome) && ok;
    }
    return ok ? 0 : 1;
}
