#pragma once
// The bordered list under a pie that names its slices: a colour box and a name per row,
// 17 pixels a row, scrolled vertically when the rows do not fit; a tap on a row asks the
// owner to open that entry. It keeps no copy of the rows: every paint and tap reads them
// from its owner, so the owner only calls UpdateScroll() and repaints after its data
// changed.
//
// High-DPI: all figures are device-independent pixels; the boxes are filled rectangles
// and the text is drawn by QPainter, so both stay sharp at any device pixel ratio.

#include <QAbstractScrollArea>
#include <QRect>
#include <QString>

#include "engine/settings.h"

namespace dovrane::charts {

// What a legend reads from the view that owns it. Called on the user-interface thread at
// every paint and tap; while legendHasData() is false nothing else is asked.
class LegendOwner {
public:
    virtual ~LegendOwner() = default;
    virtual bool legendHasData() const = 0;
    // C, the entries of the chart, largest first.
    virtual int legendEntryCount() const = 0;
    // Name of entry `index`, 0 <= index < C.
    virtual QString legendEntryName(int index) const = 0;
    // Whether the chart has an "Other" slice (its size is not 0).
    virtual bool legendHasOther() const = 0;
    // N, the setting "Number Of Slices".
    virtual int legendNumberOfSlices() const = 0;
    // The owner's OpenEntry: a tapped row below min(C, N), "Other" included.
    virtual void legendRowTapped(int index) = 0;
    // A last row without a colour box that no tap opens ("Freed 1.2 GB"); empty: none.
    virtual QString legendNote() const { return {}; }
};

// The two legends differ in the width of the colour box by one pixel.
enum class LegendKind { Folder, FileType };

inline constexpr int kLegendRowHeight = 17;

// n: the named rows, N - 1 when C > N, else C.
int LegendNamedRows(int entryCount, int numberOfSlices);
// n plus the "Other" row and the note row when there are; 0 without data.
int LegendRowCount(const LegendOwner& owner);
// Row k's band starts at y = 17 * k - scroll position. Rectangles as QRect (right and
// bottom inclusive): the black box outline, the colour inside it, the name's cell.
QRect LegendBoxOutline(LegendKind kind, int y);
QRect LegendBoxFill(LegendKind kind, int y);
QRect LegendTextRect(int y, int clientWidth);

// The scroll requests and where each moves the position p (h: the client height).
enum class LegendScroll { LineUp, LineDown, PageUp, PageDown, ThumbPosition, ThumbTrack, Other };
int LegendScrollTarget(LegendScroll request, int position, int scrollMax, int clientHeight,
                       int thumb);
// The row under client y: y / 17 without a scroll range, else (position + y) / 17.
int LegendTapIndex(int y, int scrollMax, int position);

class CLegendList : public QAbstractScrollArea {
    Q_OBJECT

public:
    // `owner` must outlive the control; `colors` (the owner's colour table, read at every
    // paint) too. A null `colors` paints the factory colours.
    CLegendList(LegendKind kind, LegendOwner* owner, const engine::SliceColors* colors,
                QWidget* parent = nullptr);

    // After the owner's data changed: the range for min(C, N) rows, the scroll bar shown
    // only when they do not fit, and the position back at the top. Nothing without data.
    void UpdateScroll();

    LegendKind kind() const { return m_kind; }
    LegendOwner* owner() const { return m_owner; }
    void setColors(const engine::SliceColors* colors);
    // 0 when every row fits and the scroll bar is hidden.
    int scrollMax() const { return m_scrollMax; }
    // The position the rows are drawn at: the scroll bar's, or 0 without a range.
    int scrollPosition() const;
    // The row the keys act on (Up, Down, Page Up/Down, Home, End move it; Enter and Space
    // tap it), outlined while the focus came by the keyboard; back to 0 with new data.
    int focusRow() const { return m_focusRow; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void SetScrollRange(bool toTop);
    void OnScrollAction(int action);
    int ClientHeight() const;
    bool ShowsFocusRow() const;

    LegendKind m_kind;
    LegendOwner* m_owner;
    const engine::SliceColors* m_colors;
    int m_scrollMax = 0;
    int m_focusRow = 0;
};

}  // namespace dovrane::charts
