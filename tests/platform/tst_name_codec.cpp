#include <QtTest>

#include "platform/device_path.h"
#include "platform/name_codec.h"

using namespace dovrane::platform;

class TestNameCodec : public QObject {
    Q_OBJECT
private slots:
    void decodesExactlyAndBack_data() {
        QTest::addColumn<QByteArray>("host");
        QTest::addColumn<QString>("device");
        QTest::newRow("ascii") << QByteArray("readme.txt") << QStringLiteral("readme.txt");
        QTest::newRow("utf8") << QByteArray("caf\xc3\xa9") << QStringLiteral("caf\u00e9");
        QTest::newRow("astral") << QByteArray("\xf0\x9f\x98\x80.png")
                                << QString::fromUtf16(u"\U0001F600.png");
        QTest::newRow("backslash") << QByteArray("a\\b") << QString::fromUtf16(u"a\uFF3Cb");
        QTest::newRow("host fullwidth backslash escaped")
            << QByteArray("x\xef\xbc\xbc") << QString::fromUtf16(u"x\xDCEF\xDCBC\xDCBC");
        QTest::newRow("invalid byte")
            << QByteArray("a\xff\x62") << QString::fromUtf16(u"a\xDCFF\x62");
        QTest::newRow("truncated sequence") << QByteArray("\xc3") << QString::fromUtf16(u"\xDCC3");
        QTest::newRow("overlong slash")
            << QByteArray("\xc0\xaf") << QString::fromUtf16(u"\xDCC0\xDCAF");
        QTest::newRow("encoded surrogate")
            << QByteArray("\xed\xa0\x80") << QString::fromUtf16(u"\xDCED\xDCA0\xDC80");
        QTest::newRow("beyond U+10FFFF")
            << QByteArray("\xf4\x90\x80\x80") << QString::fromUtf16(u"\xDCF4\xDC90\xDC80\xDC80");
        QTest::newRow("newline kept") << QByteArray("a\nb") << QStringLiteral("a\nb");
    }
    void decodesExactlyAndBack() {
        QFETCH(QByteArray, host);
        QFETCH(QString, device);
        const std::string_view bytes(host.constData(), static_cast<size_t>(host.size()));
        QCOMPARE(DecodeHostName(bytes), device);
        const auto back = EncodeDeviceName(device);
        QVERIFY(back.has_value());
        QCOMPARE(QByteArray::fromStdString(*back), host);
    }

    void refusesNamesNoHostCanHold() {
        // Empty, dot, dot dot, a slash, NUL, a lone high surrogate, an escape of ASCII.
        for (const QString& name :
             {QString(), QStringLiteral("."), QStringLiteral(".."), QStringLiteral("a/b"),
              QString(QChar(0)), QString::fromUtf16(u"a\xD800"), QString::fromUtf16(u"\xDC41")})
            QVERIFY2(!EncodeDeviceName(name).has_value(), qPrintable(name));
    }

    void everyByteRoundTrips() {
        std::string all;
        for (int b = 1; b < 256; ++b)
            if (b != '/')
                all.push_back(static_cast<char>(b));
        const auto back = EncodeDeviceName(DecodeHostName(all));
        QVERIFY(back.has_value());
        QCOMPARE(*back, all);
    }

    void devicePaths() {
        QCOMPARE(SplitDevicePath(u"\\usr\\\\share\\"), QStringList({"usr", "share"}));
        QCOMPARE(SplitDevicePath(u"\\"), QStringList());
        QCOMPARE(JoinDevicePath(u"\\", u"a"), QStringLiteral("\\a"));
        QCOMPARE(JoinDevicePath(u"\\x", u"a"), QStringLiteral("\\x\\a"));
    }
};

QTEST_GUILESS_MAIN(TestNameCodec)
#include "tst_name_codec.moc"
