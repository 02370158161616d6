#include "platform/SettingsDomain.h"
#include "store/TemplateManager.h"
#include "store/TemplateStore.h"
#include "support/Fakes.h"
#include "support/LogCapture.h"
#include "support/TestEnvironment.h"
#include "ui/common/FolderPicker.h"
#include "ui/settings/GeneralSettingsView.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QTest>
#include <QTimer>

namespace {

// Keeps the open request until the test answers it as the user would.
void flushEventLoop()
{
    bool flushed = false;
    QTimer::singleShot(0, [&flushed] { flushed = true; });
    QTRY_VERIFY(flushed);
}

// Types as a keyboard would, one key per character, including characters no key of the test keyboard has.
void type(QWidget* widget, const QString& text)
{
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

QString example(const QString& first, const QString& second)
{
    return QStringLiteral("Files will be named \"%1\", then \"%2\", and so on.").arg(first, second);
}

const QString untitledExample = example(QStringLiteral("Untitled.ext"), QStringLiteral("Untitled 2.ext"));
const QStringList requiredForm = {"Folder access required",
                                  "Grant access to your home folder so the Finder extension can create files. You "
                                  "will be shown a folder picker — select your Home folder and click Grant Access.",
                                  "Grant Folder Access…"};
const QStringList grantedForm = {"Folder access granted",
                                 "The extension can create files in your selected folder and all subfolders.",
                                 "Update Access…"};

} // namespace

class TestGeneralSettingsView : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void showingLoadsAndStoresTheName_data();
    void showingLoadsAndStoresTheName();
    void typingStoresTheTrimmedName_data();
    void typingStoresTheTrimmedName();
    void returnStoresTheFieldAgain();
    void folderAccessFollowsThePick_data();
    void folderAccessFollowsThePick();
    void reloadsWhenShownButNotOnActivation();
    void openExtensionSettingsOpensTheExtensionGuide();
    void formFitsTheTabAndNumbersLineUp();

private:
    QLineEdit* field() const { return m_view->findChild<QLineEdit*>(QStringLiteral("baseNameField")); }
    QString text(const QString& name) const { return m_view->findChild<QLabel*>(name)->text(); }
    std::optional<QString> storedName() const { return SettingsDomain(m_file).text(QStringLiteral("defaultBaseName")); }
    // Title, caption and button of each Folder Access form that is showing; one should be.
    QStringList accessForm() const
    {
        QStringList shown;
        for (const char* name : {"accessGrantedForm", "accessRequiredForm"}) {
            const auto* form = m_view->findChild<QWidget*>(name);
            if (form->isVisibleTo(m_view.get()))
                shown << form->findChild<QLabel*>("accessTitle")->text()
                      << form->findChild<QLabel*>("accessCaption")->text() << form->findChild<QPushButton*>()->text();
        }
        return shown;
    }

    std::unique_ptr<TemporaryHome> m_home;
    QString m_file;
    std::unique_ptr<TemplateStore> m_store;
    std::unique_ptr<TemplateManager> m_manager;
    FakeFolderPicker m_picker;
    FakeWorkspace m_workspace;
    FakeUserAccount m_account;
    std::unique_ptr<GeneralSettingsView> m_view;
};

void TestGeneralSettingsView::init()
{
    m_home = std::make_unique<TemporaryHome>();
    m_file = m_home->configHome() + QStringLiteral("/suite.json");
    m_store = std::make_unique<TemplateStore>([path = m_file] { return SettingsDomain(path); });
    m_manager = std::make_unique<TemplateManager>(*m_store);
    m_workspace.opened.clear();
    m_view = std::make_unique<GeneralSettingsView>(*m_manager, m_picker, m_workspace, m_account);
    m_view->resize(620, 460);
    QDir().mkpath(m_home->path() + QStringLiteral("/other"));
}

void TestGeneralSettingsView::cleanup()
{
    m_view.reset();
    m_manager.reset();
    m_store.reset();
    m_home.reset();
}

