// The Overview's figures: memory, storage and the chosen storage card.

#include "app/json_writer.h"
#include "app/report_kinds.h"
#include "engine/memory_status.h"

namespace dovrane::app {
namespace {

void Group(JsonWriter& json, double total, double free, double used, const QString& totalText,
           const QString& freeText, const QString& usedText) {
    json.beginObject();
    json.key(u"total").value(total);
    json.key(u"free").value(free);
    json.key(u"used").value(used);
    json.key(u"total_text").value(totalText);
    json.key(u"free_text").value(freeText);
    json.key(u"used_text").value(usedText);
    json.endObject();
}

}  // namespace

ReportResult OverviewReport(const ReportContext& c) {
    const engine::MemoryStatus s(c.device);
    if (c.options.format == ReportFormat::Text) {
        // The labels of the Overview details, in its order.
        const bool card = s.cardTotal != 0;
        QList<QStringList> rows{
            {QStringLiteral("Total Main Memory:"), s.mainTotalText},
            {QStringLiteral("Total Storage Memory:"), s.storageTotalText},
            {QStringLiteral("In Use:"), s.storageUsedText},
            {QStringLiteral("Free:"), s.storageFreeText},
            {QStringLiteral("Total Program Memory:"), s.programTotalText},
            {QStringLiteral("In Use:"), s.programUsedText},
            {QStringLiteral("Free:"), s.programFreeText},
            {QStringLiteral("Total Storage Card Size:"), card ? s.cardTotalText : QString()},
            {QStringLiteral("In Use:"), card ? s.cardUsedText : QString()},
            {QStringLiteral("Free:"), card ? s.cardFreeText : QString()},
        };
        QByteArray out = AlignedTable(rows, {false, true});
        out += s.cards.isEmpty() ? QByteArray(" No Storage Card\n")
                                 : ("Storage Cards: " + s.cards.join(u", ") + u'\n').toUtf8();
        return {0, out, {}};
    }
    JsonWriter json;
    json.beginObject();
    json.key(u"program");
    Group(json, s.programTotal, s.programFree, s.programUsed, s.programTotalText, s.programFreeText,
          s.programUsedText);
    json.key(u"storage");
    Group(json, s.storageTotal, s.storageFree, s.storageUsed, s.storageTotalText, s.storageFreeText,
          s.storageUsedText);
    json.key(u"main_total").value(s.mainTotal);
    json.key(u"main_total_text").value(s.mainTotalText);
    json.key(u"cards").beginArray();
    for (const QString& name : s.cards)
        json.value(name);
    json.endArray();
    json.key(u"card").beginObject();
    json.key(u"name").value(s.cardName);
    json.key(u"total").value(s.cardTotal);
    json.key(u"free").value(s.cardFree);
    json.key(u"used").value(s.cardUsed);
    json.key(u"total_text").value(s.cardTotalText);
    json.key(u"free_text").value(s.cardFreeText);
    json.key(u"used_text").value(s.cardUsedText);
    json.endObject();
    json.endObject();
    return {0, json.finish(), {}};
}

}  // namespace dovrane::app
