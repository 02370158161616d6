#pragma once

#include "platform/DesktopIntegrationProbe.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

// A machine in a temporary folder for the real probe: a program is an executable in bin/, a module a
// file in modules/, and xdg-mime a script that keeps the handler of quintara: links in a file and
// logs every change asked of it.
class IntegrationMachine {
public:
    IntegrationMachine()
    {
        QDir(m_dir.path()).mkpath("bin");
        install("xdg-mime", "#!/bin/sh\ncd \"$(dirname \"$0\")\"\ncase \"$*\" in\n"
                            "'query default x-scheme-handler/quintara') cat handler ;;\n"
                            "'default '*' x-scheme-handler/quintara') echo \"$2\" >handler; echo \"$*\" >>calls ;;\n"
                            "*) exit 1 ;;\nesac\n");
    }

    void install(const QString& program, const QByteArray& script = "#!/bin/sh\n")
    {
        writeExecutable(path("bin/" + program), script);
    }
    static bool writeExecutable(const QString& file, const QByteArray& content)
    {
        writeAll(file, content);
        return QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    void addModule(const QString& program) { writeAll(path("modules/" + program + ".so"), "\177ELF"); }
    void setHandler(const QByteArray& desktopEntry) { writeAll(path("bin/handler"), desktopEntry + '\n'); }
    QByteArray handlerChanges() const { return QFile::exists(path("bin/calls")) ? readAll(path("bin/calls")) : ""; }
    QString path(const QString& name) const { return m_dir.filePath(name); }

    DesktopIntegrationProbe::Locations locations() const
    {
        return {{path("bin")},
                {{FileManager::Files, path("modules/nautilus.so")},
                 {FileManager::Nemo, path("modules/nemo.so")},
                 {FileManager::Caja, path("modules/caja.so")},
                 {FileManager::Thunar, path("modules/thunar.so")},
                 {FileManager::Dolphin, path("servicemenu.desktop")}}};
    }

private:
    QTemporaryDir m_dir;

public:
    // Writes the service menu as the program does: executable.
    DesktopIntegrationProbe probe{locations(), [this] {
                                      return writeExecutable(path("servicemenu.desktop"), "[Desktop Entry]\n");
                                  }};
};

#ifdef QT_WIDGETS_LIB // for the widget tests only
#include "ui/common/SymbolView.h"

#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>

// What an integration view shows, a line for each visible row: its name, ✓ or !, its state text and
// [its button]; then its message.
inline QString shownIntegration(const QWidget& view)
{
    QStringList lines;
    for (const QWidget* row : view.findChildren<QWidget*>(QRegularExpression("Row$"))) {
        if (!row->isVisibleTo(&view))
            continue;
        QString line = row->findChild<QLabel*>("integrationName")->text() +
                       (row->findChild<SymbolView*>()->symbol().startsWith("checkmark") ? " ✓" : " !");
        if (const QLabel* state = row->findChild<QLabel*>("integrationState"); state->isVisibleTo(&view))
            line += ' ' + state->text();
        if (const QPushButton* button = row->findChild<QPushButton*>(); button->isVisibleTo(&view))
            line += " [" + QString(button->text()).remove('&') + ']';
        lines.append(line);
    }
    if (const QLabel* message = view.findChild<QLabel*>("integrationMessage"); message->isVisibleTo(&view))
        lines.append(message->text());
    return lines.join(" / ");
}
#endif
