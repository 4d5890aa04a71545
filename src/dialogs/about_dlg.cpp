#include "dialogs/about_dlg.h"

#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <algorithm>

#include "charts/point_font.h"
#include "dialogs/colors.h"
#include "dialogs/control_id.h"
#include "dialogs/dialog_units.h"
#include "dialogs/full_screen.h"
#include "version.h"

namespace dovrane::dialogs {
namespace {

constexpr int kCaptionHeight = 26;
constexpr int kIconSize = 32;
const QColor kCaptionColor(0, 0, 128);

QLabel* CenteredText(const QString& text, int id, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    SetDlgCtrlID(label, id);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    label->setWordWrap(true);  // a name wider than the screen wraps rather than vanish
    return label;
}

}  // namespace

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(DialogOwner(parent)) {
    setWindowTitle(QStringLiteral("About"));
    setFont(charts::CreatePointFont(QStringLiteral("Tahoma"), 9));
    setAutoFillBackground(true);
    QPalette background = palette();
    background.setColor(QPalette::Window, Qt::white);
    setPalette(background);

    m_caption = new QLabel(windowTitle(), this);
    m_caption->setFont(charts::CreatePointFont(QStringLiteral("Tahoma"), 9, true));
    SetTextColor(m_caption, Qt::white);
    m_ok = new QPushButton(QStringLiteral("OK"), this);
    SetDlgCtrlID(m_ok, kIdOk);
    m_ok->setDefault(true);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);

    m_font = charts::CreatePointFont(QStringLiteral("Tahoma"), 14, true);
    m_name = CenteredText(QStringLiteral("Dovrane Storage Analyzer"), kIdAboutName, this);
    m_platform = CenteredText(QStringLiteral("for Pocket PC"), kIdAboutPlatform, this);
    for (QLabel* label : {m_name, m_platform}) {
        label->setFont(m_font);
        SetTextColor(label, kBlue);
    }
    // Major and minor only: the box reads "Version 2.0" for every 2.0.x.
    m_version = CenteredText(QStringLiteral("Version %1.%2").arg(kVersionMajor).arg(kVersionMinor),
                             kIdAboutVersion, this);
    m_icon = new QLabel(this);
    SetDlgCtrlID(m_icon, kIdAboutIcon);
    m_icon->setPixmap(QApplication::windowIcon().pixmap(kIconSize, kIconSize));
    m_icon->setAlignment(Qt::AlignHCenter | Qt::AlignTop);

    resize(240, 320);
    CoverOwner(this, parentWidget());
    Layout();
}

CAboutDlg::~CAboutDlg() = default;

// The template's texts and icon are centred on the dialog; their rows come from its
// dialog units, below the caption bar, and move down when a text above needs two lines.
void CAboutDlg::Layout() {
    const int w = width();
    m_caption->setGeometry(6, 0, w - 60, kCaptionHeight);
    m_ok->setGeometry(w - 50, 3, 46, kCaptionHeight - 6);

    const DialogUnits units(font());
    int below = kCaptionHeight;
    const auto row = [&](QWidget* control, int top, int height, int contentHeight) {
        const int y = std::max(kCaptionHeight + units.y(top), below);
        const int h = std::max(units.y(height), contentHeight);
        control->setGeometry(2, y, w - 4, h);
        below = y + h;
    };
    const struct {
        QLabel* label;
        int top, height;  // dialog units
    } texts[] = {{m_name, 8, 13}, {m_platform, 24, 13}, {m_version, 40, 8}};
    for (const auto& text : texts) {
        const QFontMetrics metrics(text.label->font());
        const int lines = metrics.horizontalAdvance(text.label->text()) > w - 4 ? 2 : 1;
        row(text.label, text.top, text.height, lines * metrics.height());
    }
    row(m_icon, 117, 20, kIconSize);
}

void CAboutDlg::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    Layout();
}

void CAboutDlg::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.fillRect(0, 0, width(), kCaptionHeight, kCaptionColor);
}

}  // namespace dovrane::dialogs
