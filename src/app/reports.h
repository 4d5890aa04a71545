#pragma once
// The figures of the windows, printed: for scripts, servers without a display, tests and
// benchmarks. Each report walks the device as its window would, with the same texts.

#include <functional>

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "app/command_line.h"
#include "engine/settings.h"

namespace dovrane::platform {
class Device;
}

namespace dovrane::app {

// Where a report's bytes go as they are made: a listing of millions of files is written as
// it is formatted and never held whole.
using ReportOutput = std::function<void(QByteArrayView)>;

struct ReportResult {
    int exitCode = 0;
    QByteArray output;    // for stdout
    QString error;        // one line for stderr when exitCode is not 0
    QStringList notes{};  // lines for stderr whatever the exit status
};

QStringList ReportKinds();

// Runs `options.report` against `device`. Settings are the stored ones; --slices
// overrides their number of slices. With `output`, every byte of the report goes there as
// it is made and the result holds none; without, the result holds them all.
ReportResult RunReport(const Options& options, platform::Device& device,
                       const engine::Settings& settings, const ReportOutput& output = {});

// Control characters would break a row in two; they show as '?' in text reports, one for
// one, so a cell keeps its length.
QString Printable(const QString& cell);

// Lays rows out in columns two blanks apart; `rightAligned[i]` for column i.
QByteArray AlignedTable(const QList<QStringList>& rows, const QList<bool>& rightAligned);
// The same for `rowCount` rows whose cells `cellOf(row, column)` makes when asked, twice
// each: a listing of millions of files never holds its cells all at once.
QByteArray AlignedTable(qsizetype rowCount, const QList<bool>& rightAligned,
                        const std::function<QString(qsizetype, qsizetype)>& cellOf);

}  // namespace dovrane::app
