// A new folder from a folder template of 50 files in three levels, against `cp -r` of the same tree
// in the same run (cp's own start included, as a person would run it). Target: ratio at most 3.
#include "creation/FolderCreationService.h"
#include "platform/SecurityScope.h"
#include "store/TemplateStore.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

struct Setup {
    QTemporaryDir home;
    QString source = home.filePath(QStringLiteral("source"));
    QString out = home.filePath(QStringLiteral("out"));
    FileTemplate folderTemplate{QUuid::createUuid(), QStringLiteral("Web Project"), {}, {}, false, {}, {}, true};

    Setup()
    {
        qputenv("XDG_DATA_HOME", home.filePath(QStringLiteral("data")).toUtf8());
        const QStringList levels{QString(), QStringLiteral("src/"), QStringLiteral("src/{{folder}}/"),
                                 QStringLiteral("src/{{folder}}/deep/")};
        for (const QString& level : levels)
            QDir().mkpath(source + QLatin1Char('/') + level);
        QDir().mkpath(out);
        for (int i = 0; i < 50; ++i) {
            QFile file(source + QLatin1Char('/') + levels.at(i % 4) + QStringLiteral("file%1-{{year}}.txt").arg(i));
            file.open(QIODevice::WriteOnly);
            file.write(QByteArray("/* {{folder}}, {{date}} by {{username}} */\n").repeated(8) +
                       QByteArray("plain text that needs no replacing at all.\n").repeated(40));
        }
        FolderTemplateTree().importFolder(source, folderTemplate.id);
        SecurityScope::shared().startAccessing(home.path());
    }
};

Setup& setup()
{
    static Setup made;
    return made;
}

// Each round makes the folder, then copies the tree, so that both meet the file system in the same
// state: ext4, for one, looks longer for a free inode the more were freed just before.
void createFolderAgainstCopy(benchmark::State& state)
{
    TemplateStore store([] { return SettingsDomain(setup().home.filePath(QStringLiteral("settings.json"))); });
    const FileCreationService files(store);
    const FolderCreationService folders(files);
    const QUrl out = QUrl::fromLocalFile(setup().out);
    const QString copy = setup().out + QStringLiteral("/copy");
    QElapsedTimer clock;
    qint64 creating = 0;
    qint64 copying = 0;
    for (auto _ : state) {
        clock.start();
        const auto made = folders.createFolder(setup().folderTemplate, out);
        creating += clock.nsecsElapsed();
        clock.start();
        if (QProcess::execute(QStringLiteral("cp"), {QStringLiteral("-r"), setup().source, copy}) != 0)
            state.SkipWithError("cp failed");
        copying += clock.nsecsElapsed();
        state.PauseTiming();
        if (const QUrl* url = std::get_if<QUrl>(&made))
            QDir(url->toLocalFile()).removeRecursively();
        else
            state.SkipWithError("nothing made");
        QDir(copy).removeRecursively();
        state.ResumeTiming();
    }
    const double rounds = double(state.iterations());
    state.counters["create_ms"] = double(creating) / rounds / 1e6;
    state.counters["cp_ms"] = double(copying) / rounds / 1e6;
    state.counters["ratio"] = double(creating) / double(copying);
}
BENCHMARK(createFolderAgainstCopy)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
