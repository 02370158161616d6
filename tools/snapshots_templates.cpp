// The Templates pane with nothing, a built-in, a custom and an imported template selected, the summary
// of an import, and the template editor in its two modes.
#include "SnapshotScene.h"
#include "store/TemplateImporter.h"
#include "ui/templates/TemplateEditorView.h"
#include "ui/templates/TemplatesView.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QListView>
#include <QMessageBox>

namespace {

// The content area of the Settings window, less its tab bar.
constexpr QSize paneSize(620, 420);

FileTemplate meetingNotes()
{
    return {QUuid(QStringLiteral("{3F2504E0-4F89-41D3-9A0C-0305E82C3301}")), QStringLiteral("Meeting Notes"),
            QStringLiteral("md"),
            QStringLiteral("# Meeting — {{date}} {{time}}\n\nFolder: {{folder}}\nAttendees: {{username}}\n\n"
                           "## Agenda\n\n- \n\n## Actions\n\n- [ ] \n"),
            false};
}

FileTemplate pythonModule()
{
    return {QUuid(QStringLiteral("{3F2504E0-4F89-41D3-9A0C-0305E82C3302}")), QStringLiteral("Python Module"),
            QStringLiteral("py"),
            QStringLiteral("\"\"\"{{folder}} module.\"\"\"\n\n# © {{year}} {{username}}\n\n\ndef main() -> None:\n"
                           "\tpass\n\n\nif __name__ == \"__main__\":\n\tmain()\n"),
            false};
}

std::unique_ptr<QWidget> pane(Scene& scene)
{
    auto view = std::make_unique<TemplatesView>(scene.manager, scene.picker, scene.workspace);
    view->resize(paneSize);
    return view;
}

std::unique_ptr<QWidget> paneWithCustomTemplates(Scene& scene)
{
    FileTemplate notes = meetingNotes();
    std::tie(notes.baseName, notes.group) = std::tuple(QStringLiteral("{{date}} Meeting"), QStringLiteral("Office"));
    scene.store.customTemplates() = {notes, pythonModule()};
    scene.store.save();
    // A folder template, made as "Save as Template" makes one.
    const QString site = scene.home + QStringLiteral("/Web Project");
    for (const auto& [file, text] : {std::pair("index.html", "<h1>{{folder}}</h1>\n"), std::pair("css/site.css", ""),
                                     std::pair("js/main.js", ""), std::pair("README.md", "# {{folder}}\n")}) {
        QDir().mkpath(QFileInfo(site + QLatin1Char('/') + QLatin1String(file)).path());
        QFile out(site + QLatin1Char('/') + QLatin1String(file));
        if (out.open(QIODevice::WriteOnly))
            out.write(text);
    }
    TemplateImporter(scene.store).add({std::get<TemplateImporter::Candidate>(TemplateImporter::examine(site))});
    scene.store.customTemplates().last().group = QStringLiteral("Projects");
    scene.store.save();
    // Two built-ins switched off, to show the switches in both states.
    QSet<QString> enabled = scene.store.enabledBuiltIns();
    enabled.remove(QStringLiteral("10000000-0000-0000-0000-000000000004"));
    enabled.remove(QStringLiteral("10000000-0000-0000-0000-000000000008"));
    scene.store.setEnabledBuiltIns(enabled);
    return pane(scene);
}

// Selects the listed row of the template with this name, as a click would.
std::function<void(QWidget&)> selectRow(const QString& name)
{
    return [name](QWidget& window) {
        auto* list = window.findChild<QListView*>(QStringLiteral("templateList"));
        const QModelIndexList found =
            list->model()->match(list->model()->index(0, 0), Qt::DisplayRole, name, 1, Qt::MatchExactly);
        if (!found.isEmpty())
            list->setCurrentIndex(found.first());
    };
}

std::unique_ptr<QWidget> paneWithLongNames(Scene& scene)
{
    scene.store.customTemplates() = {
        {QUuid(QStringLiteral("{3F2504E0-4F89-41D3-9A0C-0305E82C3303}")),
         QStringLiteral("QuarterlyReportForTheBoardOfDirectorsWithAppendices"), QStringLiteral("md"),
         QStringLiteral("# {{folder}}\n"), false},
        {QUuid(QStringLiteral("{3F2504E0-4F89-41D3-9A0C-0305E82C3304}")),
         QStringLiteral("Minutes of the weekly planning meeting for the whole team"), QStringLiteral("txt"),
         QStringLiteral("{{date}}\n"), false},
    };
    scene.store.save();
    return pane(scene);
}

// The keyboard's way from the last built-in row into the custom section.
void arrowDownFrom(QWidget& window, const QString& name)
{
    selectRow(name)(window);
    QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QApplication::sendEvent(window.findChild<QListView*>(QStringLiteral("templateList")), &down);
}

// Imports three files of the scene's home, one of which is refused, into the pane.
void importFiles(TemplatesView& view, const QString& home)
{
    const QList<std::pair<QString, QByteArray>> files{{QStringLiteral("Weekly Report.md"), "# Week {{date}}\n"},
                                                      {QStringLiteral("Makefile"), "all:\n\tcc main.c\n"},
                                                      {QStringLiteral("logo.png"), "\x89PNG\r\n\x1a\n"}};
    QStringList paths;
    for (const auto& [name, content] : files) {
        QFile file(home + QLatin1Char('/') + name);
        if (file.open(QIODevice::WriteOnly))
            file.write(content);
        paths.append(file.fileName());
    }
    view.importFiles(paths);
}

// The summary alone, as the window it is.
std::unique_ptr<QWidget> importSummary(Scene& scene)
{
    TemplatesView view(scene.manager, scene.picker, scene.workspace);
    importFiles(view, scene.home);
    QMessageBox* summary = view.importSummary();
    summary->setAttribute(Qt::WA_DeleteOnClose, false);
    summary->setParent(nullptr, summary->windowFlags());
    return std::unique_ptr<QWidget>(summary);
}

std::unique_ptr<QWidget> editor(const FileTemplate& draft, bool isNew)
{
    auto view = std::make_unique<TemplateEditorView>(draft, isNew, [](const FileTemplate&) {});
    view->setChoices({QStringLiteral("Code"), QStringLiteral("Office")}, QStringLiteral("Untitled"));
    return view;
}

const RegisterSnapshots registered({
    {QStringLiteral("templates-nothing-selected"), paneWithCustomTemplates},
    {QStringLiteral("templates-builtin-selected"), pane, selectRow(QStringLiteral("HTML"))},
    {QStringLiteral("templates-custom-selected"), paneWithCustomTemplates, selectRow(QStringLiteral("Meeting Notes"))},
    {QStringLiteral("templates-folder-selected"), paneWithCustomTemplates, selectRow(QStringLiteral("Web Project"))},
    {QStringLiteral("templates-long-name-no-spaces"), paneWithLongNames,
     selectRow(QStringLiteral("QuarterlyReportForTheBoardOfDirectorsWithAppendices"))},
    {QStringLiteral("templates-long-name-spaces"), paneWithLongNames,
     selectRow(QStringLiteral("Minutes of the weekly planning meeting for the whole team"))},
    {QStringLiteral("templates-down-into-custom"), paneWithCustomTemplates,
     [](QWidget& window) {
         arrowDownFrom(window, QStringLiteral("CSS"));
     }},
    {QStringLiteral("templates-imported"),
     [](Scene& scene) {
         std::unique_ptr<QWidget> view = paneWithCustomTemplates(scene);
         importFiles(static_cast<TemplatesView&>(*view), scene.home);
         return view;
     }},
    {QStringLiteral("templates-import-summary"), importSummary},
    {QStringLiteral("editor-new"),
     [](Scene&) {
         return editor({QUuid::createUuid(), QStringLiteral("My Template"), QStringLiteral("txt"), QString(), false},
                       true);
     }},
    {QStringLiteral("editor-edit"),
     [](Scene&) {
         FileTemplate module = pythonModule();
         std::tie(module.baseName, module.group) =
             std::tuple(QStringLiteral("{{folder}}_module"), QStringLiteral("Code"));
         return editor(module, false);
     }},
});

} // namespace
