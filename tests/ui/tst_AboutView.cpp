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
        QCOMPARE(view.findChild<QLabel*>("versionLabel")->text() + " | " +
                     view.findChild<QLabel*>("copyrightLabel")->text(),
                 "Version " QUINTARA_VERSION " (" QUINTARA_BUILD_NUMBER ") | © 1999 Quintara. All rights reserved.");
        QTest::mouseClick(view.findChild<QAbstractButton*>("supportLink"), Qt::LeftButton);
        QTest::mouseClick(view.findChild<QAbstractButton*>("privacyLink"), Qt::LeftButton);
        QCOMPARE(workspace.opened,
                 (QList<QUrl>{QUrl("https://quintara.app/support"), QUrl("https://quintara.app/privacy")}));
    }

    // Every icon draws at the size asked for, neither blank nor a filled square, and a symbol carries
    // nothing but the colour it was tinted with, alpha included; an unknown name draws nothing.
    void rendersEveryIcon()
    {
        for (const char* name : {"checkmark", "checkmark.circle.fill", "exclamationmark.triangle.fill",
                                 "exclamationmark.triangle", "doc.on.doc.fill", "gearshape.fill", "info.circle.fill",
                                 "plus", "minus", "doc.text.magnifyingglass", "envelope", "lock.shield", ""}) {
            const bool app = !*name; // the empty name: the application icon
            const QPixmap pixmap = app ? Symbols::applicationPixmap(24, 2.0) : Symbols::pixmap(name, Qt::red, 24, 2.0);
            QCOMPARE(std::pair(pixmap.size(), pixmap.deviceIndependentSize()),
                     std::pair(QSize(48, 48), QSizeF(24, 24)));
            const QImage image = pixmap.toImage();
            int opaque = 0, offColour = 0;
            for (int i = 0; i < 48 * 48; ++i) {
                const QColor pixel = image.pixelColor(i % 48, i / 48);
                opaque += pixel.alpha() >= 128;
                offColour += pixel.alpha() >= 128 && (pixel.red() < 240 || pixel.green() > 15 || pixel.blue() > 15);
            }
            const double cover = opaque / (48.0 * 48);
            QVERIFY2(cover >= (app ? 0.5 : 0.05) && cover <= (app ? 0.95 : 0.9) && (app || offColour == 0), name);
        }
        QCOMPARE(Symbols::pixmap("minus", QColor(0, 0, 255, 100), 24).toImage().pixelColor(12, 12),
                 QColor(0, 0, 255, 100));
        QVERIFY(Symbols::pixmap("no.such.symbol", Qt::black, 20).isNull());
        QVERIFY(Symbols::icon("no.such.symbol", Qt::black).isNull() && !Symbols::applicationIcon().isNull());
    }
};

QTEST_MAIN(TestAboutView)
#include "tst_AboutView.moc"
