#include "engine/memory_status.h"

#include <cstdio>

#include "platform/device.h"
#include "platform/name_codec.h"

namespace dovrane::engine {
namespace {

constexpr double kPerMegabyte = 9.5367431640625e-7;  // 2^-20

double Megabytes(quint64 bytes) {
    return static_cast<double>(bytes) * kPerMegabyte;
}

}  // namespace

QString MegabyteText(double megabytes) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.2f MB", megabytes);
    return QString::fromLatin1(buffer);
}

MemoryStatus::MemoryStatus(platform::Device& device) : m_device(device) {
    Refresh();
}

void MemoryStatus::Refresh() {
    const auto memory = m_device.globalMemoryStatus().value_or(platform::MemoryFigures{});
    programTotal = Megabytes(memory.totalPhys);
    programFree = Megabytes(memory.availPhys);
    programUsed = programTotal - programFree;
    programTotalText = MegabyteText(programTotal);
    programFreeText = MegabyteText(programFree);
    programUsedText = MegabyteText(programUsed);

    const auto storage = m_device.diskFreeSpace(u"\\My Documents");
    storageTotal = storage ? Megabytes(storage->totalBytes) : 0;
    storageFree = storage ? Megabytes(storage->freeBytes) : 0;
    storageUsed = storageTotal - storageFree;
    storageTotalText = MegabyteText(storageTotal);
    storageFreeText = MegabyteText(storageFree);
    storageUsedText = MegabyteText(storageUsed);

    mainTotal = storageTotal + programTotal;
    mainTotalText = MegabyteText(mainTotal);

    FindCards();
    if (cards.isEmpty()) {
        cardTotal = cardFree = cardUsed = 0;
    } else {
        ReadCard(0);
    }
}

void MemoryStatus::FindCards() {
    cards.clear();
    auto root = m_device.openFolder(u"\\");
    if (!root)
        return;
    platform::Listing listing;
    m_device.read(*root, listing);
    constexpr quint32 kCard = platform::kAttributeDirectory | platform::kAttributeTemporary;
    for (const platform::FindData& e : listing.entries)
        if ((e.attributes & kCard) == kCard)
            cards.append(platform::DecodeHostName(listing.nameOf(e)));
}

bool MemoryStatus::ReadCard(int index) {
    cardName = cards.value(index);
    const auto space = m_device.diskFreeSpace(u'\\' + cardName);
    if (!space) {
        cardTotal = cardFree = cardUsed = 0;
        return false;
    }
    cardTotal = Megabytes(space->totalBytes);
    cardFree = Megabytes(space->freeBytes);
    cardUsed = cardTotal - cardFree;
    cardTotalText = MegabyteText(cardTotal);
    cardFreeText = MegabyteText(cardFree);
    cardUsedText = MegabyteText(cardUsed);
    return true;
}

}  // namespace dovrane::engine
