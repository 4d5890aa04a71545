#include "app/command_line.h"

#include <algorithm>
#include <cmath>

#include "app/option_table.h"
#include "app/reports.h"
#include "engine/history_rules.h"
#include "platform/program_part.h"
#include "version.h"

namespace dovrane::app {
namespace {

constexpr double kLeastScale = 0.5;
constexpr double kMostScale = 8;

std::optional<int> ParseInt(const QString& text, int min, int max) {
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < min || value > max)
        return std::nullopt;
    return value;
}

bool IsWindowOption(const QString& arg) {
    return arg == u"--screenshot" || arg == u"--view" || arg == u"--dialog" || arg == u"--size" ||
           arg == u"--scale";
}

// An error message, or nothing when `value` is good for `arg`.
std::optional<QString> ParseWindowOption(const QString& arg, const QString& value, Options& o) {
    if (arg == u"--screenshot") {
        if (value.isEmpty())
            return QStringLiteral("--screenshot needs a file name");
        o.screenshot = value;
    } else if (arg == u"--view") {
        static const QStringList kViews{QStringLiteral("overview"), QStringLiteral("explorer"),
                                        QStringLiteral("folder"), QStringLiteral("filetype")};
        if (!kViews.contains(value))
            return QStringLiteral("--view takes one of %1, not '%2'")
                .arg(kViews.join(u", "), value);
        o.view = value;
    } else if (arg == u"--dialog") {
        // The names are checked where the dialogs are known, when the window is made.
        if (value.isEmpty())
            return QStringLiteral("--dialog needs a dialog name");
        o.dialog = value;
    } else if (arg == u"--size") {
        const QStringList parts = value.split(u'x');
        const auto w = parts.size() == 2 ? ParseInt(parts[0], 120, 8000) : std::nullopt;
        const auto h = parts.size() == 2 ? ParseInt(parts[1], 120, 8000) : std::nullopt;
        if (!w || !h)
            return QStringLiteral("--size takes WIDTHxHEIGHT, each from 120 to 8000, not '%1'")
                .arg(value);
        o.size = QSize(*w, *h);
    } else if (arg == u"--scale") {
        bool ok = false;
        const double scale = value.toDouble(&ok);
        // "nan" reads as a number that every comparison lets through.
        if (!ok || !std::isfinite(scale) || scale < kLeastScale || scale > kMostScale)
            return QStringLiteral("--scale takes a number from 0.5 to 8, not '%1'").arg(value);
        o.scale = scale;
    }
    return std::nullopt;
}

bool IsHistoryOption(const QString& arg) {
    return arg == u"--since" || arg == u"--by" || arg == u"--history-limit";
}

std::optional<QString> ParseHistoryOption(const QString& arg, const QString& value, Options& o) {
    if (arg == u"--since") {
        if (value.isEmpty())
            return QStringLiteral("--since needs last, a date, an age or a file");
        o.since = value;
    } else if (arg == u"--by") {
        if (value != u"type" && value != u"folder")
            return QStringLiteral("--by takes type or folder, not '%1'").arg(value);
        o.byType = value == u"type";
    } else if (arg == u"--history-limit") {
        if (!(o.historyLimit = engine::ParseSizeLimit(value)))
            return QStringLiteral("--history-limit takes a size such as 500M or 2G, not '%1'")
                .arg(value);
    }
    return std::nullopt;
}

// Checks the history options against each other once all are read.
std::optional<QString> HistoryOptionsError(const Options& o) {
    const bool growth = o.report == u"growth";
    if (growth && o.since.isEmpty())
        return QStringLiteral("--report growth needs --since WHEN");
    if (!growth && !o.since.isEmpty())
        return QStringLiteral("--since is for --report growth");
    if (!growth && o.byType)
        return QStringLiteral("--by is for --report growth");
    if (o.listHistory && (!o.report.isEmpty() || o.snapshot))
        return QStringLiteral("--list-history stands alone");
    if ((o.listHistory || o.snapshot) && !o.screenshot.isEmpty())
        return QStringLiteral("--screenshot draws the window; it keeps and lists no history");
    return std::nullopt;
}

QString NotInRange(const QString& option, int min, int max, const QString& value) {
    return QStringLiteral("%1 takes a whole number from %2 to %3, not '%4'")
        .arg(option)
        .arg(min)
        .arg(max)
        .arg(value);
}

}  // namespace

