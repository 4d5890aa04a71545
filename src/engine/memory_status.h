#pragma once
// The figures of the Overview: program memory, storage memory, main memory and one
// storage card, in megabytes of 2^20 bytes, with their "%.2f MB" texts.

#include <QString>
#include <QStringList>

namespace dovrane::platform {
class Device;
}

namespace dovrane::engine {

// "%.2f MB"
QString MegabyteText(double megabytes);

class MemoryStatus {
public:
    // Reads every figure at once.
    explicit MemoryStatus(platform::Device& device);

    // Re-reads every figure and the card list; the card figures become those of card 0,
    // or 0 without a card (the card texts and name then keep what they held).
    void Refresh();
    void FindCards();
    // Makes cards[index] the chosen card; false when its volume did not answer (its
    // figures are then 0 and its texts unchanged).
    bool ReadCard(int index);

    double programTotal = 0, programFree = 0, programUsed = 0;
    double storageTotal = 0, storageFree = 0, storageUsed = 0;
    double mainTotal = 0;
    double cardTotal = 0, cardFree = 0, cardUsed = 0;
    QString programTotalText, programFreeText, programUsedText;
    QString storageTotalText, storageFreeText, storageUsedText;
    QString mainTotalText;
    QString cardTotalText, cardFreeText, cardUsedText;
    QString cardName;
    QStringList cards;

private:
    platform::Device& m_device;
};

}  // namespace dovrane::engine
