#include "model/BundleInfo.h"
#include "model/Version.h"
#include "support/Fakes.h"
#include "ui/common/Symbols.h"
#include "ui/settings/AboutView.h"

#include <QtTest>
#include <QtWidgets>

// The About pane, and the compiled-in artwork it and the other windows show.
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

    // The compiled-in artwork: every icon draws at the size asked for, neither blank nor a filled
    // square, and a symbol carries nothing but the colour it was tinted with.
    void rendersEveryIcon_data()
    {
        QTest::addColumn<QString>("name"); // empty for the application icon
        for (const char* name : {"checkmark", "checkmark.circle.fill", "exclamationmark.triangle.fill",
                                 "exclamationmark.triangle", "doc.on.doc.fill", "gearshape.fill", "info.circle.fill",
                                 "plus", "minus", "doc.text.magnifyingglass", "envelope", "lock.shield"})
            QTest::newRow(name) << QString::fromLatin1(name);
        QTest::newRow("application icon") << QString();
    }
    void rendersEveryIcon()
    {
        QFETCH(QString, name);
        const QPixmap pixmap =
            name.isEmpty() ? Symbols::applicationPixmap(24, 2.0) : Symbols::pixmap(name, Qt::red, 24, 2.0);
        QCOMPARE(pixmap.size(), QSize(48, 48));
        QCOMPARE(pixmap.deviceIndependentSize(), QSizeF(24, 24));
        const QImage image = pixmap.toImage();
        int opaque = 0;
        int offColour = 0;
        for (int i = 0; i < 48 * 48; ++i) {
            const QColor pixel = image.pixelColor(i % 48, i / 48);
            opaque += pixel.alpha() >= 128;
            offColour += pixel.alpha() >= 128 && (pixel.red() < 240 || pixel.green() > 15 || pixel.blue() > 15);
        }
        const double cover = double(opaque) / (48 * 48);
        QVERIFY2(cover >= (name.isEmpty() ? 0.5 : 0.05) && cover <= (name.isEmpty() ? 0.95 : 0.9),
                 qPrintable(QString::number(cover)));
        QVERIFY(name.isEmpty() || offColour == 0);
    }

    void appliesTheColoursAlphaAndKnowsNoOtherNames()
    {
        QCOMPARE(Symbols::pixmap(QStringLiteral("minus"), QColor(0, 0, 255, 100), 24).toImage().pixelColor(12, 12),
                 QColor(0, 0, 255, 100));
        QVERIFY(Symbols::pixmap(QStringLiteral("no.such.symbol"), Qt::black, 20).isNull());
        QVERIFY(Symbols::icon(QStringLiteral("no.such.symbol"), Qt::black).isNull());
        QVERIFY(!Symbols::applicationIcon().isNull());
    }
};

QTEST_MAIN(TestAboutView)
#include "tst_AboutView.moc"
