#include "dialogs/color_list.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <cmath>

#include "charts/color_ref.h"
#include "charts/point_font.h"

namespace dovrane::dialogs {

void DrawColorRows(QPainter& painter, const std::vector<engine::ColorRef>& colors, int selected,
                   int width) {
    const int count = static_cast<int>(colors.size());
    painter.fillRect(QRect(0, 0, width, kColorRowHeight * count), Qt::white);
    const QColor navy = charts::ColorFromRef(kSelectedRowColor);
    for (int i = 0; i < count; ++i) {
        const int y = kColorRowHeight * i;
        const bool isSelected = i == selected;
        const QColor pen = isSelected ? QColor(Qt::white) : QColor(Qt::black);
        if (isSelected)
            painter.fillRect(QRect(0, y, width, kColorRowHeight), navy);
        painter.setPen(pen);
        painter.drawText(QRect(0, y + 2, 30, 16),
                         Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine,
                         QString::number(i + 1));
        // The swatch: a one-pixel outline in the row's pen from x 35 to width - 5, y + 2 to
        // y + 18, the colour filling all of its inside.
        painter.fillRect(QRect(QPoint(35, y + 2), QPoint(width - 5, y + 18)), pen);
        painter.fillRect(QRect(36, y + 3, width - 41, 15),
                         charts::ColorFromRef(colors[static_cast<size_t>(i)]));
    }
}

int ColorListScrollTarget(ColorListScroll request, int position, int scrollMax, int clientHeight,
                          int thumb) {
    switch (request) {
        case ColorListScroll::LineUp:
            return std::max(position - kColorRowHeight, 0);
        case ColorListScroll::LineDown:
            return std::min(position + kColorRowHeight, scrollMax);
        case ColorListScroll::PageUp:
            return std::max(position - clientHeight, 0);
        case ColorListScroll::PageDown:
            return std::min(position + clientHeight, scrollMax);
        case ColorListScroll::Thumb:
            return thumb;
        case ColorListScroll::Other:
            break;
    }
    return position;
}

int ColorListVisiblePosition(int selected, int position, int scrollMax, int clientHeight) {
    const int first = position / kColorRowHeight;
    const int last = (position + clientHeight) / kColorRowHeight;
    if (selected <= first)
        position = kColorRowHeight * selected;
    else if (selected >= last)
        position = kColorRowHeight * (selected + 1) - clientHeight;
    return std::clamp(position, 0, std::max(scrollMax, 0));
}

CColorList::CColorList(QWidget* parent) : QAbstractScrollArea(parent) {
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    setFocusPolicy(Qt::StrongFocus);  // the arrow keys walk the rows
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFont(charts::CreatePointFont(QStringLiteral("Tahoma"), 9));
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    QScrollBar* bar = verticalScrollBar();
    bar->setSingleStep(kColorRowHeight);
    bar->setRange(0, 0);
    bar->setContextMenuPolicy(Qt::NoContextMenu);  // its menu has moves the table lacks
    connect(bar, &QAbstractSlider::actionTriggered, this, &CColorList::OnScrollAction);
}

int CColorList::ClientHeight() const {
    // Not the viewport's: that is laid out only once the control is shown.
    return contentsRect().height();
}

int CColorList::ClientWidth() const {
    const int bar = m_scrollMax >= 1 ? verticalScrollBar()->sizeHint().width() : 0;
    return std::max(contentsRect().width() - bar, 0);
}

void CColorList::Setup() {
    const int total = kColorRowHeight * static_cast<int>(colors.size());
    const int height = ClientHeight();
    m_visibleHeight = height;
    m_scrollMax = total <= height ? 0 : total - height;
    QScrollBar* bar = verticalScrollBar();
    if (m_scrollMax >= 1) {
        bar->setRange(0, m_scrollMax);
        bar->setPageStep(height);
        setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    } else {
        bar->setRange(0, 0);
        setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    }
    SetScrollPos(std::min(m_scrollPos, m_scrollMax));
    const qreal ratio = devicePixelRatioF();
    const QSize size(ClientWidth(), std::max(total, height));
    m_memBitmap = QImage((QSizeF(size) * ratio).toSize(), QImage::Format_RGB32);
    m_memBitmap.setDevicePixelRatio(ratio);
    m_memBitmap.fill(Qt::white);
    Render();
}

void CColorList::Render() {
    if (!m_memBitmap.isNull()) {
        QPainter painter(&m_memBitmap);
        painter.setFont(font());
        DrawColorRows(painter, colors, m_selected, ClientWidth());
    }
    viewport()->update();
}

void CColorList::SetSelected(int index) {
    if (index != -1 && (index < 0 || index >= static_cast<int>(colors.size())))
        return;
    m_selected = index;
    Render();
}

void CColorList::SetScrollPos(int position) {
    m_scrollPos = position;
    verticalScrollBar()->setValue(position);
    viewport()->update();
}

void CColorList::EnsureSelectedVisible() {
    if (m_selected < 0 || m_selected >= static_cast<int>(colors.size()))
        return;
    SetScrollPos(ColorListVisiblePosition(m_selected, m_scrollPos, m_scrollMax, ClientHeight()));
}

void CColorList::OnScrollAction(int action) {
    ColorListScroll request = ColorListScroll::Other;
    switch (action) {
        case QAbstractSlider::SliderSingleStepSub:
            request = ColorListScroll::LineUp;
            break;
        case QAbstractSlider::SliderSingleStepAdd:
            request = ColorListScroll::LineDown;
            break;
        case QAbstractSlider::SliderPageStepSub:
            request = ColorListScroll::PageUp;
            break;
        case QAbstractSlider::SliderPageStepAdd:
            request = ColorListScroll::PageDown;
            break;
        case QAbstractSlider::SliderMove:
            request = ColorListScroll::Thumb;
            break;
        default:
            break;
    }
    // The slider has already moved where Qt would go; the table decides, from the position
    // before the request.
    QScrollBar* bar = verticalScrollBar();
    bar->setSliderPosition(ColorListScrollTarget(request, bar->value(), m_scrollMax,
                                                 m_visibleHeight, bar->sliderPosition()));
}

void CColorList::scrollContentsBy(int, int) {
    // Taps follow what is shown, a dragged thumb included.
    m_scrollPos = verticalScrollBar()->value();
    viewport()->update();
}

void CColorList::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    Setup();
}

