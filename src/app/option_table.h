#pragma once
// Every command-line option, declared once: its name, the value it takes, its help text and
// what the shell completes for it. The parser, --help and the bash completion are made from
// this table; the manual page is held against it by the install test.

#include <span>
#include <string_view>

namespace dovrane::app {

enum class Completion {
    None,     // nothing to offer (a number, a device path...)
    Words,    // the words of `words`
    Files,    // any file name
    Png,      // a .png file name
    Folders,  // a folder name
    WordsOrFiles,
};

struct OptionSpec {
    constexpr OptionSpec(std::string_view name_, std::string_view value_, std::string_view help_,
                         Completion completion_ = Completion::None, std::string_view words_ = {})
        : name(name_), value(value_), help(help_), completion(completion_), words(words_) {}

    std::string_view name;   // "--report"
    std::string_view value;  // what it takes, as --help names it; empty for a flag
    std::string_view help;   // --help's text; '\n' starts a continued line
    Completion completion;
    std::string_view words;  // for Completion::Words, space-separated
};

// Report kinds and dialog names are checked against their runners by the tests.
inline constexpr OptionSpec kOptions[] = {
    {"--report", "KIND", "print a report instead of opening the window; KIND: %KINDS%",
     Completion::Words,
     "databases duplicates files folders growth identical largest overview type-files types"},
    {"--path", "DEVICE_PATH",
     "the folder to describe or search, as \\usr\\share (default: the root)"},
    {"--type", "TYPE", "the file type of --report type-files (Generic: names without a dot)"},
    {"--slices", "N", "slices of a pie for this run only, 1 to 1000"},
    {"--format", "text|json", "report format (default text)", Completion::Words, "text json"},
    {"--pace-ms", "N", "pause N milliseconds on entering each folder"},
    {"--network", "", "also walk into network file systems"},
    {"--object-store", "DIR",
     "a folder of application databases; repeatable, replaces the\ndefaults (the XDG config, "
     "data and cache folders, ~/.mozilla,\n~/.thunderbird)",
     Completion::Folders},
    {"--export", "FILE",
     "write the scan of the root (or --path) to FILE in ncdu's\nJSON format; - for standard "
     "output; .gz, .zst compress",
     Completion::Files},
    {"--import", "FILE",
     "show or report on a scan FILE (ncdu's JSON format, also\ngzip or zstd) instead of a "
     "folder; - for standard input",
     Completion::Files},
    {"--threads", "N", "most threads that read folders, 1 to 64 (default: 16)"},
    {"--screenshot", "FILE", "draw the window into a PNG file instead of opening it",
     Completion::Png},
    {"--view", "VIEW", "the first view: overview, explorer, folder, filetype", Completion::Words,
     "overview explorer folder filetype"},
    {"--dialog", "NAME", "with --screenshot, draw the dialog NAME over the window",
     Completion::Words,
     "about overview-details preferences color file-list files-in-folder folder-details "
     "file-types properties largest duplicates identical databases"},
    {"--size", "WxH", "the window's client area (default 240x320)"},
    {"--scale", "F",
     "draw at F screen pixels per pixel (default: 2 on a\ndesktop that does not scale, else the "
     "desktop's own)"},
    {"--timing", "", "print how long each pie took from the start of its scan"},
    {"--since", "WHEN",
     "with --report growth: compare with the snapshot of WHEN:\nlast, a date (2026-11-29, UTC), "
     "an age (7d, 12h) or a file",
     Completion::WordsOrFiles, "last 1d 7d 30d"},
    {"--by", "type|folder", "with --report growth: by file type or by folder (default)",
     Completion::Words, "type folder"},
    {"--snapshot", "", "keep the scan of the device root in the history"},
    {"--list-history", "", "list the snapshots of the device root"},
    {"--history-limit", "SIZE",
     "most bytes the history keeps (default: 1G or 1% of its\nfile system, whichever is "
     "smaller)"},
    {"--help", "", "show this text"},
    {"--version", "", "show the version"},
};

// The option named `name` ("--report"; "-h" is --help), or null.
inline const OptionSpec* FindOption(std::string_view name) {
    if (name == "-h")
        name = "--help";
    for (const OptionSpec& row : kOptions)
        if (row.name == name)
            return &row;
    return nullptr;
}

}  // namespace dovrane::app
