#pragma once
// The Overview: memory and storage at a glance. Four small two-colour pies, one a quarter
// of the window, each with a two-line legend carrying its figures:
//
//   (W/4, H/4)   main memory: program (blue) and storage (yellow)
//   (3W/4, H/4)  program memory: in use (red) and free (green)
//   (W/4, 3H/4)  storage memory: in use and free
//   (3W/4, 3H/4) the storage card chosen in the card list (id 105), or " No Storage Card"
//
// A "..." button (id 104) opens the details dialog; a tap on a pie opens a Control Panel
// page, or for the storage pie the Folder View. Everything follows the window's W and H:
// beyond the design's 240 x 294 the pies grow with their quarters, and a legend line whose
// figures are too long for its place moves left within its quarter.

#include <QFont>
#include <array>
#include <memory>

#include "charts/pie_chart.h"
#include "dialogs/overview_dlg.h"
#include "engine/settings.h"
#include "views/child_window.h"
#include "views/main_view_link.h"

class QComboBox;
class QPainter;
class QPushButton;

namespace dovrane::engine {
class MemoryStatus;
}
namespace dovrane::platform {
class Device;
}

namespace dovrane::views {

class COverviewView : public CChildWindow {
    Q_OBJECT

public:
    static constexpr int kIdDetailsButton = 104;
    static constexpr int kIdCardList = 105;
    static constexpr int kRadius = 30;

    COverviewView();
    ~COverviewView() override;

    // Set by the main view before the window is created; used by the storage-pie tap.
    MainViewCommands* m_pMainView = nullptr;
    // Where the figures come from; set by the main view before the window is created.
    platform::Device* device = nullptr;

    // Reads the figures afresh and rebuilds the pies and the card list: after creation
    // and for the main view's Refresh.
    void Refresh();

    int refreshCount() const { return m_refreshCount; }
    // Null before the window is created.
    const engine::MemoryStatus* status() const { return m_status.get(); }
    const charts::CPieChart& mainPie() const { return m_mainPie; }
    const charts::CPieChart& programPie() const { return m_programPie; }
    const charts::CPieChart& storagePie() const { return m_storagePie; }
    const charts::CPieChart& cardPie() const { return m_cardPie; }
    QComboBox* cardList() const { return m_cardList; }
    QPushButton* detailsButton() const { return m_detailsButton; }

    // The details dialog for the card chosen in the list (none without one); null without
    // a device. The "..." button runs it modally.
    std::unique_ptr<dialogs::COverviewDlg> MakeDetailsDialog() const;

    // The pie a tap at `point` hits, in the order tried: 0 main, 1 program, 2 storage,
    // 3 card (only with card figures); -1 for none.
    int HitPie(QPoint point) const;
    // The pies' radius in a w x h view: the design's 30 up to its size, then as large as
    // the quarters allow.
    static int RadiusFor(int w, int h);
    int radius() const { return m_nRadius; }

protected:
    bool OnCreate() override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void OnDetails();
    void OnSelChangeCardList();
    void PlaceControls();
    void MakePies();
    // The pies' slices from the figures read last.
    void AddShares();
    QRect CardListRect() const;
    void Draw(QPainter& painter);

    int m_refreshCount = 0;
    std::unique_ptr<engine::MemoryStatus> m_status;
    int m_nRadius = kRadius;
    QPushButton* m_detailsButton = nullptr;
    QFont m_font;      // legends and " No Storage Card"
    QFont m_boldFont;  // quarter titles and the card list
    charts::CPieChart m_mainPie, m_programPie, m_storagePie, m_cardPie;
    // Blue, yellow, red, green.
    static constexpr std::array<engine::ColorRef, 4> m_colors{0xFF0000, 0x00FFFF, 0x0000FF,
                                                              0x00FF00};
    QComboBox* m_cardList = nullptr;
};

}  // namespace dovrane::views
