#include "dialogs/analyzer_dialog.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>

#include "charts/point_font.h"
#include "dialogs/colors.h"
#include "dialogs/control_id.h"
#include "dialogs/dialog_units.h"
#include "dialogs/full_screen.h"

namespace dovrane::dialogs {

CAnalyzerDialog::CAnalyzerDialog(int templateId, QWidget* parent)
    : QDialog(DialogOwner(parent)), m_templateId(templateId) {
    setFont(charts::CreatePointFont(QStringLiteral("Tahoma"), 9));
    setAutoFillBackground(true);
    QPalette background = palette();
    background.setColor(QPalette::Window, Qt::white);
    setPalette(background);
    resize(240, 320);  // the device's screen, for a dialog that has no window to cover
    CoverOwner(this, parentWidget());
    // Enter on a list row is the row's; Ctrl+Enter is the default button wherever the focus.
    for (const QKeyCombination keys : {Qt::CTRL | Qt::Key_Return, Qt::CTRL | Qt::Key_Enter}) {
        auto* shortcut = new QShortcut(QKeySequence(keys), this);
        connect(shortcut, &QShortcut::activated, this, [this] {
            auto* ok = qobject_cast<QPushButton*>(GetDlgItem(this, kIdOk));
            for (QPushButton* button : findChildren<QPushButton*>())
                if (button->isDefault())
                    ok = button;
            if (ok && ok->isVisible() && ok->isEnabled())
                ok->click();
        });
    }
}

CAnalyzerDialog::~CAnalyzerDialog() = default;

bool CAnalyzerDialog::OnInitDialog() {
    m_font = charts::CreatePointFont(QStringLiteral("Tahoma"), 8.5, true);
    m_title = new QLabel(m_strTitle, this);
    SetDlgCtrlID(m_title, kIdHeader);
    m_title->setFont(m_font);
    m_title->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    SetTextColor(m_title, kBlue);
    m_title->show();
    if (auto* cancel = GetDlgItem(this, kIdCancel))
        SetTextColor(cancel, kBlue);
    PlaceFrameControls();
    return true;
}

QPushButton* CAnalyzerDialog::CreateCancelButton(const QString& text) {
    auto* button = new QPushButton(text, this);
    SetDlgCtrlID(button, kIdCancel);
    connect(button, &QPushButton::clicked, this, &QDialog::reject);
    return button;
}

void CAnalyzerDialog::PlaceFrameControls() {
    const int w = width();
    if (m_title) {
        m_title->setGeometry(4, 5, w - 70 - 4, 22 - 5);  // (4, 5) to (W - 70, 22)
        SetFittedText(m_title, m_strTitle, m_titleElide);
    }
    if (auto* cancel = GetDlgItem(this, kIdCancel))
        cancel->setGeometry(w - 50, 2, 48, 20);
}

void CAnalyzerDialog::SetTitle(const QString& title, Qt::TextElideMode elide) {
    m_strTitle = title;
    m_titleElide = elide;
    if (m_initialized)
        PlaceFrameControls();
}

void CAnalyzerDialog::showEvent(QShowEvent* event) {
    if (!m_initialized) {
        m_initialized = true;
        OnInitDialog();
    }
    QDialog::showEvent(event);
}

void CAnalyzerDialog::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    if (m_initialized)
        PlaceFrameControls();
}

void CAnalyzerDialog::DrawHeaderLine(QPainter& painter) const {
    painter.setPen(QPen(Qt::black, 1));
    painter.drawLine(0, kHeaderLineY, width(), kHeaderLineY);
}

void CAnalyzerDialog::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    DrawHeaderLine(painter);
}

}  // namespace dovrane::dialogs
