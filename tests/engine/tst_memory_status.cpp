#include <QtTest>

#include "engine/memory_status.h"
#include "platform/find_data.h"
#include "platform/test_device.h"

using namespace dovrane::engine;
using dovrane::platform::DiskSpace;
using dovrane::platform::kAttributeTemporary;
using dovrane::platform::MemoryFigures;
using dovrane::platform::TestDevice;

class TestMemoryStatus : public QObject {
    Q_OBJECT
private slots:
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
        QCOMPARE(s.programTotalText, QStringLiteral("16.00 MB"));
        QCOMPARE(s.programFreeText, QStringLiteral("4.00 MB"));
        QCOMPARE(s.programUsedText, QStringLiteral("12.00 MB"));
        // "\My Documents" does not exist: the root's volume answers for it.
        QCOMPARE(s.storageTotalText, QStringLiteral("3145728.00 MB"));
        QCOMPARE(s.storageUsedText, QStringLiteral("2097152.00 MB"));
        QCOMPARE(s.mainTotalText, QStringLiteral("3145744.00 MB"));
        QCOMPARE(s.cards, QStringList({"Card A", "Card B"}));
        QCOMPARE(s.cardName, QStringLiteral("Card A"));
        QCOMPARE(s.cardTotalText, QStringLiteral("0.95 MB"));
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

QTEST_GUILESS_MAIN(TestMemoryStatus)
#include "tst_memory_status.moc"
