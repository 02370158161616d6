#include "support/TestEnvironment.h"
#include "ui/common/HomeFolderAccess.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

// Where the program finds the guide that "Open Extension Settings" shows, in each layout it runs
// from; the guide is looked up beside the program, never in the working folder.
class TestExtensionGuide : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void foundBesideTheProgram_data();
    void foundBesideTheProgram();
    void guideTellsHowToInstallRestartAndCheckTheScheme();
};

void TestExtensionGuide::foundBesideTheProgram_data()
{
    QTest::addColumn<QString>("programFolder"); // inside a temporary prefix
    QTest::addColumn<QString>("guide");         // where the guide is put; empty = nowhere
    QTest::addColumn<bool>("found");

    const QString installed = QStringLiteral("share/quintara/extension-guide.html");
    QTest::newRow("build tree") << "bin" << installed << true;
    QTest::newRow("installed, private program folder") << "libexec/quintara" << installed << true;
    QTest::newRow("no guide") << "libexec/quintara" << QString() << false;
    QTest::newRow("guide of another program") << "bin" << QStringLiteral("share/other/extension-guide.html") << false;
    QTest::newRow("a folder where the guide should be") << "bin" << installed + QStringLiteral("/") << false;
}

void TestExtensionGuide::foundBesideTheProgram()
{
    QFETCH(QString, programFolder);
    QFETCH(QString, guide);
    QFETCH(bool, found);
    QTemporaryDir prefix;
    QVERIFY(QDir(prefix.path()).mkpath(programFolder));
    if (guide.endsWith(QLatin1Char('/')))
        QVERIFY(QDir(prefix.path()).mkpath(guide));
    else if (!guide.isEmpty())
        writeAll(prefix.filePath(guide), "<html></html>");

    const QUrl url = extensionGuideUrl(prefix.filePath(programFolder));
    QCOMPARE(url, found ? QUrl::fromLocalFile(prefix.filePath(guide)) : QUrl());
}

void TestExtensionGuide::guideTellsHowToInstallRestartAndCheckTheScheme()
{
    const QByteArray text = readAll(QStringLiteral(QUINTARA_EXTENSION_GUIDE));
    for (const char* command : {"cmake --install", "nautilus -q", "xdg-mime query default x-scheme-handler/quintara",
                                "gio mime x-scheme-handler/quintara"})
        QVERIFY2(text.contains(command), command);
}

QTEST_GUILESS_MAIN(TestExtensionGuide)
#include "tst_ExtensionGuide.moc"
