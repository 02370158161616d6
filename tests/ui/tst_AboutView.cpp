#include "app/BundleInfo.h"
#include "support/Fakes.h"
#include "ui/settings/AboutView.h"

#include <QtTest>
#include <QtWidgets>

class TestAboutView : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void showsThisBuildAndTheClocksYear()
    {
        FakeWorkspace workspace;
        const FakeClock clock(QDateTime(QDate(1999, 12, 31), QTime(23, 0), Qt::UTC));
        AboutView view(BundleInfo::dictionary(), clock, workspace);
        view.show();
        QCOMPARE(view.findChild<QLabel*>(QStringLiteral("versionLabel"))->text(),
                 QStringLiteral("Version " QUINTARA_VERSION " (" QUINTARA_BUILD_NUMBER ")"));
        QCOMPARE(view.findChild<QLabel*>(QStringLiteral("copyrightLabel"))->text(),
                 QStringLiteral("© 1999 Quintara. All rights reserved."));
        // The links open the maker's pages.
        for (const char* link : {"supportLink", "privacyLink"})
            QTest::mouseClick(view.findChild<QAbstractButton*>(link), Qt::LeftButton);
        QCOMPARE(workspace.opened,
                 (QList<QUrl>{QUrl("https://quintara.app/support"), QUrl("https://quintara.app/privacy")}));
    }
};

QTEST_MAIN(TestAboutView)
#include "tst_AboutView.moc"
