#include "app/reports.h"

#include <map>
#include <utility>

#include "app/report_kinds.h"
#include "engine/folder_tree.h"

namespace dovrane::app {
namespace {

using Runner = ReportResult (*)(const ReportContext&);

const std::map<QString, Runner>& Runners() {
    static const std::map<QString, Runner> runners{
        {QStringLiteral("databases"), &DatabasesReport},
        {QStringLiteral("duplicates"), &DuplicatesReport},
        {QStringLiteral("files"), &FilesReport},
        {QStringLiteral("folders"), &FoldersReport},
        {QStringLiteral("growth"), &GrowthReport},
        {QStringLiteral("identical"), &IdenticalReport},
        {QStringLiteral("largest"), &LargestReport},
        {QStringLiteral("overview"), &OverviewReport},
        {QStringLiteral("type-files"), &TypeFilesReport},
        {QStringLiteral("types"), &TypesReport},
    };
    return runners;
}

}  // namespace

QString Printable(const QString& cell) {
    QString out = cell;
    for (QChar& c : out)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            c = u'?';
    return out;
}

QStringList ReportKinds() {
    QStringList kinds;
    for (const auto& [kind, runner] : Runners())
        kinds.append(kind);
    return kinds;
}

ReportResult RunReport(const Options& options, platform::Device& device,
                       const engine::Settings& settings, const ReportOutput& output) {
    QByteArray held;
    const ReportOutput pass = output ? output : [&held](QByteArrayView bytes) { held += bytes; };
    ReportContext context{options, device, settings, {}, 0, {}};
    context.control.unreadable = &context.unreadable;
    // Every JSON report opens with the count of folders its walks could not read, whatever
    // it walked: scripts find it in one place. A report streams only once its walk is done,
    // so the count is final when its first bytes pass.
    bool opening = options.format == ReportFormat::Json;
    context.output = [&](QByteArrayView bytes) {
        if (!std::exchange(opening, false) || !bytes.startsWith('{'))
            return pass(bytes);
        QByteArray first = bytes.toByteArray();
        first.insert(1, QByteArray("\"unreadable_folders\": ") +
                            QByteArray::number(context.unreadable) +
                            (first.startsWith("{}") ? "" : ", "));
        pass(first);
    };
    if (options.slices)
        context.settings.numberOfSlices = *options.slices;
    context.control.pace = std::chrono::milliseconds(options.paceMs);
    context.control.threads = options.threads > 0 ? options.threads : engine::DefaultWalkThreads();
    const auto it = Runners().find(options.report);
    if (it == Runners().end())
        return {2, {}, QStringLiteral("unknown report '%1'").arg(options.report)};
    ReportResult result = it->second(context);
    // A report that does not stream hands its bytes back; they pass the same way.
    if (result.exitCode == 0 && !result.output.isEmpty())
        context.output(std::exchange(result.output, {}));
    if (result.exitCode == 0 && !output)
        result.output = std::move(held);
    return result;
}

void WriteSlices(JsonWriter& json, const std::vector<charts::SliceSpec>& chart,
                 const QStringList& entryNames, const engine::Settings& settings) {
    json.key(u"slices").beginArray();
    for (size_t i = 0; i < chart.size(); ++i) {
        json.beginObject();
        json.key(u"name").value(chart[i].other ? engine::kOtherName
                                               : entryNames[static_cast<qsizetype>(i)]);
        json.key(u"start").value(chart[i].startAngle);
        json.key(u"end").value(chart[i].endAngle);
        json.key(u"color").value(static_cast<quint64>(settings.sliceColor(chart[i].colorIndex)));
        json.endObject();
    }
    json.endArray();
}

QByteArray AlignedTable(const QList<QStringList>& rows, const QList<bool>& rightAligned) {
    return AlignedTable(rows.size(), rightAligned, [&rows](qsizetype r, qsizetype c) {
        return c < rows[r].size() ? rows[r][c] : QString();
    });
}

QByteArray AlignedTable(qsizetype rowCount, const QList<bool>& rightAligned,
                        const std::function<QString(qsizetype, qsizetype)>& cellOf) {
    const qsizetype columns = rightAligned.size();
    QList<qsizetype> widths(columns, 0);
    for (qsizetype r = 0; r < rowCount; ++r)
        for (qsizetype c = 0; c < columns; ++c)
            widths[c] = std::max(widths[c], cellOf(r, c).size());  // Printable keeps the length
    QByteArray out;
    QString line;
    for (qsizetype r = 0; r < rowCount; ++r) {
        line.clear();
        for (qsizetype c = 0; c < columns; ++c) {
            const QString cell = Printable(cellOf(r, c));
            if (c > 0)
                line += QStringLiteral("  ");
            const bool last = c + 1 == columns;
            line += rightAligned[c] ? cell.rightJustified(widths[c])
                                    : (last ? cell : cell.leftJustified(widths[c]));
        }
        // Empty cells at the end of a row leave no blanks behind.
        while (line.endsWith(u' '))
            line.chop(1);
        line += u'\n';
        out += line.toUtf8();
    }
    return out;
}

}  // namespace dovrane::app
