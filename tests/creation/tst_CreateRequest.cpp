#include "creation/CreateRequest.h"

#include <QTest>

class TestCreateRequest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void parses_data();
    void parses();
};

void TestCreateRequest::parses_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<qint64>("index");
    QTest::addColumn<QString>("directory");

    const QString notes = QStringLiteral("/home/me/Notes");
    QTest::newRow("plain") << "quintara://create?t=0&d=/home/me/Notes" << true << qint64(0) << notes;
    QTest::newRow("items in the other order, extras ignored")
        << "quintara://create?x=1&d=/home/me/Notes&t=2" << true << qint64(2) << notes;
    QTest::newRow("first of two t") << "quintara://create?t=3&t=1&d=/home/me/Notes" << true << qint64(3) << notes;
    QTest::newRow("plus sign") << "quintara://create?t=+1&d=/home/me/Notes" << true << qint64(1) << notes;
    QTest::newRow("leading zero") << "quintara://create?t=01&d=/home/me/Notes" << true << qint64(1) << notes;
    QTest::newRow("negative passes parsing") << "quintara://create?t=-1&d=/x" << true << qint64(-1) << "/x";
    QTest::newRow("largest index") << "quintara://create?t=9223372036854775807&d=/x" << true
                                   << qint64(9223372036854775807LL) << "/x";
    QTest::newRow("smallest index") << "quintara://create?t=-9223372036854775808&d=/x" << true
                                    << std::numeric_limits<qint64>::min() << "/x";
    QTest::newRow("percent-decoded folder")
        << "quintara://create?t=2&d=/Users/me/My%20Projects" << true << qint64(2) << "/Users/me/My Projects";
    QTest::newRow("plus stays plus, reserved characters arrive")
        << "quintara://create?t=0&d=/a+b/%23%3F%26%25/caf%C3%A9" << true << qint64(0) << "/a+b/#?&%/caf\u00e9";
    QTest::newRow("encoded item name") << "quintara://create?%74=4&d=/x" << true << qint64(4) << "/x";
    QTest::newRow("empty folder is not rejected here") << "quintara://create?t=0&d=" << true << qint64(0) << "";
    QTest::newRow("path and fragment ignored")
        << "quintara://create/some/path?t=5&d=/x#frag" << true << qint64(5) << "/x";

    QTest::newRow("other host") << "quintara://open?t=0&d=/x" << false << qint64(0) << "";
    QTest::newRow("no host") << "quintara:create?t=0&d=/x" << false << qint64(0) << "";
    QTest::newRow("other scheme") << "quintaria://create?t=0&d=/x" << false << qint64(0) << "";
    QTest::newRow("scheme in another case") << "Quintara://create?t=0&d=/x" << false << qint64(0) << "";
    QTest::newRow("folder without value") << "quintara://create?t=0&d" << false << qint64(0) << "";
    QTest::newRow("no folder") << "quintara://create?t=0" << false << qint64(0) << "";
    QTest::newRow("no index") << "quintara://create?d=/x" << false << qint64(0) << "";
    QTest::newRow("index without value") << "quintara://create?t&d=/x" << false << qint64(0) << "";
    const char* badIndexes[] = {"",
                                "1.0",
                                "abc",
                                "+",
                                "-",
                                "%201",
                                "1%20",
                                "9223372036854775808",
                                "-9223372036854775809",
                                "0x1",
                                "%EF%BC%91" /* fullwidth digit one */,
                                "++1"};
    for (const char* bad : badIndexes)
        QTest::addRow("index '%s'", bad) << QStringLiteral("quintara://create?t=%1&d=/x").arg(QLatin1String(bad))
                                         << false << qint64(0) << "";
}

void TestCreateRequest::parses()
{
    QFETCH(QString, url);
    QFETCH(bool, valid);
    QFETCH(qint64, index);
    QFETCH(QString, directory);
    const std::optional<CreateRequest> request = CreateRequest::parse(url);
    QCOMPARE(request.has_value(), valid);
    if (valid) {
        QCOMPARE(request->index, index);
        QCOMPARE(request->directoryPath, directory);
    }
}

QTEST_GUILESS_MAIN(TestCreateRequest)
#include "tst_CreateRequest.moc"
