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

struct ReportResult {
    int exitCode = 0;
    QByteArray output;    // for stdout
    QString error;        // one line for stderr when exitCode is not 0
    QStringList notes{};  // lines for stderr whatever the exit status
};

QStringList ReportKinds();

// Runs `options.report` against `device`. Settings are the stored ones; --slices
// overrides their number of slices.
ReportResult RunReport(const Options& options, platform::Device& device,
                       const engine::Settings& settings);

// Lays rows out in columns two blanks apart; `rightAligned[i]` for column i.
QByteArray AlignedTable(const QList<QStringList>& rows, const QList<bool>& rightAligned);
// The same for `rowCount` rows whose cells `cellOf(row, column)` makes when asked, twice
// each: a listing of millions of files never holds its cells all at once.
QByteArray AlignedTable(qsizetype rowCount, const QList<bool>& rightAligned,
                        const std::function<QString(qsizetype, qsizetype)>& cellOf);

}  // namespace dovrane::app
