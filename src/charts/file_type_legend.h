#pragma once
// The file-type legend's side of the owner: the rows of the file-type table, its types by
// size with "Other" when part of them was folded into it. The File Type View derives from
// it, says which table is shown and what a tapped row opens.

#include "charts/legend_list.h"
#include "engine/file_types.h"

namespace dovrane::charts {

class FileTypeLegendOwner : public LegendOwner {
public:
    bool legendHasData() const override {
        const engine::FileTypeTable* table = legendTable();
        return table != nullptr && !table->fileTypesBySize().empty();
    }
    int legendEntryCount() const override {
        return static_cast<int>(legendTable()->fileTypesBySize().size());
    }
    QString legendEntryName(int index) const override {
        return legendTable()->fileTypesBySize()[static_cast<size_t>(index)]->name;
    }
    bool legendHasOther() const override { return legendTable()->otherSize != 0; }

protected:
    // The table shown, or null: none yet, or a scan is building the next one.
    virtual const engine::FileTypeTable* legendTable() const = 0;
};

}  // namespace dovrane::charts
