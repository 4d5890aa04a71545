#include "dialogs/overview_dlg.h"

#include <QPainter>

#include "dialogs/colors.h"
#include "dialogs/control_id.h"

namespace dovrane::dialogs {
namespace {

constexpr int kRowHeight = 16;

}  // namespace

const std::vector<COverviewDlg::Row>& COverviewDlg::Rows() {
    using S = engine::MemoryStatus;
    static const std::vector<Row> rows{
        {1012, "Total Main Memory:", 1013, &S::mainTotalText, 31},
        {1015, "Total Storage Memory:", 1018, &S::storageTotalText, 63},
        {1019, "In Use:", 1020, &S::storageUsedText, 83},
        {1021, "Free:", 1022, &S::storageFreeText, 103},
        {1024, "Total Program Memory:", 1025, &S::programTotalText, 134},
        {1026, "In Use:", 1027, &S::programUsedText, 155},
        {1028, "Free:", 1029, &S::programFreeText, 176},
        {1030, "Total Storage Card Size:", 1031, &S::cardTotalText, 209},
        {1032, "In Use:", 1033, &S::cardUsedText, 230},
        {1034, "Free:", 1035, &S::cardFreeText, 251},
    };
    return rows;
}

COverviewDlg::COverviewDlg(platform::Device& device, QWidget* parent)
    : CAnalyzerDialog(kIdOverviewDlg, parent), m_status(device) {
    m_strTitle = QStringLiteral("Overview");
    setWindowTitle(m_strTitle);
    CreateCancelButton();
    for (const Row& row : Rows()) {
        auto* label = new QLabel(QString::fromLatin1(row.caption), this);
        SetDlgCtrlID(label, row.labelId);
        auto* value = new QLabel(QStringLiteral("31 MB"), this);
        SetDlgCtrlID(value, row.valueId);
        value->setAlignment(Qt::AlignRight | Qt::AlignTop);
        m_rows.emplace_back(label, value);
    }
    PlaceRows();
}

COverviewDlg::~COverviewDlg() = default;

bool COverviewDlg::OnInitDialog() {
    CAnalyzerDialog::OnInitDialog();
    if (m_nCard != -1 && m_nCard < m_status.cards.size())
        m_status.ReadCard(m_nCard);
    for (size_t i = 0; i < m_rows.size(); ++i) {
        const Row& row = Rows()[i];
        m_rows[i].second->setText(m_status.*row.value);
        if (QLatin1String(row.caption).startsWith(QLatin1String("Total"))) {
            m_rows[i].first->setFont(m_font);
            SetTextColor(m_rows[i].first, kBlue);
        }
    }
    return true;
}

// Label and value share the row's width: the label from the left, the value from the
// right, so long figures of a large disk still fit.
void COverviewDlg::PlaceRows() {
    const int w = width();
    for (size_t i = 0; i < m_rows.size(); ++i) {
        const QRect row(4, Rows()[i].top, w - 8, kRowHeight);
        m_rows[i].first->setGeometry(row);
        m_rows[i].second->setGeometry(row);
    }
}

void COverviewDlg::resizeEvent(QResizeEvent* event) {
    CAnalyzerDialog::resizeEvent(event);
    PlaceRows();
}

void COverviewDlg::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.setPen(QPen(Qt::black, 1));
    for (const int y : kLines)
        painter.drawLine(0, y, width(), y);
}

}  // namespace dovrane::dialogs
