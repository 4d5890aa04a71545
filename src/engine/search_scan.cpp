#include "engine/search_scan.h"

#include "platform/content_reader.h"

namespace dovrane::engine {

std::optional<FoundFiles> FileSearchWork::operator()(const WalkControl& control) const {
    FoundFiles found{std::make_unique<FileSearch>(), {}, {}};
    content->reading = false;
    bool ok = device && found.search->SearchFiles(*device, start, largest || sameContent, control);
    if (ok && sameContent) {
        content->reading = true;
        const auto reader = platform::MakeContentReader(*device);
        found.identical = FindIdenticalFiles(found.search->list(), found.search->allFiles().files,
                                             *reader, control.scanning, &content->progress);
        ok = found.identical.has_value();
    }
    if (!ok && control.stopped())
        return std::nullopt;  // its owner is going and wants nothing back
    found.header = FileSearch::HeaderText(start);
    return found;
}

}  // namespace dovrane::engine
