#pragma once
// The Explorer View as the window shows it, its root expanded, for the benchmarks.

#include <QWidget>

#include "views/explorer_view.h"

namespace dovrane::bench {

struct ShownExplorer {
    explicit ShownExplorer(platform::Device& device) {
        host.resize(240, 320);
        view.device = &device;
        view.Create(&host, QRect(0, 26, 240, 294));
        host.show();
        view.ExpandRoot();
    }
    QWidget host;
    views::CExplorerView view;
};

}  // namespace dovrane::bench
