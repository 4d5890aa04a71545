#include <QtTest>
#include <string>
#include <vector>

#include "engine/name_pool.h"

using dovrane::engine::NamePool;

class TestNamePool : public QObject {
    Q_OBJECT
private slots:
    // Lengths at each edge of the one- and three-byte length forms, stored until blocks
    // overflow: every name comes back byte for byte.
    void countedNamesComeBackWhole_data() {
        QTest::addColumn<int>("length");
        for (const int length : {0, 1, 254, 255, 256, 65535})
            QTest::newRow(qPrintable(QString::number(length))) << length;
    }
    void countedNamesComeBackWhole() {
        QFETCH(int, length);
        NamePool pool;
        std::vector<std::pair<quint32, std::string>> stored;
        for (int i = 0; i < 40; ++i) {
            std::string name(static_cast<size_t>(length), static_cast<char>('a' + i % 26));
            if (length > 0)
                name.back() = '\xff';  // a byte like the long-name mark, inside the name
            stored.emplace_back(pool.addCounted(name), name);
            stored.emplace_back(pool.addCounted("x"), "x");
        }
        for (const auto& [offset, name] : stored)
            QCOMPARE(pool.counted(offset), std::string_view(name));
    }
};

QTEST_GUILESS_MAIN(TestNamePool)
#include "tst_name_pool.moc"
