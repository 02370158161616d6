#include "ui/common/Symbols.h"

#include <QtTest>

// The compiled-in artwork: every icon draws at the size asked for, neither blank nor a filled
// square, and a symbol carries nothing but the colour it was tinted with.
class TestSymbols : public QObject {
    Q_OBJECT

private Q_SLOTS:
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

QTEST_MAIN(TestSymbols)
#include "tst_Symbols.moc"
