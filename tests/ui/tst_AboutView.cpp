#include "model/BundleInfo.h"
#include "model/Version.h"
#include "support/Fakes.h"
#include "ui/settings/AboutView.h"

#include <QAbstractButton>
#include <QLabel>
#include <QTest>

class TestAboutView : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void versionLineFallsBackPerKey_data();
    void versionLineFallsBackPerKey();
    void copyrightShowsTheClocksYear_data();
    void copyrightShowsTheClocksYear();
    void linksOpenTheMakersPages_data();
    void linksOpenTheMakersPages();
    void blockSitsMidwayAboveTheCopyright();

private:
    FakeWorkspace m_workspace;
};

void TestAboutView::versionLineFallsBackPerKey_data()
{
    QTest::addColumn<QVariantMap>("info");
    QTest::addColumn<QString>("line");
    const QString shortKey = QStringLiteral("CFBundleShortVersionString");
    const QString buildKey = QStringLiteral("CFBundleVersion");

    QTest::newRow("both") << QVariantMap{{shortKey, "2.1"}, {buildKey, "7"}} << "Version 2.1 (7)";
    QTest::newRow("none") << QVariantMap() << "Version 1.0 (1)";
    QTest::newRow("no build") << QVariantMap{{shortKey, "2.1"}} << "Version 2.1 (1)";
    QTest::newRow("no short version") << QVariantMap{{buildKey, "7"}} << "Version 1.0 (7)";
    QTest::newRow("not text") << QVariantMap{{shortKey, 2.1}, {buildKey, QByteArray("7")}} << "Version 1.0 (1)";
    QTest::newRow("empty text is text") << QVariantMap{{shortKey, ""}, {buildKey, ""}} << "Version  ()";
    QTest::newRow("this build") << BundleInfo::dictionary()
                                << QStringLiteral("Version " QUINTARA_VERSION " (" QUINTARA_BUILD_NUMBER ")");
}

void TestAboutView::versionLineFallsBackPerKey()
{
    QFETCH(QVariantMap, info);
    QFETCH(QString, line);
    const FakeClock clock(QDateTime(QDate(2026, 3, 1), QTime(12, 0)));
    const AboutView view(info, clock, m_workspace);
    QCOMPARE(view.findChild<QLabel*>(QStringLiteral("versionLabel"))->text(), line);
}

void TestAboutView::copyrightShowsTheClocksYear_data()
{
    QTest::addColumn<int>("year");
    QTest::addColumn<QString>("line");
    QTest::newRow("2026") << 2026 << "© 2026 Quintara. All rights reserved.";
    QTest::newRow("1999") << 1999 << "© 1999 Quintara. All rights reserved.";
}

void TestAboutView::copyrightShowsTheClocksYear()
{
    QFETCH(int, year);
    QFETCH(QString, line);
    const FakeClock clock(QDateTime(QDate(year, 12, 31), QTime(23, 0), Qt::UTC));
    AboutView view(QVariantMap(), clock, m_workspace);
    view.show();
    QCOMPARE(view.findChild<QLabel*>(QStringLiteral("copyrightLabel"))->text(), line);
}

void TestAboutView::linksOpenTheMakersPages_data()
{
    QTest::addColumn<QString>("link");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QUrl>("page");
    QTest::newRow("support") << "supportLink"
                             << "Support" << QUrl("https://quintara.app/support");
    QTest::newRow("privacy") << "privacyLink"
                             << "Privacy Policy" << QUrl("https://quintara.app/privacy");
}

void TestAboutView::linksOpenTheMakersPages()
{
    QFETCH(QString, link);
    QFETCH(QString, title);
    QFETCH(QUrl, page);
    m_workspace.opened.clear();
    const FakeClock clock(QDateTime::currentDateTimeUtc());
    AboutView view(QVariantMap(), clock, m_workspace);
    view.show();
    auto* button = view.findChild<QAbstractButton*>(link);
    QCOMPARE(button->text(), title);
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(m_workspace.opened, QList<QUrl>{page});
}

void TestAboutView::blockSitsMidwayAboveTheCopyright()
{
    const FakeClock clock(QDateTime::currentDateTimeUtc());
    AboutView view(QVariantMap(), clock, m_workspace);
    view.resize(620, 460);
    view.show();
    auto geometry = [&view](const char* name) {
        return view.findChild<QWidget*>(name)->geometry();
    };
    const QRect icon = geometry("applicationIcon");
    const QRect copyright = geometry("copyrightLabel");
    QCOMPARE(icon.size(), QSize(96, 96));
    QCOMPARE(icon.center().x(), view.rect().center().x());
    QVERIFY(qAbs(icon.top() - (copyright.top() - geometry("privacyLink").bottom() - 1)) <= 1);
    QCOMPARE(view.height() - copyright.bottom() - 1, 16);
    QCOMPARE(geometry("taglineLabel").width(), 320);
    QCOMPARE(geometry("supportLink").top() + geometry("supportLink").height() / 2,
             geometry("privacyLink").top() + geometry("privacyLink").height() / 2);
}

QTEST_MAIN(TestAboutView)
#include "tst_AboutView.moc"
