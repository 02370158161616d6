#include "creation/CreateRequest.h"

#include <QTest>

class TestCreateRequest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void parses_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<qint64>("index");
        QTest::addColumn<QString>("directory"); // "<rejected>": no request
        QTest::newRow("plain") << "quintara://create?t=0&d=/home/me/Notes" << qint64(0) << "/home/me/Notes";
        QTest::newRow("other order, extras ignored") << "quintara://create?x=1&d=/n&t=2" << qint64(2) << "/n";
        QTest::newRow("first of two t") << "quintara://create?t=3&t=1&d=/n" << qint64(3) << "/n";
        QTest::newRow("plus sign, leading zero") << "quintara://create?t=+01&d=/x" << qint64(1) << "/x";
        QTest::newRow("negative passes parsing") << "quintara://create?t=-1&d=/x" << qint64(-1) << "/x";
        QTest::newRow("largest index") << "quintara://create?t=9223372036854775807&d=/x"
                                       << std::numeric_limits<qint64>::max() << "/x";
        QTest::newRow("smallest index") << "quintara://create?t=-9223372036854775808&d=/x"
                                        << std::numeric_limits<qint64>::min() << "/x";
        QTest::newRow("plus stays plus, reserved characters arrive")
            << "quintara://create?t=0&d=/a+b/My%20%23%3F%26%25/caf%C3%A9" << qint64(0) << "/a+b/My #?&%/caf\u00e9";
        QTest::newRow("encoded item name") << "quintara://create?%74=4&d=/x" << qint64(4) << "/x";
        QTest::newRow("empty folder is not rejected here") << "quintara://create?t=0&d=" << qint64(0) << "";
        QTest::newRow("path and fragment ignored") << "quintara://create/p?t=5&d=/x#frag" << qint64(5) << "/x";
        const char* rejected[] = {"quintara://open?t=0&d=/x", "quintara:create?t=0&d=/x", "quintaria://create?t=0&d=/x",
                                  "quintara://create?t=0&d",  "quintara://create?t=0",    "quintara://create?d=/x",
                                  "quintara://create?t&d=/x"};
        for (const char* url : rejected)
            QTest::newRow(url) << QString::fromLatin1(url) << qint64(0) << "<rejected>";
        for (const char* bad : {"", "1.0", "abc", "+", "-", "%201", "1%20", "9223372036854775808",
                                "-9223372036854775809", "0x1", "%EF%BC%91" /* fullwidth one */, "++1"})
            QTest::addRow("index '%s'", bad)
                << QStringLiteral("quintara://create?t=%1&d=/x").arg(QLatin1String(bad)) << qint64(0) << "<rejected>";
    }
    void parses()
    {
        QFETCH(QString, url);
        QFETCH(qint64, index);
        QFETCH(QString, directory);
        const std::optional<CreateRequest> request = CreateRequest::parse(QUrl(url, QUrl::StrictMode));
        QCOMPARE(request.has_value(), directory != QLatin1String("<rejected>"));
        if (request)
            QCOMPARE(std::pair(request->index, request->directoryPath), std::pair(index, directory));
    }
};

QTEST_GUILESS_MAIN(TestCreateRequest)
#include "tst_CreateRequest.moc"
