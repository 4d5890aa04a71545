#include "views/overview_view.h"

#include <QComboBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <cmath>

#include "charts/color_ref.h"
#include "charts/point_font.h"
#include "dialogs/colors.h"
#include "dialogs/control_id.h"
#include "engine/memory_status.h"
#include "platform/control_panel.h"

namespace dovrane::views {
namespace {

// Win32's (left, top, right, bottom): right and bottom lie outside.
QRect Win(int left, int top, int right, int bottom) {
    return QRect(left, top, std::max(0, right - left), std::max(0, bottom - top));
}

// A two-colour pie: 0..a in `first`, a..360 in `second`, a being part / whole of a turn;
// no slices when the whole is 0.
void AddShare(charts::CPieChart& pie, double part, double whole, engine::ColorRef first,
              engine::ColorRef second) {
    if (whole == 0)
        return;
    const int a = static_cast<int>(part / whole * 360);
    pie.AddSlice(0, a, first);
    pie.AddSlice(a, 360, second);
}

// Where a legend square goes: at `designX`, or further left (not past its quarter's first
// pixel) so that the text 10 pixels to its right ends before `right`.
int LegendX(int designX, int quarterLeft, int textWidth, int right) {
    return std::max(quarterLeft + 1, std::min(designX, right - 10 - textWidth));
}

constexpr int kTextFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine;
constexpr int kCentred = Qt::AlignCenter | Qt::TextSingleLine;

}  // namespace

COverviewView::COverviewView() = default;
COverviewView::~COverviewView() = default;

bool COverviewView::OnCreate() {
    m_font = charts::CreatePointFont(QStringLiteral("Tahoma"), 8.5);
    m_boldFont = charts::CreatePointFont(QStringLiteral("Tahoma"), 8.5, true);
    m_nRadius = RadiusFor(width(), height());
    MakePies();

    m_detailsButton = new QPushButton(QStringLiteral("..."), this);
    dialogs::SetDlgCtrlID(m_detailsButton, kIdDetailsButton);
    connect(m_detailsButton, &QPushButton::clicked, this, &COverviewView::OnDetails);
    m_cardList = new QComboBox(this);
    dialogs::SetDlgCtrlID(m_cardList, kIdCardList);
    m_cardList->setFont(m_boldFont);
    connect(m_cardList, &QComboBox::currentIndexChanged, this, &COverviewView::OnSelChangeCardList);
    PlaceControls();
    Refresh();
    return true;
}

int COverviewView::RadiusFor(int w, int h) {
    // The design's quarter (120 x 147) leaves 15 pixels beside the pie and 43 under its
    // centre's quarter mark for the legend; a larger quarter keeps those margins.
    return std::max(kRadius, std::min(w / 4 - 15, h / 4 - 43));
}

void COverviewView::MakePies() {
    // These centres serve only the pie engine's own hit test; taps use the quarters.
    const qreal ratio = devicePixelRatioF();
    m_mainPie.Create(m_nRadius, 50, 50, ratio);
    m_programPie.Create(m_nRadius, 150, 50, ratio);
    m_storagePie.Create(m_nRadius, 50, 150, ratio);
    m_cardPie.Create(m_nRadius, 150, 150, ratio);
}

void COverviewView::AddShares() {
    for (charts::CPieChart* pie : {&m_mainPie, &m_programPie, &m_storagePie, &m_cardPie})
        pie->Clear();
    if (!m_status)
        return;
    const engine::MemoryStatus& s = *m_status;
    AddShare(m_mainPie, s.programTotal, s.mainTotal, m_colors[0], m_colors[1]);
    AddShare(m_programPie, s.programUsed, s.programTotal, m_colors[2], m_colors[3]);
    AddShare(m_storagePie, s.storageUsed, s.storageTotal, m_colors[2], m_colors[3]);
    AddShare(m_cardPie, s.cardUsed, s.cardTotal, m_colors[2], m_colors[3]);
}

QRect COverviewView::CardListRect() const {
    const int w = width(), h = height();
    return Win(w / 2, h / 2 + 5, w - 3, h);
}

void COverviewView::PlaceControls() {
    if (!m_detailsButton)
        return;
    const int w = width();
    m_detailsButton->setGeometry(Win(w - 25, 1, w - 1, 20));
    // The rectangle is the list's when dropped; closed, the box is one line high.
    const QRect list = CardListRect();
    m_cardList->setGeometry(list.x(), list.y(), list.width(), m_cardList->sizeHint().height());
}

void COverviewView::resizeEvent(QResizeEvent* event) {
    CChildWindow::resizeEvent(event);
    PlaceControls();
    const int radius = RadiusFor(width(), height());
    if (!m_cardList || radius == m_nRadius)
        return;
    // The figures stay; only the pies are drawn again at their new size.
    m_nRadius = radius;
    MakePies();
    AddShares();
}

void COverviewView::Refresh() {
    ++m_refreshCount;
    if (!m_cardList)
        return;  // no window yet: nothing to fill
    if (!m_status && device)
        m_status = std::make_unique<engine::MemoryStatus>(*device);
    else if (m_status)
        m_status->Refresh();
    AddShares();  // the card pie is made again for the card chosen below
    {
        const QSignalBlocker quiet(m_cardList);
        m_cardList->clear();
        if (m_status)
            m_cardList->addItems(m_status->cards);
    }
    if (m_cardList->count() > 0) {
        m_cardList->show();
        {
            const QSignalBlocker quiet(m_cardList);
            m_cardList->setCurrentIndex(0);
        }
        OnSelChangeCardList();
    } else {
        m_cardList->hide();
    }
    update();  // the other quarters show the new figures too
}

void COverviewView::OnSelChangeCardList() {
    const int index = m_cardList->currentIndex();
    if (index < 0 || !m_status)
        return;
    m_status->ReadCard(index);
    m_cardPie.Clear();
    AddShare(m_cardPie, m_status->cardUsed, m_status->cardTotal, m_colors[2], m_colors[3]);
    repaint(CardListRect());
}

std::unique_ptr<dialogs::COverviewDlg> COverviewView::MakeDetailsDialog() const {
    if (!device)
        return nullptr;
    auto dialog = std::make_unique<dialogs::COverviewDlg>(*device);
    dialog->m_nCard = m_cardList ? m_cardList->currentIndex() : -1;
    return dialog;
}

void COverviewView::OnDetails() {
    if (const auto dialog = MakeDetailsDialog())
        dialog->exec();
}

int COverviewView::HitPie(QPoint point) const {
    const int w = width(), h = height();
    const QPoint centres[4] = {
        {w / 4, h / 4}, {3 * w / 4, h / 4}, {w / 4, 3 * h / 4}, {3 * w / 4, 3 * h / 4}};
    const bool haveCard = m_status && m_status->cardTotal != 0;
    for (int pie = 0; pie < (haveCard ? 4 : 3); ++pie) {
        const int dx = point.x() - centres[pie].x(), dy = point.y() - centres[pie].y();
        const int distance = static_cast<int>(std::sqrt(static_cast<double>(dx * dx + dy * dy)));
        if (distance < m_nRadius)
            return pie;
    }
    return -1;
}

void COverviewView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        const QPoint at(static_cast<int>(std::floor(event->position().x())),
                        static_cast<int>(std::floor(event->position().y())));
        switch (HitPie(at)) {
            case 0:
                platform::OpenControlPanel(QStringLiteral("cplmain.cpl 4,0"));
                break;
            case 1:
                platform::OpenControlPanel(QStringLiteral("cplmain.cpl 4,2"));
                break;
            case 2:
                if (m_pMainView)
                    m_pMainView->OnViewFolder();
                break;
            case 3:
                platform::OpenControlPanel(QStringLiteral("cplmain.cpl 4,1"));
                break;
            default:
                break;
        }
    }
    CChildWindow::mousePressEvent(event);
}