QString UsageText() {
    // Names and values in one column, wide enough for the longest; help texts after it.
    qsizetype column = 0;
    for (const OptionSpec& row : kOptions)
        column = std::max(column, qsizetype(row.name.size() + 1 + row.value.size()));
    column += 4;
    QString options;
    for (const OptionSpec& row : kOptions) {
        QString head = QStringLiteral("  ") + QLatin1String(row.name);
        if (!row.value.empty())
            head += u' ' + QLatin1String(row.value);
        QString help = QString::fromUtf8(row.help);
        help.replace(QStringLiteral("%KINDS%"), ReportKinds().join(u", "));
        help.replace(u'\n', u'\n' + QString(column, u' '));
        options += head.leftJustified(column, u' ') + help + u'\n';
    }
    // Where the window's Help opens the manual, so a user without a display finds it too.
    const QString helpPage = platform::ShippedFile(QStringLiteral("PlexoryHelp.htm"));
    return QStringLiteral(
               "Usage: dovrane-storage-analyzer [options] [DEVICE_ROOT]\n"
               "Shows where the storage below DEVICE_ROOT (default /) goes.\n\n") +
           options +
           (helpPage.isEmpty() ? QString() : QStringLiteral("\nHelp page: %1\n").arg(helpPage));
}

QString VersionText() {
    return QStringLiteral("Dovrane Storage Analyzer %1\n").arg(QLatin1String(kVersion));
}