void CColorList::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), Qt::white);
    if (m_memBitmap.isNull())
        return;
    const qreal ratio = m_memBitmap.devicePixelRatio();
    const int source = m_scrollMax >= 1 ? m_scrollPos : 0;
    const QRectF target(0, 0, ClientWidth(), ClientHeight());
    painter.drawImage(target, m_memBitmap,
                      QRectF(0, source * ratio, target.width() * ratio, target.height() * ratio));
}

void CColorList::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    const int y = static_cast<int>(std::floor(event->position().y()));
    const int index = (m_scrollPos + y) / kColorRowHeight;
    if (y >= 0 && index < static_cast<int>(colors.size())) {
        SetSelected(index);
        emit selectionChanged(index);
    }
}

void CColorList::mouseDoubleClickEvent(QMouseEvent* event) {
    // The first press has selected the row under the pointer, if there is one.
    const int y = static_cast<int>(std::floor(event->position().y()));
    if (event->button() == Qt::LeftButton && m_selected >= 0 &&
        (m_scrollPos + y) / kColorRowHeight == m_selected)
        emit rowActivated(m_selected);
}

void CColorList::keyPressEvent(QKeyEvent* event) {
    const int count = static_cast<int>(colors.size());
    int index = m_selected;
    if (event->key() == Qt::Key_Up)
        index = m_selected <= 0 ? 0 : m_selected - 1;
    else if (event->key() == Qt::Key_Down)
        index = std::min(m_selected + 1, count - 1);
    else
        return QAbstractScrollArea::keyPressEvent(event);
    if (count == 0 || index == m_selected)
        return;
    SetSelected(index);
    EnsureSelectedVisible();
    emit selectionChanged(index);
}

}  // namespace dovrane::dialogs
