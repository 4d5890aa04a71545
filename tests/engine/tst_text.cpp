#include <QtTest>

#include "engine/text.h"

using namespace dovrane::engine;

class TestText : public QObject {
    Q_OBJECT
private slots:
    void sizeText() {
        const std::pair<quint64, const char*> sizes[] = {
            {0, "0  B"},
            {1023, "1023  B"},
            {1024, "1.0 KB"},
            {1023999, "1000.0 KB"},  // the last KB
            {1024000, "1.0 MB"},
            {1048576, "1.0 MB"},  // MB, not MiB
            {2304, "2.2 KB"},     // exact halves to even, down
            {2816, "2.8 KB"},     // and up
            {1023999999, "1000.0 MB"},
            {1024000000, "1.0 GB"},
            {quint64{1} << 32, "4.2 GB"},  // 4 GiB does not wrap
            {1024000000000, "1.0 TB"},
            {~quint64{0}, "18014398.5 TB"}};
        for (const auto& [bytes, text] : sizes)
            QCOMPARE(std::pair(bytes, SizeText(bytes)),
                     std::pair(bytes, QString::fromLatin1(text)));
    }

    void shareText() {
        const std::tuple<quint64, quint64, const char*> shares[] = {
            {50, 200, "25.0"},
            {50, 1000, "5.0"},
            {100000000, 200000000, "50.0"},
            {0, 0, "0.0"},  // an empty total
            {7, 7, "100.0"},
            {quint64{3} << 32, quint64{4} << 32, "75.0"},
            {1, 3000, "0.0"}};
        for (const auto& [part, total, text] : shares)
            QCOMPARE(std::pair(part, ShareText(part, total)),
                     std::pair(part, QString::fromLatin1(text)));
    }

    void pathsAndNames() {
        QCOMPARE(SpacePath(u"\\a\\b"), QStringLiteral(" \\a \\b"));
        QCOMPARE(SpacePath(u""), QString());
        QCOMPARE(CompareNoCase(u"abc", u"ABC"), 0);
        QVERIFY(CompareNoCase(u"apple", u"Banana") < 0);
        QVERIFY(CompareNoCase(u"_x", u"A") < 0);  // folded to lower case: '_' before letters
        QVERIFY(CompareNoCase(u"ab", u"abc") < 0);
    }
};

QTEST_GUILESS_MAIN(TestText)
#include "tst_text.moc"
