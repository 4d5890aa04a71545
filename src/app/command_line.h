#pragma once
// dovrane-storage-analyzer [options] [DEVICE_ROOT]

#include <QString>
#include <QStringList>
#include <optional>

namespace dovrane::app {

enum class ReportFormat { Text, Json };

struct Options {
    QString deviceRoot = QStringLiteral("/");
    QString report;               // empty: open the window
    std::optional<QString> path;  // --path, a device path
    std::optional<QString> type;  // --type: a file type, exact with case
    std::optional<int> slices;    // --slices, this run only
    ReportFormat format = ReportFormat::Text;
    int paceMs = 0;
    int threads = 0;  // --threads: walk threads, 0 for one per core
    bool network = false;
};

struct ParsedCommandLine {
    Options options;
    // Set when the program ends here: 0 with `text` for stdout (--help, --version),
    // 2 with a one-line error for stderr.
    std::optional<int> exitCode;
    QString text;
};

// `arguments` without the program name.
ParsedCommandLine ParseCommandLine(const QStringList& arguments);

QString UsageText();
QString VersionText();

}  // namespace dovrane::app
