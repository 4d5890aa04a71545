// Writes the bash completion from the option table, at build time: the script that the
// package installs can offer nothing the program does not take, and misses nothing it does.

#include <cstdio>
#include <string>

#include "app/option_table.h"

namespace {

using dovrane::app::Completion;
using dovrane::app::kOptions;

std::string Names(Completion completion) {
    std::string names;
    for (const auto& row : kOptions)
        if (!row.value.empty() && row.completion == completion)
            names += (names.empty() ? "" : " | ") + std::string(row.name);
    return names;
}

void Branch(const std::string& names, const std::string& body) {
    if (!names.empty())
        std::printf("        %s)\n%s            return\n            ;;\n", names.c_str(),
                    body.c_str());
}

}  // namespace

int main() {
    std::printf(
        "# bash completion for dovrane-storage-analyzer, made from the program's own option\n"
        "# table: options, their values, and folders for DEVICE_ROOT.\n\n"
        "_dovrane_storage_analyzer() {\n"
        "    local cur prev words cword\n"
        "    _init_completion -s || return\n\n"
        "    case $prev in\n");
    for (const auto& row : kOptions) {
        if (row.completion != Completion::Words && row.completion != Completion::WordsOrFiles)
            continue;
        std::string body =
            "            COMPREPLY=($(compgen -W '" + std::string(row.words) + "' -- \"$cur\"))\n";
        if (row.completion == Completion::WordsOrFiles)
            body += "            _filedir\n";
        Branch(std::string(row.name), body);
    }
    Branch(Names(Completion::Png), "            _filedir png\n");
    Branch(Names(Completion::Folders), "            _filedir -d\n");
    Branch(Names(Completion::Files), "            _filedir\n");
    Branch(Names(Completion::None), "");
    std::string all;
    for (const auto& row : kOptions)
        all += (all.empty() ? "" : " ") + std::string(row.name);
    std::printf(
        "    esac\n\n"
        "    $split && return\n\n"
        "    if [[ $cur == -* ]]; then\n"
        "        COMPREPLY=($(compgen -W '%s' -- \"$cur\"))\n"
        "        [[ ${COMPREPLY-} == *= ]] && compopt -o nospace\n"
        "        return\n"
        "    fi\n"
        "    _filedir -d\n"
        "} &&\n"
        "    complete -F _dovrane_storage_analyzer dovrane-storage-analyzer\n",
        all.c_str());
    return 0;
}
