// The figures as the windows write them: sizes, shares, and the memory and storage of the
// Overview, with cards that fail.

#include <QtTest>

#include "engine/memory_status.h"
#include "engine/text.h"
#include "platform/find_data.h"
#include "support/test_device.h"

using namespace dovrane::engine;
using dovrane::platform::DiskSpace;
using dovrane::platform::kAttributeTemporary;
using dovrane::platform::MemoryFigures;
using dovrane::platform::TestDevice;

class TestFigures : public QObject {
    Q_OBJECT

private slots:
    void sizeText() {
        // KB and MB of 1000 x 1024 bytes (1048576 is "1.0 MB"), exact halves to even (2304
        // down, 2816 up), 4 GiB without a wrap, and the largest count in TB, the last unit.
        QStringList texts;
        for (const quint64 bytes : {0ull, 1023ull, 1024ull, 1023999ull, 1024000ull, 1048576ull,
                                    2304ull, 2816ull, 1ull << 32, ~0ull})
            texts << SizeText(bytes);
        QCOMPARE(texts, (QStringList{"0  B", "1023  B", "1.0 KB", "1000.0 KB", "1.0 MB", "1.0 MB",
                                     "2.2 KB", "2.8 KB", "4.2 GB", "18014398.5 TB"}));
    }

    void shareText() {
        // An empty total gives 0.0; shares beyond 32 bits.
        QStringList texts;
        for (const auto& [part, total] :
             {std::pair(50ull, 200ull), {0, 0}, {7, 7}, {3ull << 32, 4ull << 32}, {1, 3000}})
            texts << ShareText(part, total);
        QCOMPARE(texts, (QStringList{"25.0", "0.0", "100.0", "75.0", "0.0"}));
    }

    void figuresAndTexts() {
        TestDevice dev;
        dev.setMemory(MemoryFigures{16777216, 4194304})
            .setDiskSpace(u"\\", DiskSpace{3ull << 40, 1ull << 40})
            .addFolder(u"\\Windows")
            .addFolder(u"\\Card A", kAttributeTemporary)
            .addFolder(u"\\Card B", kAttributeTemporary)
            .setDiskSpace(u"\\Card A", DiskSpace{1000000, 250000})
            .setDiskSpace(u"\\Card B", DiskSpace{2097152, 1048576});
        MemoryStatus s(dev);
        // "\My Documents" does not exist: the root's volume answers for it.
        QCOMPARE((QStringList{s.programTotalText, s.programFreeText, s.programUsedText,
                              s.storageTotalText, s.storageUsedText, s.mainTotalText, s.cardName,
                              s.cardTotalText}),
                 (QStringList{"16.00 MB", "4.00 MB", "12.00 MB", "3145728.00 MB", "2097152.00 MB",
                              "3145744.00 MB", "Card A", "0.95 MB"}));
        QCOMPARE(s.cards, QStringList({"Card A", "Card B"}));
        QVERIFY(s.ReadCard(1));
        QCOMPARE(s.cardUsedText, QStringLiteral("1.00 MB"));
    }

    void cardsThatFail() {
        TestDevice dev;
        dev.addFolder(u"\\Card", kAttributeTemporary)
            .setDiskSpace(u"\\Card", DiskSpace{2097152, 0});
        MemoryStatus s(dev);
        QCOMPARE(s.programTotalText, QStringLiteral("0.00 MB"));  // the query failed
        QCOMPARE(s.storageTotal, 0.0);
        QCOMPARE(s.cardTotalText, QStringLiteral("2.00 MB"));
        // Pulled between listing and reading: zero figures, the texts kept.
        dev.setDiskSpace(u"\\Card", std::nullopt);
        QVERIFY(!s.ReadCard(0));
        QCOMPARE(s.cardTotal, 0.0);
        QCOMPARE(s.cardTotalText, QStringLiteral("2.00 MB"));
        // The last card gone: zero figures, the old texts and name kept.
        dev.setDiskSpace(u"\\Card", DiskSpace{2097152, 0}).remove(u"\\Card");
        s.Refresh();
        QVERIFY(s.cards.isEmpty());
        QCOMPARE(s.cardUsed, 0.0);
        QCOMPARE(s.cardName, QStringLiteral("Card"));
        QCOMPARE(s.cardUsedText, QStringLiteral("2.00 MB"));
    }
};

QTEST_GUILESS_MAIN(TestFigures)
#include "tst_figures.moc"
