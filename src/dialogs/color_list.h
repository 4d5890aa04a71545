#pragma once
// The self-drawn list of the sixteen slice colours in Preferences: one numbered row of 20
// pixels per colour with a swatch, the selected row in white on navy. All rows are drawn
// into one image (client width x max(20 * rows, client height)) after every change, and
// a paint copies the band at the scroll position; a tap selects the row under it through
// the same position.
//
// High-DPI: figures are device-independent pixels; the image is made at the screen's
// device pixel ratio so that the numbers stay sharp.

#include <QAbstractScrollArea>
#include <QImage>
#include <vector>

#include "engine/settings.h"

class QPainter;

namespace dovrane::dialogs {

constexpr int kIdColorList = 1001;
constexpr int kColorRowHeight = 20;
constexpr engine::ColorRef kSelectedRowColor = 0x800000;  // navy

// Draws every row of `colors` (row i at y = 20 * i) onto `painter`, `width` pixels wide,
// `selected` (-1: none) highlighted. Paints onto any device: the list's image, a test's.
void DrawColorRows(QPainter& painter, const std::vector<engine::ColorRef>& colors, int selected,
                   int width);

// The scroll requests and where each moves the position p (h: the client height).
enum class ColorListScroll { LineUp, LineDown, PageUp, PageDown, Thumb, Other };
int ColorListScrollTarget(ColorListScroll request, int position, int scrollMax, int clientHeight,
                          int thumb);
// The scroll position that shows `selected` whole, from `position`, clamped to 0..scrollMax.
int ColorListVisiblePosition(int selected, int position, int scrollMax, int clientHeight);

class CColorList : public QAbstractScrollArea {
    Q_OBJECT

public:
    explicit CColorList(QWidget* parent = nullptr);

    // The colours being edited; Render() after changing them.
    std::vector<engine::ColorRef> colors;

    int selected() const { return m_selected; }
    // -1 clears; an index outside the rows is ignored. Renders.
    void SetSelected(int index);
    int scrollMax() const { return m_scrollMax; }
    int scrollPos() const { return m_scrollPos; }
    // The image of all rows, as the last Render() drew it.
    const QImage& image() const { return m_memBitmap; }

    // The scroll range and the image for the current size and rows, then Render(). Runs on
    // every resize, so the range follows a window that the user resizes.
    void Setup();
    // Draws every row into the image and repaints.
    void Render();
    // Scrolls so that the selected row is shown whole; nothing without a selection.
    void EnsureSelectedVisible();

signals:
    // After a tap or a key changed the selection.
    void selectionChanged(int index);
    // A double click on a row: the desktop's way to ask for its colour to be changed.
    void rowActivated(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void OnScrollAction(int action);
    void SetScrollPos(int position);
    int ClientWidth() const;
    int ClientHeight() const;

    int m_scrollMax = 0;
    QImage m_memBitmap;
    int m_visibleHeight = 0;
    int m_selected = -1;
    int m_scrollPos = 0;
};

}  // namespace dovrane::dialogs
