#include "app/AppDelegate.h"
#include "creation/FileCreationService.h"
#include "support/Fakes.h"
#include "support/StoreFixture.h"
#include "ui/common/HomeFolderAccess.h"
#include "ui/common/Translations.h"

#include <QtTest>
#include <QtWidgets>

// Every window the user can see, in German: no text in it may still be an English source text that
// the translation file translates, so a text left out of the translation, or a translation that did
// not load, shows up here.
class TestTranslation : public QObject {
    Q_OBJECT

    std::optional<StoreFixture> m_fixture;
    RecordingSecurityScope m_scope;
    FakeWorkspace m_workspace;
    FakeFolderPicker m_picker;
    FakeUserAccount m_account;
    FakeClock m_clock{QDateTime(QDate(2026, 12, 5), QTime(6, 46), Qt::UTC)};

    static QWidget* window(const QString& name)
    {
        const QWidgetList all = QApplication::topLevelWidgets();
        const auto found = std::find_if(all.begin(), all.end(), [&](QWidget* w) { return w->objectName() == name; });
        return found == all.end() ? nullptr : *found;
    }
    static QStringList textsOf(QWidget* root)
    {
        QStringList texts;
        const QObjectList objects = root->findChildren<QObject*>() << root;
        for (QObject* object : objects) {
            for (const char* name : {"text", "title", "windowTitle", "placeholderText", "toolTip", "documentTitle"})
                texts << object->property(name).toString();
            if (auto* tabs = qobject_cast<QTabBar*>(object))
                for (int i = 0; i < tabs->count(); ++i)
                    texts << tabs->tabText(i);
        }
        return texts;
    }

private Q_SLOTS:
    void windowsShowNoTranslatedEnglishText_data()
    {
        QTest::addColumn<QString>("shown");
        for (const char* shown : {"welcome", "welcome granted", "editing a template", "adding a template", "guide"})
            QTest::newRow(shown) << shown;
    }
    void windowsShowNoTranslatedEnglishText()
    {
        QFETCH(QString, shown);
        // Source texts whose German differs from them, and the English guide's title.
        QFile file(QUINTARA_TRANSLATION_FILE);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString ts = QString::fromUtf8(file.readAll());
        QVERIFY2(!ts.contains("type=\"unfinished\""), "a text has no German translation yet");
        QSet<QString> english{"Quintara in the file manager"};
        QXmlStreamReader xml(ts);
        QString source;
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            if (xml.name() == u"source")
                source = xml.readElementText();
            else if (xml.name() == u"translation" && xml.readElementText() != source)
                english.insert(source);
        }
        QVERIFY(english.size() > 50);

        m_fixture.emplace();
        ConfinedFileWriter writer(m_scope);
        FileCreationService engine(m_fixture->store, writer);
        AppDelegate delegate(
            {m_fixture->store, m_fixture->manager, engine, m_scope, m_workspace, m_picker, m_account, m_clock});
        QWidget* root = nullptr;
        QStringList texts;
        if (shown.startsWith("welcome")) {
            QVERIFY(shown == "welcome" || m_fixture->grant());
            delegate.showWelcomeWindow();
            QTRY_VERIFY((root = window("welcomeWindow")));
            root->findChild<QWidget*>("step2")->findChild<QPushButton*>("stepButton")->click();
            const FolderPicker::Request& request = m_picker.requests.last();
            texts << request.title << request.message << request.prompt;
        } else if (shown == "guide") {
            openExtensionSettings(m_workspace);
            QVERIFY((root = window("guideWindow")));
        } else {
            m_fixture->storeCustom({"Memo"});
            delegate.openSettingsWindow();
            QTRY_VERIFY((root = window("settingsWindow")));
            auto* list = root->findChild<QTreeWidget*>("templateList");
            QTRY_VERIFY(list->topLevelItemCount() == 2);
            list->setCurrentItem(list->topLevelItem(1)->child(0));
            root->findChild<QAbstractButton*>(shown == "editing a template" ? "editButton" : "addButton")->click();
        }
        texts << textsOf(root);
        const QStringList untranslated = QSet<QString>(texts.begin(), texts.end()).intersect(english).values();
        QVERIFY2(untranslated.isEmpty(), qPrintable(untranslated.join(" | ")));
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
