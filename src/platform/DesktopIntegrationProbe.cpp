#include "platform/DesktopIntegrationProbe.h"

#include "platform/Log.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>

#include <memory>
#include <utility>

namespace {

const QString desktopEntry = QStringLiteral("app.quintara.Quintara.desktop");
const QString schemeType = QStringLiteral("x-scheme-handler/quintara");
// xdg-mime is a shell script that may ask other programs; a hung one must not hold the answer back.
constexpr int xdgMimeTimeoutMs = 5000;
// The answer is one desktop file name; anything longer is not ours.
constexpr qint64 xdgMimeOutputLimit = 4096;

struct Supported {
    FileManager fileManager;
    const char* program;
    const char* moduleFolder; // empty for Dolphin, which loads no code
};

// The folders come from the build: the extension folders of the APIs it found, and otherwise
// where Debian puts them.
const Supported supported[] = {
    {FileManager::Files, "nautilus", QUINTARA_NAUTILUS_MODULE_FOLDER},
    {FileManager::Dolphin, "dolphin", ""},
    {FileManager::Nemo, "nemo", QUINTARA_NEMO_MODULE_FOLDER},
    {FileManager::Caja, "caja", QUINTARA_CAJA_MODULE_FOLDER},
    {FileManager::Thunar, "thunar", QUINTARA_THUNAR_MODULE_FOLDER},
};

QList<FileManagerState> inspect(const DesktopIntegrationProbe::Locations& locations)
{
    QList<FileManagerState> states;
    for (const Supported& each : supported) {
        const QString program = QString::fromLatin1(each.program);
        const QFileInfo file(locations.integrationFiles.value(each.fileManager));
        // Dolphin runs a service menu outside the system's folders only when it is executable.
        const bool integrated = file.isFile() && (each.fileManager != FileManager::Dolphin || file.isExecutable());
        states.append(
            {each.fileManager, !QStandardPaths::findExecutable(program, locations.searchPath).isEmpty(), integrated});
    }
    return states;
}

} // namespace

DesktopIntegrationProbe::Locations DesktopIntegrationProbe::Locations::system(const QString& serviceMenuPath)
{
    Locations locations;
    locations.searchPath = qEnvironmentVariable("PATH").split(QDir::listSeparator(), Qt::SkipEmptyParts);
    for (const Supported& each : supported) {
        if (*each.moduleFolder)
            locations.integrationFiles.insert(
                each.fileManager, QStringLiteral("%1/libquintara-%2.so")
                                      .arg(QString::fromUtf8(each.moduleFolder), QString::fromLatin1(each.program)));
    }
    locations.integrationFiles.insert(FileManager::Dolphin, serviceMenuPath);
    return locations;
}

DesktopIntegrationProbe::DesktopIntegrationProbe(Locations locations, std::function<bool()> writeServiceMenu,
                                                 QObject* parent)
    : IntegrationProbe(parent), m_locations(std::move(locations)), m_writeServiceMenu(std::move(writeServiceMenu))
{
    // One worker: reads finish in the order they started.
    m_pool.setMaxThreadCount(1);
}

DesktopIntegrationProbe::~DesktopIntegrationProbe()
{
    // A worker still reading would post its answer to this object.
    m_pool.waitForDone();
    // An xdg-mime still running is stopped here rather than left to the process's own destructor.
    const QList<QProcess*> running = findChildren<QProcess*>();
    for (QProcess* process : running) {
        process->disconnect();
        process->kill();
        process->waitForFinished(xdgMimeTimeoutMs);
    }
}

void DesktopIntegrationProbe::refresh()
{
    const quint64 read = ++m_read;
    m_fileManagers.reset();
    m_schemeReachesQuintara.reset();
    m_pool.start([this, read, locations = m_locations] {
        const QList<FileManagerState> states = inspect(locations);
        QMetaObject::invokeMethod(
            this, [this, read, states] { fileManagersRead(read, states); }, Qt::QueuedConnection);
    });
    runXdgMime({QStringLiteral("query"), QStringLiteral("default"), schemeType},
               [this, read](const std::optional<QByteArray>& output) {
                   schemeRead(read, output && QString::fromUtf8(output->trimmed()) == desktopEntry);
               });
}

void DesktopIntegrationProbe::addServiceMenu()
{
    if (!m_writeServiceMenu || !m_writeServiceMenu())
        Log::line(QStringLiteral("[QNT] integration: the service menu could not be written"));
    refresh();
}

void DesktopIntegrationProbe::claimScheme()
{
    runXdgMime({QStringLiteral("default"), desktopEntry, schemeType}, [this](const std::optional<QByteArray>& output) {
        if (!output)
            Log::line(QStringLiteral("[QNT] integration: xdg-mime could not make Quintara the handler of quintara:"));
        refresh();
    });
}

void DesktopIntegrationProbe::runXdgMime(const QStringList& arguments,
                                         std::function<void(std::optional<QByteArray>)> done)
{
    const QString program = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"), m_locations.searchPath);
    if (program.isEmpty()) {
        QTimer::singleShot(0, this, [done = std::move(done)] { done(std::nullopt); });
        return;
    }
    auto* process = new QProcess(this);
    auto output = std::make_shared<QByteArray>();
    // Whichever comes first of the end, a failure to start, the time limit or too much output
    // answers, once; the process is then stopped and nothing more of it is heard.
    auto finish = [process, output, done = std::make_shared<decltype(done)>(std::move(done))](bool succeeded) {
        if (!*done)
            return;
        QObject::disconnect(process, nullptr, nullptr, nullptr);
        process->kill();
        process->deleteLater();
        std::exchange(*done, {})(succeeded ? std::optional(*output) : std::nullopt);
    };
    connect(process, &QProcess::readyReadStandardOutput, process, [process, output, finish] {
        output->append(process->read(xdgMimeOutputLimit + 1 - output->size()));
        if (output->size() > xdgMimeOutputLimit)
            finish(false);
    });
    connect(process, &QProcess::finished, process, [process, output, finish](int code, QProcess::ExitStatus status) {
        output->append(process->read(xdgMimeOutputLimit + 1 - output->size()));
        finish(status == QProcess::NormalExit && code == 0 && output->size() <= xdgMimeOutputLimit);
    });
    connect(process, &QProcess::errorOccurred, process, [finish](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            finish(false);
    });
    QTimer::singleShot(xdgMimeTimeoutMs, process, [finish] { finish(false); });
    process->setStandardInputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    process->start(program, arguments);
}

void DesktopIntegrationProbe::fileManagersRead(quint64 read, const QList<FileManagerState>& fileManagers)
{
    if (read != m_read)
        return;
    m_fileManagers = fileManagers;
    reportIfComplete();
}

void DesktopIntegrationProbe::schemeRead(quint64 read, bool ours)
{
    if (read != m_read)
        return;
    m_schemeReachesQuintara = ours;
    reportIfComplete();
}

void DesktopIntegrationProbe::reportIfComplete()
{
    if (m_fileManagers && m_schemeReachesQuintara)
        Q_EMIT stateRead({*m_fileManagers, *m_schemeReachesQuintara});
}
