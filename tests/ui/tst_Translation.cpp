#include "app/AppDelegate.h"
#include "creation/FileCreationService.h"
#include "extension/MenuModel.h"
#include "support/AccessKeys.h"
#include "support/Fakes.h"
#include "support/IntegrationMachine.h"
#include "support/StoreFixture.h"
#include "ui/common/GuideWindow.h"
#include "ui/common/HomeFolderAccess.h"
#include "ui/common/Translations.h"
#include "ui/naming/NewFileNameDialog.h"

#include <QtTest>
#include <QtWidgets>

// Every window the user can see, in German: no text in it may still be an English source text that
// the translation file translates, so a text left out of the translation, or a translation that did
// not load, shows up here.
class TestTranslation : public QObject {
    Q_OBJECT

    QSet<QString> m_english{"Quintara in the file manager"}; // and the English guide's title
    RecordingSecurityScope m_scope;
    FakeWorkspace m_workspace;
    FakeFolderPicker m_picker;
    FakeFilePicker m_filePicker;
    FakeUserAccount m_account;
    FakeClock m_clock{QDateTime(QDate(2026, 12, 5), QTime(6, 46), Qt::UTC)};

private Q_SLOTS:
    void initTestCase()
    {
        const QByteArray ts = readAll(QUINTARA_TRANSLATION_FILE);
        QVERIFY2(!ts.contains("type=\"unfinished\""), "a text has no German translation yet");
        QXmlStreamReader xml(ts);
        QString source;
        while (!xml.atEnd()) {
            if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"source")
                source = xml.readElementText();
            else if (xml.isStartElement() && xml.name() == u"translation" &&
                     xml.readElementText(QXmlStreamReader::IncludeChildElements) != source)
                m_english.insert(source);
        }
        QVERIFY(m_english.size() > 50);
    }

    void windowsShowNoTranslatedEnglishText_data()
    {
        QTest::addColumn<QString>("shown");
        for (const char* shown :
             {"welcome", "welcome granted", "editButton", "addButton", "importButton", "guide", "naming"})
            QTest::newRow(shown) << shown;
        QTest::newRow("file manager menu") << "menu";
    }
    void windowsShowNoTranslatedEnglishText()
    {
        QFETCH(QString, shown);
        StoreFixture fixture;
        ConfinedFileWriter writer(m_scope);
        FileCreationService engine(fixture.store, writer);
        // Rows of every kind: a file manager with and without the menu, links that miss and reach Quintara.
        IntegrationMachine machine;
        if (shown == "welcome") {
            machine.install("nemo"), machine.install("caja"), machine.addModule("nemo");
            machine.setHandler("other.desktop");
        } else {
            machine.setHandler("app.quintara.Quintara.desktop");
        }
        QSignalSpy stateRead(&machine.probe, &IntegrationProbe::stateRead);
        AppDelegate delegate({fixture.store, fixture.manager, engine, m_scope, m_workspace, m_picker, m_filePicker,
                              m_account, m_clock, machine.probe});
        QWidget* root = nullptr;
        QStringList texts;
        if (shown.startsWith("welcome")) {
            QVERIFY(shown == "welcome" || fixture.grant());
            delegate.showWelcomeWindow();
            QTRY_VERIFY((root = delegate.welcomeWindow()));
            QVERIFY(stateRead.wait());
            root->findChild<QWidget*>("step2")->findChild<QPushButton*>("stepButton")->click();
            texts << m_picker.requests.last().title << m_picker.requests.last().prompt;
        } else if (shown == "naming") { // with a message under the field
            QVERIFY(fixture.grant());
            fixture.store.setAsksForFileName(true);
            delegate.processCreateURL("quintara://create?t=0&d=" + fixture.home.path());
            QVERIFY((root = delegate.namingWindow()));
            root->findChild<QLineEdit*>()->clear();
            root->findChild<QPushButton*>("createButton")->click();
        } else if (shown == "menu") { // built in the file manager's process, with a translator of its own
            const auto menu = MenuModel([&fixture] { return fixture.domain(); }).forAnyLocalFolder();
            QVERIFY(menu);
            texts << menu->title << MenuModel::saveAsTemplate().label;
            for (const MenuEntry& entry : menu->entries) { // "Neu: %1", and a built-in's name in German too
                const QString name = entry.label.section(": ", 1);
                texts << QString(entry.label).replace(name, "%1") << name;
            }
        } else if (shown == "guide") {
            openExtensionSettings(m_workspace);
            root = GuideWindow::present(m_workspace, {}); // the window just opened
        } else {
            fixture.storeCustom({"Memo"});
            delegate.openSettingsWindow();
            QTRY_VERIFY((root = delegate.settingsWindow()));
            auto* list = root->findChild<QListView*>("templateList");
            QTRY_COMPARE(list->model()->rowCount(), 11);
            for (int row = 0; row < 9; ++row) // the built-ins' names, which a screen reader reads too
                texts << list->model()->index(row, 0).data().toString();
            list->setCurrentIndex(list->model()->index(10, 0));
            root->findChild<QAbstractButton*>(shown)->click(); // the editor, for a change or a new template
            if (shown == "importButton") { // the picker, then the summary of one file taken and one refused
                texts << m_filePicker.requests.last().title << m_filePicker.requests.last().prompt;
                writeAll(fixture.home.path() + "/a.txt", "a");
                m_filePicker.answer({fixture.home.path() + "/a.txt", fixture.home.path() + "/gone"});
                texts << root->findChild<QMessageBox*>("importSummary")->text().split('\n');
            }
        }
        if (root) // and each access key of the window leads to one place
            QCOMPARE(sharedAccessKeys(root), QStringList());
        const QObjectList objects = root ? root->findChildren<QObject*>() << root : QObjectList();
        for (QObject* object : objects) {
            for (const char* name : {"text", "title", "windowTitle", "placeholderText", "toolTip", "documentTitle"})
                texts << object->property(name).toString();
            if (auto* tabs = qobject_cast<QTabBar*>(object))
                for (int i = 0; i < tabs->count(); ++i)
                    texts << tabs->tabText(i);
        }
        const QStringList untranslated = QSet<QString>(texts.begin(), texts.end()).intersect(m_english).values();
        QVERIFY2(untranslated.isEmpty(), qPrintable(untranslated.join(" | ")));
        if (shown == "guide")
            delete root;
    }
};

int main(int argc, char** argv)
{
    // Read when the application object is made, and by the locale from then on.
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"})
        qputenv(name, "de_DE.UTF-8");
    qputenv("LANGUAGE", "de");
    QApplication app(argc, argv);
    Translations::install();
    TestTranslation test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_Translation.moc"
