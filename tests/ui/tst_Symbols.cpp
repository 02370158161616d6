#include "ui/common/Symbols.h"

#include <QImage>
#include <QTest>

// Renders the compiled-in artwork: every icon must draw at the size asked for, be neither blank nor a
// filled square, and a symbol must carry nothing but the colour it was tinted with.
class tst_Symbols : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void rendersEveryIcon_data();
    void rendersEveryIcon();
    void appliesTheColoursAlpha();
    void honoursDevicePixelRatio();
    void unknownNameGivesNothing();
};

void tst_Symbols::rendersEveryIcon_data()
{
    QTest::addColumn<QString>("name"); // empty for the application icon
    QTest::addColumn<double>("minCover");
    QTest::addColumn<double>("maxCover");
    for (const char* name : {"checkmark", "checkmark.circle.fill", "exclamationmark.triangle.fill",
                             "exclamationmark.triangle", "doc.on.doc.fill", "gearshape.fill", "info.circle.fill",
                             "plus", "minus", "doc.text.magnifyingglass", "envelope", "lock.shield"}) {
        QTest::newRow(name) << QString::fromLatin1(name) << 0.05 << 0.9;
    }
    QTest::newRow("application icon") << QString() << 0.5 << 0.95;
}

void tst_Symbols::rendersEveryIcon()
{
    QFETCH(QString, name);
    QFETCH(double, minCover);
    QFETCH(double, maxCover);
    const int size = 48;
    const QPixmap pixmap = name.isEmpty() ? Symbols::applicationPixmap(size) : Symbols::pixmap(name, Qt::red, size);
    QVERIFY(!pixmap.isNull());
    QCOMPARE(pixmap.size(), QSize(size, size));

    const QImage image = pixmap.toImage();
    int opaque = 0;
    int offColour = 0;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (pixel.alpha() < 128) {
                continue;
            }
            ++opaque;
            if (pixel.red() < 240 || pixel.green() > 15 || pixel.blue() > 15) {
                ++offColour;
            }
        }
    }
    const double cover = double(opaque) / (size * size);
    QVERIFY2(cover >= minCover && cover <= maxCover, qPrintable(QStringLiteral("cover %1").arg(cover)));
    if (!name.isEmpty()) {
        QCOMPARE(offColour, 0);
    }
}

void tst_Symbols::appliesTheColoursAlpha()
{
    const QImage image = Symbols::pixmap(QStringLiteral("minus"), QColor(0, 0, 255, 100), 24).toImage();
    QCOMPARE(image.pixelColor(12, 12), QColor(0, 0, 255, 100));
}

void tst_Symbols::honoursDevicePixelRatio()
{
    for (const QPixmap& pixmap :
         {Symbols::pixmap(QStringLiteral("gearshape.fill"), Qt::black, 20, 2.0), Symbols::applicationPixmap(20, 2.0)}) {
        QCOMPARE(pixmap.size(), QSize(40, 40));
        QCOMPARE(pixmap.devicePixelRatio(), 2.0);
        QCOMPARE(pixmap.deviceIndependentSize(), QSizeF(20, 20));
    }
}

void tst_Symbols::unknownNameGivesNothing()
{
    QVERIFY(Symbols::pixmap(QStringLiteral("no.such.symbol"), Qt::black, 20).isNull());
    QVERIFY(Symbols::icon(QStringLiteral("no.such.symbol"), Qt::black).isNull());
    QVERIFY(!Symbols::icon(QStringLiteral("plus"), Qt::black).isNull());
    QVERIFY(!Symbols::applicationIcon().isNull());
}

QTEST_MAIN(tst_Symbols)
#include "tst_Symbols.moc"