void COverviewView::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    Draw(painter);
}

void COverviewView::Draw(QPainter& painter) {
    const int w = width(), h = height(), r = m_nRadius;
    painter.fillRect(rect(), Qt::white);

    painter.setFont(m_boldFont);
    painter.setPen(dialogs::kBlue);
    const int titleHeight = (h / 2 - 2 * r) / 2;
    painter.drawText(Win(0, 0, w / 2, titleHeight), kCentred, QStringLiteral("Main Memory"));
    painter.drawText(Win(w / 2, 0, w, titleHeight), kCentred, QStringLiteral("Program"));
    painter.drawText(Win(0, h / 2, w / 2, h / 2 + titleHeight), kCentred,
                     QStringLiteral("Storage"));

    painter.setPen(Qt::black);
    painter.setFont(m_font);
    const QFontMetrics metrics(m_font);
    // A legend line: the square, outlined black, and its text on one line ending before
    // `right`; elided only when even the whole quarter is too narrow.
    const auto line = [&](int x, int y, engine::ColorRef color, const QString& text, int right,
                          int bottom) {
        painter.fillRect(Win(x, y, x + 7, y + 7), Qt::black);
        painter.fillRect(Win(x + 1, y + 1, x + 6, y + 6), charts::ColorFromRef(color));
        const QRect box = Win(x + 10, y - 4, right, bottom);
        painter.drawText(box, kTextFlags, metrics.elidedText(text, Qt::ElideRight, box.width()));
    };
    // The two lines at `y` of a left and a right quarter (the right one may be absent): the
    // design's places, each moved left within its quarter as far as its text needs, the
    // left text ending before the right square.
    const auto row = [&](int y, int bottom, engine::ColorRef leftColor, const QString& left,
                         engine::ColorRef rightColor, const QString* right) {
        int limit = w / 2 + 13;
        if (right) {
            // Two pixels kept clear at the window's edge.
            const int x = LegendX(w / 2 + 15, w / 2, metrics.horizontalAdvance(*right), w - 2);
            line(x, y, rightColor, *right, w, bottom);
            limit = x - 3;
        }
        line(LegendX(5, 0, metrics.horizontalAdvance(left), limit), y, leftColor, left, limit,
             bottom);
    };
    const qreal ratio = painter.device()->devicePixelRatioF();
    const auto pie = [&](charts::CPieChart& chart, int cx, int cy) {
        chart.SetDevicePixelRatio(ratio);
        chart.Paint(painter, QPoint(cx - r, cy - r));
    };
    // Before the first figures every text is empty.
    const QString none;
    const auto text = [&](QString engine::MemoryStatus::*field) -> const QString& {
        return m_status ? (*m_status).*field : none;
    };
    using S = engine::MemoryStatus;

    pie(m_mainPie, w / 4, h / 4);
    pie(m_programPie, 3 * w / 4, h / 4);
    const QString programUsed = QStringLiteral("In Use ") + text(&S::programUsedText);
    const QString programFree = QStringLiteral("Free    ") + text(&S::programFreeText);
    row(h / 2 - 26, h / 2, m_colors[0], QStringLiteral("Program ") + text(&S::programTotalText),
        m_colors[2], &programUsed);
    row(h / 2 - 11, h / 2, m_colors[1], QStringLiteral("Storage  ") + text(&S::storageTotalText),
        m_colors[3], &programFree);

    pie(m_storagePie, w / 4, 3 * h / 4);
    const bool haveCard = m_status && m_status->cardTotal != 0;
    const QString cardUsed = QStringLiteral("In Use ") + text(&S::cardUsedText);
    const QString cardFree = QStringLiteral("Free    ") + text(&S::cardFreeText);
    row(h - 26, h, m_colors[2], QStringLiteral("In Use ") + text(&S::storageUsedText), m_colors[2],
        haveCard ? &cardUsed : nullptr);
    row(h - 11, h, m_colors[3], QStringLiteral("Free    ") + text(&S::storageFreeText), m_colors[3],
        haveCard ? &cardFree : nullptr);

    if (haveCard) {
        pie(m_cardPie, 3 * w / 4, 3 * h / 4);
    } else {
        painter.setPen(dialogs::kRed);
        painter.drawText(Win(w / 2, h / 2, w, h), kCentred, QStringLiteral(" No Storage Card"));
    }
}

}  // namespace dovrane::views
