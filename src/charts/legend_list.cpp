#include "charts/legend_list.h"

#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <cmath>

#include "charts/color_ref.h"
#include "charts/point_font.h"
#include "engine/slice_rules.h"

namespace dovrane::charts {
namespace {

int VisibleRowLimit(const LegendOwner& owner) {
    return std::min(owner.legendEntryCount(), engine::SliceLimit(owner.legendNumberOfSlices()));
}

}  // namespace

int LegendNamedRows(int entryCount, int numberOfSlices) {
    const int n = engine::SliceLimit(numberOfSlices);
    return entryCount > n ? n - 1 : entryCount;
}

int LegendRowCount(const LegendOwner& owner) {
    if (!owner.legendHasData())
        return 0;
    const int named = LegendNamedRows(owner.legendEntryCount(), owner.legendNumberOfSlices());
    return named + (owner.legendHasOther() ? 1 : 0) + (owner.legendNote().isEmpty() ? 0 : 1);
}

QRect LegendBoxOutline(LegendKind kind, int y) {
    // Rectangle(4, y + 2, 25 or 24, y + 17): right and bottom are exclusive there.
    return QRect(QPoint(4, y + 2), QPoint(kind == LegendKind::Folder ? 24 : 23, y + 16));
}

QRect LegendBoxFill(LegendKind kind, int y) {
    return QRect(5, y + 3, kind == LegendKind::Folder ? 19 : 18, 13);
}

QRect LegendTextRect(int y, int clientWidth) {
    return QRect(QPoint(32, y + 2), QPoint(clientWidth - 1, y + 18));
}

int LegendScrollTarget(LegendScroll request, int position, int scrollMax, int clientHeight,
                       int thumb) {
    switch (request) {
        case LegendScroll::LineUp:
            return position >= 1 ? std::max(position - kLegendRowHeight, 0) : position;
        case LegendScroll::LineDown:
            return position < scrollMax ? std::min(position + kLegendRowHeight, scrollMax)
                                        : position;
        case LegendScroll::PageUp:
            return position >= 1 ? std::max(position - clientHeight, 0) : position;
        case LegendScroll::PageDown:
            return position < scrollMax ? std::min(position + clientHeight, scrollMax) : position;
        case LegendScroll::ThumbPosition:
        case LegendScroll::ThumbTrack:
            return thumb;
        case LegendScroll::Other:
            break;
    }
    return position;
}

int LegendTapIndex(int y, int scrollMax, int position) {
    return (scrollMax <= 0 ? y : position + y) / kLegendRowHeight;
}

CLegendList::CLegendList(LegendKind kind, LegendOwner* owner, const engine::SliceColors* colors,
                         QWidget* parent)
    : QAbstractScrollArea(parent), m_kind(kind), m_owner(owner), m_colors(colors) {
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    // Reached by Tab, never by a tap: a tap acts at once and needs no focus.
    setFocusPolicy(Qt::TabFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Text in the handheld's window default font, black on white.
    setFont(CreatePointFont(QStringLiteral("Tahoma"), 9));
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    QScrollBar* bar = verticalScrollBar();
    bar->setSingleStep(kLegendRowHeight);
    bar->setRange(0, 0);
    // The scroll bar's own menu offers moves the requests table does not have.
    bar->setContextMenuPolicy(Qt::NoContextMenu);
    connect(bar, &QAbstractSlider::actionTriggered, this, &CLegendList::OnScrollAction);
}

void CLegendList::setColors(const engine::SliceColors* colors) {
    m_colors = colors;
    viewport()->update();
}

int CLegendList::scrollPosition() const {
    return m_scrollMax >= 1 ? verticalScrollBar()->value() : 0;
}

int CLegendList::ClientHeight() const {
    // Not the viewport's height: that is only laid out once the control is shown.
    return contentsRect().height();
}

void CLegendList::UpdateScroll() {
    m_focusRow = 0;
    SetScrollRange(true);
}

bool CLegendList::ShowsFocusRow() const {
    return hasFocus() && window()->testAttribute(Qt::WA_KeyboardFocusChange) &&
           m_owner != nullptr && m_owner->legendHasData() && LegendRowCount(*m_owner) > 0;
}

void CLegendList::keyPressEvent(QKeyEvent* event) {
    if (m_owner == nullptr || !m_owner->legendHasData()) {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    const int rows = LegendRowCount(*m_owner);
    const int pageRows = std::max(1, ClientHeight() / kLegendRowHeight);
    int row = m_focusRow;
    switch (event->key()) {
        case Qt::Key_Up:
            row -= 1;
            break;
        case Qt::Key_Down:
            row += 1;
            break;
        case Qt::Key_PageUp:
            row -= pageRows;
            break;
        case Qt::Key_PageDown:
            row += pageRows;
            break;
        case Qt::Key_Home:
            row = 0;
            break;
        case Qt::Key_End:
            row = rows - 1;
            break;
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Space:
            // As a tap on the row; the "Other" row is the owner's to ignore.
            if (m_focusRow < VisibleRowLimit(*m_owner))
                m_owner->legendRowTapped(m_focusRow);
            return;
        default:
            QAbstractScrollArea::keyPressEvent(event);
            return;
    }
    m_focusRow = std::clamp(row, 0, std::max(0, rows - 1));
    // Scrolled just enough to show the row whole.
    QScrollBar* bar = verticalScrollBar();
    const int top = kLegendRowHeight * m_focusRow;
    if (m_scrollMax > 0) {
        if (top < bar->value())
            bar->setValue(top);
        else if (top + kLegendRowHeight > bar->value() + ClientHeight())
            bar->setValue(std::min(m_scrollMax, top + kLegendRowHeight - ClientHeight()));
    }
    viewport()->update();
}

void CLegendList::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

void CLegendList::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}

void CLegendList::SetScrollRange(bool toTop) {
    // Without data (a rescan replacing it) there are no rows to scroll to.
    const bool haveRows = m_owner != nullptr && m_owner->legendHasData();
    const int needed = haveRows ? kLegendRowHeight * VisibleRowLimit(*m_owner) : 0;
    const int height = ClientHeight();
    QScrollBar* bar = verticalScrollBar();
    if (needed <= height) {
        m_scrollMax = 0;
        bar->setRange(0, 0);  // nothing left over for a wheel to move while it is hidden
        setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        return;
    }
    m_scrollMax = needed - height;
    const int position = toTop ? 0 : std::min(bar->value(), m_scrollMax);
    bar->setRange(0, m_scrollMax);
    bar->setPageStep(height);
    bar->setValue(position);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    viewport()->update();
}

void CLegendList::OnScrollAction(int action) {
    LegendScroll request = LegendScroll::Other;
    switch (action) {
        case QAbstractSlider::SliderSingleStepSub:
            request = LegendScroll::LineUp;
            break;
        case QAbstractSlider::SliderSingleStepAdd:
            request = LegendScroll::LineDown;
            break;
        case QAbstractSlider::SliderPageStepSub:
            request = LegendScroll::PageUp;
            break;
        case QAbstractSlider::SliderPageStepAdd:
            request = LegendScroll::PageDown;
            break;
        case QAbstractSlider::SliderMove:
            request = LegendScroll::ThumbTrack;
            break;
        default:
            break;
    }
    // The slider has already moved to where Qt would go; the table decides, from the
    // position before the request.
    QScrollBar* bar = verticalScrollBar();
    bar->setSliderPosition(LegendScrollTarget(request, bar->value(), m_scrollMax, ClientHeight(),
                                              bar->sliderPosition()));
}

void CLegendList::scrollContentsBy(int, int) {
    viewport()->update();
}

void CLegendList::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    // The desktop window can be resized, which the handheld's never was: keep the range
    // right for the new height without jumping back to the top.
    SetScrollRange(false);
}

void CLegendList::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), Qt::white);
    if (m_owner == nullptr || !m_owner->legendHasData())
        return;
    const int position = scrollPosition();
    const int width = viewport()->width();
    const engine::SliceColors& colors = m_colors ? *m_colors : engine::kDefaultSliceColors;
    const int named = LegendNamedRows(m_owner->legendEntryCount(), m_owner->legendNumberOfSlices());
    const int rows = LegendRowCount(*m_owner);
    const QRect dirty = event->rect();
    // Only the rows in the repainted band: a long legend costs no more than a short one.
    const int first = std::max(0, (position + dirty.top()) / kLegendRowHeight - 1);
    const int last = std::min(rows - 1, (position + dirty.bottom()) / kLegendRowHeight + 1);
    painter.setPen(Qt::black);
    const int noteRow = m_owner->legendNote().isEmpty() ? -1 : rows - 1;
    for (int k = first; k <= last; ++k) {
        const int y = kLegendRowHeight * k - position;
        if (k != noteRow) {
            painter.fillRect(LegendBoxOutline(m_kind, y), Qt::black);
            painter.fillRect(
                LegendBoxFill(m_kind, y),
                ColorFromRef(colors[static_cast<size_t>(k % engine::kSliceColorCount)]));
        }
        const QString text = k == noteRow ? m_owner->legendNote()
                             : k < named  ? m_owner->legendEntryName(k)
                                          : engine::kOtherName;
        // DrawText without DT_NOPREFIX: "&" marks a mnemonic, "&&" is one ampersand.
        painter.drawText(
            LegendTextRect(y, width),
            Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextShowMnemonic, text);
    }
    if (ShowsFocusRow()) {
        QPen dotted(Qt::black, 1, Qt::DotLine);
        painter.setPen(dotted);
        const int y = kLegendRowHeight * m_focusRow - position;
        painter.drawRect(QRect(1, y + 1, width - 3, kLegendRowHeight - 1));
    }
}

void CLegendList::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || m_owner == nullptr || !m_owner->legendHasData())
        return;
    const int y = static_cast<int>(std::floor(event->position().y()));
    const int index = LegendTapIndex(y, m_scrollMax, verticalScrollBar()->value());
    if (index >= 0 && index < VisibleRowLimit(*m_owner))
        m_owner->legendRowTapped(index);
}

void CLegendList::mouseReleaseEvent(QMouseEvent* event) {
    // Taps act on the press; the release is the control's too, not its owner's.
    event->accept();
}

void CLegendList::mouseDoubleClickEvent(QMouseEvent* event) {
    // The press before it has already tapped; the second press of a double tap does nothing.
    event->accept();
}

}  // namespace dovrane::charts
