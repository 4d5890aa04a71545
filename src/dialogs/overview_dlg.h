#pragma once
// The Overview details: every memory figure as text, under the dialog frame's header
// "Overview". Four groups split by lines across the width at y 23, 56, 125 and 200: main
// memory; storage memory total, in use, free; program memory; the chosen storage card
// (its values empty when there is none). The labels that begin with "Total" are blue and
// bold. The dialog reads its own figures when it is made; only the card index comes from
// the Overview.

#include <QLabel>
#include <vector>

#include "dialogs/analyzer_dialog.h"
#include "engine/memory_status.h"

namespace dovrane::platform {
class Device;
}

namespace dovrane::dialogs {

constexpr int kIdOverviewDlg = 137;

class COverviewDlg : public CAnalyzerDialog {
    Q_OBJECT

public:
    // One label and its value, by control id.
    struct Row {
        int labelId;
        const char* caption;
        int valueId;
        QString engine::MemoryStatus::*value;
        int top;  // pixels
    };
    static const std::vector<Row>& Rows();
    static constexpr int kLines[4] = {23, 56, 125, 200};

    // Reads every figure of `device` at once; the device outlives the dialog.
    explicit COverviewDlg(platform::Device& device, QWidget* parent = nullptr);
    ~COverviewDlg() override;

    // The card to show, an index into the card list; -1 for none. Set before the dialog
    // is shown.
    int m_nCard = -1;

    const engine::MemoryStatus& status() const { return m_status; }

protected:
    bool OnInitDialog() override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void PlaceRows();

    engine::MemoryStatus m_status;
    std::vector<std::pair<QLabel*, QLabel*>> m_rows;  // label, value; in the order of Rows()
};

}  // namespace dovrane::dialogs