ParsedCommandLine ParseCommandLine(const QStringList& arguments) {
    ParsedCommandLine result;
    Options& o = result.options;
    const auto fail = [&result](const QString& message) {
        result.exitCode = 2;
        result.text = QStringLiteral("dovrane-storage-analyzer: ") + message;
        return result;
    };
    bool haveRoot = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        QString arg = arguments[i];
        std::optional<QString> inlineValue;
        if (arg.startsWith(u"--") && arg.contains(u'=')) {
            inlineValue = arg.mid(arg.indexOf(u'=') + 1);
            arg = arg.left(arg.indexOf(u'='));
        }
        const auto takeValue = [&]() -> std::optional<QString> {
            if (inlineValue)
                return inlineValue;
            if (i + 1 < arguments.size())
                return arguments[++i];
            return std::nullopt;
        };
        const OptionSpec* row = FindOption(arg.toStdString());
        if (!row && arg.startsWith(u'-') && arg != u"-")
            return fail(QStringLiteral("unknown option '%1' (see --help)").arg(arg));
        if (row && row->value.empty() && inlineValue)
            return fail(arg + QStringLiteral(" takes no value"));
        if (IsWindowOption(arg) || IsHistoryOption(arg)) {
            const auto value = takeValue();
            if (!value)
                return fail(arg + QStringLiteral(" needs a value"));
            const auto error = IsWindowOption(arg) ? ParseWindowOption(arg, *value, o)
                                                   : ParseHistoryOption(arg, *value, o);
            if (error)
                return fail(*error);
            continue;
        }
        if (row && !row->value.empty()) {
            const auto value = takeValue();
            if (!value)
                return fail(arg + QStringLiteral(" needs a value"));
            if (arg == u"--report") {
                if (!ReportKinds().contains(*value))
                    return fail(QStringLiteral("unknown report '%1' (one of: %2)")
                                    .arg(*value, ReportKinds().join(u", ")));
                o.report = *value;
            } else if (arg == u"--path") {
                o.path = *value;
            } else if (arg == u"--object-store") {
                if (value->isEmpty())
                    return fail(QStringLiteral("--object-store needs a folder"));
                o.objectStores.append(*value);
            } else if (arg == u"--export" || arg == u"--import") {
                if (value->isEmpty())
                    return fail(arg + QStringLiteral(" needs a file name (- for a stream)"));
                (arg == u"--export" ? o.exportFile : o.importFile) = *value;
            } else if (arg == u"--type") {
                o.type = *value;
            } else if (arg == u"--slices") {
                if (!(o.slices = ParseInt(*value, 1, 1000)))
                    return fail(NotInRange(arg, 1, 1000, *value));
            } else if (arg == u"--format") {
                if (*value == u"text")
                    o.format = ReportFormat::Text;
                else if (*value == u"json")
                    o.format = ReportFormat::Json;
                else
                    return fail(
                        QStringLiteral("--format takes text or json, not '%1'").arg(*value));
            } else if (arg == u"--threads" || arg == u"--pace-ms") {
                const bool threads = arg == u"--threads";
                const int min = threads ? 1 : 0, max = threads ? 64 : 60000;
                const auto number = ParseInt(*value, min, max);
                if (!number)
                    return fail(NotInRange(arg, min, max, *value));
                (threads ? o.threads : o.paceMs) = *number;
            }
        } else if (arg == u"--network") {
            o.network = true;
        } else if (arg == u"--timing") {
            o.timing = true;
        } else if (arg == u"--snapshot") {
            o.snapshot = true;
        } else if (arg == u"--list-history") {
            o.listHistory = true;
        } else if (arg == u"--help" || arg == u"-h") {
            result.exitCode = 0;
            result.text = UsageText();
            return result;
        } else if (arg == u"--version") {
            result.exitCode = 0;
            result.text = VersionText();
            return result;
        } else if (haveRoot) {
            return fail(QStringLiteral("one device root only, not also '%1'").arg(arg));
        } else {
            o.deviceRoot = arg;
            haveRoot = true;
        }
    }
    if (!o.importFile.isEmpty() && haveRoot)
        return fail(QStringLiteral("--import and a device root exclude each other"));
    if (!o.exportFile.isEmpty() && (!o.report.isEmpty() || !o.screenshot.isEmpty()))
        return fail(QStringLiteral("--export writes the scan: not with --report or --screenshot"));
    if (o.report == u"type-files" && !o.type)
        return fail(QStringLiteral("--report type-files needs --type TYPE"));
    if (!o.dialog.isEmpty() && o.screenshot.isEmpty())
        return fail(QStringLiteral("--dialog needs --screenshot FILE"));
    if (!o.screenshot.isEmpty() && !o.report.isEmpty())
        return fail(QStringLiteral("--screenshot and --report exclude each other"));
    if (const auto error = HistoryOptionsError(o))
        return fail(*error);
    if (o.timing && !o.report.isEmpty())
        return fail(QStringLiteral("--timing is for the window's pies, not for --report"));
    // Without --scale a desktop that does not scale draws at the handheld's 2.
    if (o.size)
        if (const auto error = WindowSizeError(*o.size, o.scale.value_or(2)))
            return fail(*error);
    return result;
}

std::optional<QString> WindowSizeError(QSize size, double scale) {
    const double width = std::ceil(size.width() * scale);
    const double height = std::ceil(size.height() * scale);
    if (width <= kMostWindowSide && height <= kMostWindowSide &&
        width * height <= kMostWindowPixels)
        return std::nullopt;
    return QStringLiteral(
               "--size %1x%2 at scale %3 is %4x%5 pixels; a window may have at most %6 a side "
               "and %7 in all (%8 MiB)")
        .arg(size.width())
        .arg(size.height())
        .arg(scale)
        .arg(width, 0, 'f', 0)
        .arg(height, 0, 'f', 0)
        .arg(kMostWindowSide)
        .arg(kMostWindowPixels)
        .arg(kMostWindowPixels * 4 / (1024 * 1024));
}

}  // namespace dovrane::app