void TestGeneralSettingsView::showingLoadsAndStoresTheName_data()
{
    QTest::addColumn<std::optional<QString>>("stored");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<std::optional<QString>>("storedAfter");
    QTest::addColumn<QString>("example");

    QTest::newRow("nothing") << std::optional<QString>() << "Untitled" << std::optional<QString>("Untitled")
                             << untitledExample;
    QTest::newRow("empty") << std::optional<QString>("") << "" << std::optional<QString>("") << untitledExample;
    QTest::newRow("spaces around") << std::optional<QString>("\tMemo\u00A0") << "\tMemo\u00A0"
                                   << std::optional<QString>("Memo")
                                   << example("\tMemo\u00A0.ext", "\tMemo\u00A0 2.ext");
}

void TestGeneralSettingsView::showingLoadsAndStoresTheName()
{
    QFETCH(std::optional<QString>, stored);
    QFETCH(QString, shown);
    QFETCH(std::optional<QString>, storedAfter);
    QFETCH(QString, example);
    if (stored)
        m_store->setDefaultBaseName(*stored);
    QCOMPARE(m_view->baseName(), QString()); // created empty, loaded only on coming on screen
    m_view->show();
    QCOMPARE(m_view->baseName(), shown);
    QCOMPARE(field()->text(), shown);
    QCOMPARE(text(QStringLiteral("namingExample")), example);
    QCOMPARE(storedName(), storedAfter);
}

void TestGeneralSettingsView::typingStoresTheTrimmedName_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("example");

    QTest::newRow("plain") << "Report"
                           << "Report"
                           << "Files will be named \"Report.ext\", then \"Report 2.ext\", and so on.";
    QTest::newRow("spaces around") << "  Notes  "
                                   << "Notes" << example("  Notes  .ext", "  Notes   2.ext");
    QTest::newRow("other space separators") << "\u3000Notes\u00A0"
                                            << "Notes" << example("\u3000Notes\u00A0.ext", "\u3000Notes\u00A0 2.ext");
    QTest::newRow("line separator is no space") << "Notes\u2028"
                                                << "Notes\u2028" << example("Notes\u2028.ext", "Notes\u2028 2.ext");
    QTest::newRow("only spaces") << "   "
                                 << "Untitled" << example("   .ext", "    2.ext");
    QTest::newRow("cleared") << ""
                             << "Untitled" << untitledExample;
}

void TestGeneralSettingsView::typingStoresTheTrimmedName()
{
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    QFETCH(QString, example);
    m_view->show();
    field()->selectAll();
    QTest::keyClick(field(), Qt::Key_Backspace);
    type(field(), typed);
    QCOMPARE(field()->text(), typed);
    QCOMPARE(text(QStringLiteral("namingExample")), example);
    QCOMPARE(storedName(), stored);
}

void TestGeneralSettingsView::returnStoresTheFieldAgain()
{
    m_view->show();
    type(field(), QStringLiteral(" 2"));
    m_store->setDefaultBaseName(QStringLiteral("Changed elsewhere"));
    QTest::keyClick(field(), Qt::Key_Return);
    QCOMPARE(storedName(), QStringLiteral("Untitled 2"));
}

void TestGeneralSettingsView::folderAccessFollowsThePick_data()
{
    QTest::addColumn<bool>("earlierGrant");
    QTest::addColumn<QString>("picked");
    QTest::addColumn<bool>("granted");

    QTest::newRow("grant") << false << "other" << true;
    QTest::newRow("grant a missing folder") << false << "missing" << false;
    QTest::newRow("update") << true << "other" << true;
    QTest::newRow("update to a missing folder") << true << "missing" << false;
}

