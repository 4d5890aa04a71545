#include <QtTest>
#include <algorithm>
#include <random>
#include <thread>

#include "engine/file_types.h"
#include "engine/name_pool.h"
#include "support/test_device.h"

using namespace dovrane::engine;
using dovrane::platform::TestDevice;

namespace {

// Names that tie without regard to case, equal sizes and sizes beyond 32 bits, spread over
// a few types and folders.
void Fill(TestDevice& dev, int files, unsigned seed) {
    std::mt19937 random(seed);
    const QStringList stems{"a", "A",  "b", "readme", "README", "\u00e9t\u00e9", "\u00c9T\u00c9",
                            "z", "_x", "ab"};
    const QStringList types{"txt", "TXT", "dat", "jpg"};
    for (int i = 0; i < files; ++i) {
        const quint64 size =
            random() % 3 == 0 ? (quint64{1} << 32) + random() % 4 : quint64{random() % 50};
        dev.addFile(QStringLiteral("\\d%1\\%2%3.%4")
                        .arg(random() % 40)
                        .arg(stems[static_cast<qsizetype>(random() % stems.size())])
                        .arg(random() % 3 ? QString() : QString::number(i))
                        .arg(types[static_cast<qsizetype>(random() % types.size())]),
                    size);
    }
}

// The orders written out plainly: larger first, names without case, both keeping met
// order on ties except that equal names put the one met last first.
template <typename T, typename Size, typename Name>
std::pair<std::vector<T>, std::vector<T>> Expected(std::vector<T> met, Size size, Name name) {
    std::vector<T> bySize = met;
    std::stable_sort(bySize.begin(), bySize.end(), [&](T a, T b) { return size(a) > size(b); });
    std::reverse(met.begin(), met.end());
    std::stable_sort(met.begin(), met.end(),
                     [&](T a, T b) { return name(a).compare(name(b), Qt::CaseInsensitive) < 0; });
    return {bySize, met};
}

}  // namespace

class TestFileOrders : public QObject {
    Q_OBJECT
private slots:
    // Orders built when first read, by several readers at once (a File List opened while
    // another is being filled), are exactly those built at once after the scan.
    void readersSeeTheWholeOrder() {
        const int files = 20000;
        const size_t readers = 4;
        TestDevice dev;
        Fill(dev, files, 1);
        FileTypeTable table;
        QVERIFY(table.AggregateFileTypes(dev, {.threads = 3}));
        const FileList& list = table.list();
        const size_t n = table.fileTypes().size();
        // By reader and type, the orders as the reader asked for them: odd readers names first.
        using Orders = std::pair<std::vector<quint32>, std::vector<quint32>>;
        std::vector<std::vector<Orders>> seen(readers, std::vector<Orders>(n));
        std::vector<std::thread> threads;
        for (size_t r = 0; r < readers; ++r)
            threads.emplace_back([&, r] {
                // Each reader starts with another type, so builds and waits interleave.
                for (size_t k = 0; k < n; ++k) {
                    const FileTypeStat& t = *table.fileTypes()[(k + r) % n];
                    auto& [first, second] = seen[r][(k + r) % n];
                    first = r % 2 ? t.filesByName.get() : t.filesBySize.get();
                    second = r % 2 ? t.filesBySize.get() : t.filesByName.get();
                }
            });
        for (std::thread& t : threads)
            t.join();
        std::vector<FileTypeStat*> met;
        for (const auto& t : table.fileTypes())
            met.push_back(t.get());
        const auto types = Expected(
            met, [](FileTypeStat* t) { return t->totalSize; },
            [](FileTypeStat* t) { return t->name; });
        QCOMPARE(table.fileTypesBySize(), types.first);
        QCOMPARE(table.fileTypesByName(), types.second);
        size_t total = 0;
        for (size_t i = 0; i < n; ++i) {
            const FileTypeStat& t = *table.fileTypes()[i];
            total += t.files.size();
            const auto [bySize, byName] = Expected(
                t.files.get(), [&](quint32 r) { return list[r].size; },
                [&](quint32 r) { return list.name(list[r]); });
            for (size_t r = 0; r < readers; ++r)
                QCOMPARE(seen[r][i], r % 2 ? Orders(byName, bySize) : Orders(bySize, byName));
        }
        QCOMPARE(total, static_cast<size_t>(files));
    }

    // Lengths at each edge of the one- and three-byte length forms, stored until the pool's
    // blocks overflow, a byte like the long-name mark inside: every name comes back whole.
    void countedNamesComeBackWhole() {
        for (const size_t length : {0, 1, 254, 255, 256, 65535}) {
            NamePool pool;
            std::vector<std::pair<quint32, std::string>> stored;
            for (int i = 0; i < 40; ++i) {
                std::string name(length, 'a');
                if (length > 0 && i % 2)
                    name.back() = '\xff';
                stored.emplace_back(pool.addCounted(name), name);
            }
            for (const auto& [offset, name] : stored)
                QCOMPARE(pool.counted(offset), std::string_view(name));
        }
    }
};

QTEST_GUILESS_MAIN(TestFileOrders)
#include "tst_file_orders.moc"
