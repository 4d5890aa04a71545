#include <QtTest>

#include "engine/orders.h"
#include "engine/text.h"

using namespace dovrane::engine;

class TestText : public QObject {
    Q_OBJECT
private slots:
    void sizeText_data() {
        QTest::addColumn<quint64>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << quint64{0} << "0  B";
        QTest::newRow("1023") << quint64{1023} << "1023  B";
        QTest::newRow("1024") << quint64{1024} << "1.0 KB";
        QTest::newRow("last KB") << quint64{1023999} << "1000.0 KB";
        QTest::newRow("first MB") << quint64{1024000} << "1.0 MB";
        QTest::newRow("MB not MiB") << quint64{1048576} << "1.0 MB";
        QTest::newRow("exact half to even, down") << quint64{2304} << "2.2 KB";
        QTest::newRow("exact half to even, up") << quint64{2816} << "2.8 KB";
        QTest::newRow("last MB") << quint64{1023999999} << "1000.0 MB";
        QTest::newRow("first GB") << quint64{1024000000} << "1.0 GB";
        QTest::newRow("4 GiB does not wrap") << (quint64{1} << 32) << "4.2 GB";
        QTest::newRow("first TB") << quint64{1024000000000} << "1.0 TB";
        QTest::newRow("max") << ~quint64{0} << "18014398.5 TB";
    }
    void sizeText() {
        QFETCH(quint64, bytes);
        QFETCH(QString, text);
        QCOMPARE(SizeText(bytes), text);
    }

    void shareText_data() {
        QTest::addColumn<quint64>("part");
        QTest::addColumn<quint64>("total");
        QTest::addColumn<QString>("text");
        QTest::newRow("quarter") << quint64{50} << quint64{200} << "25.0";
        QTest::newRow("fifth of a thousand") << quint64{50} << quint64{1000} << "5.0";
        QTest::newRow("half of 200 MB") << quint64{100000000} << quint64{200000000} << "50.0";
        QTest::newRow("empty total") << quint64{0} << quint64{0} << "0.0";
        QTest::newRow("whole") << quint64{7} << quint64{7} << "100.0";
        QTest::newRow("beyond 32 bits") << (quint64{3} << 32) << (quint64{4} << 32) << "75.0";
        QTest::newRow("tiny") << quint64{1} << quint64{3000} << "0.0";
    }
    void shareText() {
        QFETCH(quint64, part);
        QFETCH(quint64, total);
        QFETCH(QString, text);
        QCOMPARE(ShareText(part, total), text);
    }

    void spacePath() {
        QCOMPARE(SpacePath(u"\\Pocket PC"), QStringLiteral(" \\Pocket PC"));
        QCOMPARE(SpacePath(u"\\a\\b"), QStringLiteral(" \\a \\b"));
        QCOMPARE(SpacePath(u""), QString());
    }

    void namesCompareWithoutCase() {
        QCOMPARE(CompareNoCase(u"abc", u"ABC"), 0);
        QVERIFY(CompareNoCase(u"apple", u"Banana") < 0);
        // Folding goes to lower case: '_' sorts before letters.
        QVERIFY(CompareNoCase(u"_x", u"A") < 0);
        QVERIFY(CompareNoCase(u"ab", u"abc") < 0);
    }

    void orderTieRules() {
        struct Item {
            QString name;
            quint64 size;
        };
        const std::vector<Item> items{{"b", 5}, {"A", 7}, {"a", 5}, {"B", 9}, {"c", 5}};
        const auto bySize = OrderBySize(items, [](const Item& i) { return i.size; });
        QStringList sizeNames;
        for (const Item& i : bySize)
            sizeNames << i.name;
        QCOMPARE(sizeNames, QStringList({"B", "A", "b", "a", "c"}));
        const auto byName = OrderByName(items, [](const Item& i) { return i.name; });
        QStringList names;
        for (const Item& i : byName)
            names << i.name;
        QCOMPARE(names, QStringList({"a", "A", "B", "b", "c"}));
    }
};

QTEST_GUILESS_MAIN(TestText)
#include "tst_text.moc"