void TestGeneralSettingsView::folderAccessFollowsThePick()
{
    QFETCH(bool, earlierGrant);
    QFETCH(QString, picked);
    QFETCH(bool, granted);
    if (earlierGrant)
        QVERIFY(m_store->saveHomeFolderBookmark(QUrl::fromLocalFile(m_home->path())));
    m_view->show();
    QCOMPARE(m_view->hasAccess(), earlierGrant);
    QCOMPARE(accessForm(), earlierGrant ? grantedForm : requiredForm);

    m_view->findChild<QPushButton*>(earlierGrant ? "updateAccessButton" : "grantAccessButton")->click();
    LogCapture log;
    const QString folder = m_home->path() + QLatin1Char('/') + picked;
    m_picker.answer(folder);
    flushEventLoop();
    QCOMPARE(m_view->hasAccess(), granted);
    QCOMPARE(accessForm(), granted ? grantedForm : requiredForm);
    QCOMPARE(log.lines().size(), granted ? 0 : 2); // the store's line, then the pane's
    if (!granted)
        QCOMPARE(log.lines().last(), QStringLiteral("[QNT] Bookmark save failed for url: ") + folder);
    // Green for granted, orange for required.
    const auto* form = m_view->findChild<QWidget*>(granted ? "accessGrantedForm" : "accessRequiredForm");
    const QColor colour = form->findChild<QLabel*>("accessTitle")->palette().color(QPalette::WindowText);
    QVERIFY(granted ? colour.green() > std::max(colour.red(), colour.blue())
                    : colour.red() > colour.green() && colour.green() > colour.blue());
}

void TestGeneralSettingsView::reloadsWhenShownButNotOnActivation()
{
    m_view->show();
    QVERIFY(m_store->saveHomeFolderBookmark(QUrl::fromLocalFile(m_home->path())));
    m_store->setDefaultBaseName(QStringLiteral("Memo"));
    Q_EMIT qApp->applicationStateChanged(Qt::ApplicationActive);
    QCOMPARE(std::pair(m_view->hasAccess(), m_view->baseName()), std::pair(false, QStringLiteral("Untitled")));
    m_view->hide();
    m_view->show();
    QCOMPARE(std::pair(m_view->hasAccess(), m_view->baseName()), std::pair(true, QStringLiteral("Memo")));
    QCOMPARE(accessForm(), grantedForm);
}

void TestGeneralSettingsView::openExtensionSettingsOpensTheExtensionGuide()
{
    m_view->show();
    m_view->findChild<QPushButton*>(QStringLiteral("openExtensionSettingsButton"))->click();
    QCOMPARE(m_workspace.opened, QList<QUrl>{QUrl::fromLocalFile(QStringLiteral(QUINTARA_EXTENSION_GUIDE))});
}

void TestGeneralSettingsView::formFitsTheTabAndNumbersLineUp()
{
    m_view->show();
    const auto* scroll = m_view->findChild<QScrollArea*>(QStringLiteral("generalScrollArea"));
    QVERIFY(scroll->widget()->minimumSizeHint().width() <= scroll->viewport()->width());
    QCOMPARE(scroll->widget()->width(), scroll->viewport()->width());
    for (const int width : {620, 380}) {
        m_view->resize(width, 460);
        QApplication::processEvents();
        QList<QRect> numbers, texts;
        for (int step = 1; step <= 4; ++step) {
            auto geometry = [&](const QString& name) {
                const auto* label = m_view->findChild<QLabel*>(name + QString::number(step));
                return QRect(label->mapTo(scroll->widget(), QPoint()), label->size());
            };
            numbers.append(geometry(QStringLiteral("stepNumber")));
            texts.append(geometry(QStringLiteral("stepText")));
            QCOMPARE(numbers.last().width(), 16);
            QCOMPARE(numbers.last().right(), numbers.first().right());
            QCOMPARE(texts.last().left(), texts.first().left());
            QVERIFY(texts.last().left() > numbers.last().right());
            QVERIFY(texts.last().right() < scroll->viewport()->width());
        }
        // The long last step wraps under its own column once the tab is narrow.
        QCOMPARE(texts.last().height() > numbers.last().height() * 3 / 2, width < 620);
    }
}

QTEST_MAIN(TestGeneralSettingsView)
#include "tst_GeneralSettingsView.moc"
