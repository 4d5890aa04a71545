#pragma once
// The folder legend's side of the owner: the rows of the shown folder, its entries by size
// with "Other" when part of the folder was folded into it. The Folder View derives from it,
// says which folder is shown and what a tapped row opens.

#include "charts/legend_list.h"
#include "engine/folder_tree.h"

namespace dovrane::charts {

class FolderLegendOwner : public LegendOwner {
public:
    bool legendHasData() const override { return legendFolder() != nullptr; }
    int legendEntryCount() const override {
        return static_cast<int>(legendFolder()->childrenBySize().size());
    }
    QString legendEntryName(int index) const override {
        return legendFolder()->childrenBySize()[static_cast<size_t>(index)]->name();
    }
    bool legendHasOther() const override { return legendFolder()->otherSize != 0; }

protected:
    // The folder shown, or null: none yet, or a scan is replacing the tree it points into.
    virtual const engine::FolderNode* legendFolder() const = 0;
};

}  // namespace dovrane::charts
