#pragma once
// dovrane-storage-analyzer [options] [DEVICE_ROOT]

#include <QSize>
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
    int threads = 0;  // --threads: walk threads, 0 for the default
    bool network = false;
    QStringList objectStores;  // --object-store DIR, repeatable: replaces the default folders
    QString exportFile;        // --export FILE ("-": stdout): write the scan, no report
    QString importFile;        // --import FILE ("-": stdin): the scan is the device
    // The window's options.
    QString screenshot;           // --screenshot FILE: draw the window into a PNG and end
    QString view;                 // --view: the first view; empty for the Overview
    QString dialog;               // --dialog NAME: with --screenshot, draw that dialog
    std::optional<QSize> size;    // --size WxH: the window's client area
    std::optional<double> scale;  // --scale F: replaces the display's scale
    bool timing = false;          // --timing: each pie's time from its scan's start, on stderr
    // The scan history.
    QString since;                        // --since WHEN: the snapshot --report growth compares
    bool byType = false;                  // --by type: growth by file type, not by folder
    bool listHistory = false;             // --list-history
    bool snapshot = false;                // --snapshot: keep the scan in the history
    std::optional<quint64> historyLimit;  // --history-limit SIZE
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

// Why a window of `size` drawn at `scale` cannot be had, or nothing when it can. Its
// pixels, four bytes each, are held at least once whole (a screenshot): at most 32767 a
// side, as the raster painter reaches, and 2^26 in all, 256 MiB.
inline constexpr int kMostWindowSide = 32767;
inline constexpr qint64 kMostWindowPixels = qint64{1} << 26;
std::optional<QString> WindowSizeError(QSize size, double scale);

QString UsageText();
QString VersionText();

}  // namespace dovrane::app
