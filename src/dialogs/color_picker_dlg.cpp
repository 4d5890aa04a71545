#include "dialogs/color_picker_dlg.h"

#include <QGroupBox>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSlider>
#include <algorithm>

#include "charts/color_ref.h"
#include "dialogs/colors.h"
#include "dialogs/control_id.h"
#include "dialogs/dialog_units.h"

namespace dovrane::dialogs {
namespace {

constexpr int kTemplateId = 2133;
const QColor kLightGrey = charts::ColorFromRef(0xC0C0C0);
const QColor kDarkGrey = charts::ColorFromRef(0x808080);

QLabel* StaticText(const QString& text, int id, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    SetDlgCtrlID(label, id);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

}  // namespace

const std::array<StandardColor, 10> kStandardColors{{
    {2006, 10, 28, 0x0000FF},
    {2007, 35, 28, 0x00FF00},
    {2009, 60, 28, 0xFF0000},
    {2010, 85, 28, 0x408080},
    {2011, 110, 28, 0xFF00FF},
    {2012, 10, 43, 0xFFFFFF},
    {2008, 35, 43, 0x000000},
    {2013, 60, 43, 0x400080},
    {2014, 85, 43, 0x00FFFF},
    {2015, 110, 43, 0xFFFF00},
}};

QRect PreviewBand(int width) {
    return QRect(QPoint(50, 100), QPoint(width - 51, 129));  // (50, 100) to (W - 50, 130)
}

QPushButton* CreateOkButton(QDialog* dialog) {
    auto* ok = new QPushButton(QStringLiteral("OK"), dialog);
    SetDlgCtrlID(ok, kIdOk);
    SetTextColor(ok, kBlue);
    ok->setDefault(true);  // Enter anywhere in the dialog
    return ok;
}

void PlaceOkButton(QDialog* dialog) {
    if (auto* ok = GetDlgItem(dialog, kIdOk)) {
        ok->setGeometry(dialog->width() - 100, 2, 48, 20);
        ok->raise();  // over the header's clipped end
    }
}

CColorButton::CColorButton(engine::ColorRef color, QWidget* parent)
    : QAbstractButton(parent), m_color(color) {
    setFocusPolicy(Qt::TabFocus);
}

void CColorButton::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    QRect r = rect();
    painter.fillRect(r, Qt::white);
    painter.fillRect(QRect(r.left(), r.top(), r.width(), 1), kLightGrey);
    painter.fillRect(QRect(r.left(), r.top(), 1, r.height()), kLightGrey);
    painter.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), kDarkGrey);
    painter.fillRect(QRect(r.right(), r.top(), 1, r.height()), kDarkGrey);
    // Pressed, the colour grows: the button sinks under the finger.
    const int inset = isDown() ? 1 : 3;
    r.adjust(inset, inset, -inset, -inset);
    painter.fillRect(r, charts::ColorFromRef(m_color));
    if (hasFocus()) {
        painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
        painter.drawRect(rect().adjusted(1, 1, -2, -2));
    }
}

CColorPickerDlg::CColorPickerDlg(QWidget* parent) : CAnalyzerDialog(kTemplateId, parent) {
    setWindowTitle(QStringLiteral("Color"));
    m_strTitle = QStringLiteral("Color Dialog");
    connect(CreateOkButton(this), &QPushButton::clicked, this, &QDialog::accept);
    CreateCancelButton();
    // The group box first, so that the controls inside it lie above it.
    m_group = new QGroupBox(QStringLiteral("Custom Color"), this);
    SetDlgCtrlID(m_group, kIdCustomColor);
    SetTextColor(m_group, kBlue);
    m_standardLabel = StaticText(QStringLiteral("Standard Colors"), kIdStandardColors, this);
    for (size_t i = 0; i < kStandardColors.size(); ++i) {
        const StandardColor& standard = kStandardColors[i];
        m_buttons[i] = new CColorButton(standard.color, this);
        SetDlgCtrlID(m_buttons[i], standard.id);
        connect(m_buttons[i], &QAbstractButton::clicked, this,
                [this, color = standard.color] { OnStandardColor(color); });
    }
    const struct {
        const char* name;
        int labelId;
        int sliderId;
        int valueId;
        QSlider** slider;
    } rows[] = {{"Red", kIdRedLabel, kIdRedSlider, kIdRedValue, &m_redSlider},
                {"Green", kIdGreenLabel, kIdGreenSlider, kIdGreenValue, &m_greenSlider},
                {"Blue", kIdBlueLabel, kIdBlueSlider, kIdBlueValue, &m_blueSlider}};
    for (size_t i = 0; i < std::size(rows); ++i) {
        m_names[i] = StaticText(QString::fromLatin1(rows[i].name), rows[i].labelId, this);
        auto* slider = new QSlider(Qt::Horizontal, this);
        SetDlgCtrlID(slider, rows[i].sliderId);
        slider->setTickPosition(QSlider::NoTicks);
        slider->setRange(0, 255);
        slider->setPageStep(16);
        *rows[i].slider = slider;
        m_values[i] = StaticText(QStringLiteral("0"), rows[i].valueId, this);
        m_values[i]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        connect(slider, &QSlider::valueChanged, this,
                [this, slider](int value) { OnSliderMoved(slider, value); });
    }
    Layout();
}

CColorPickerDlg::~CColorPickerDlg() = default;

engine::ColorRef CColorPickerDlg::color() const {
    return static_cast<engine::ColorRef>(red) | static_cast<engine::ColorRef>(green) << 8 |
           static_cast<engine::ColorRef>(blue) << 16;
}

void CColorPickerDlg::setColor(engine::ColorRef color) {
    red = static_cast<int>(color & 0xFF);
    green = static_cast<int>((color >> 8) & 0xFF);
    blue = static_cast<int>((color >> 16) & 0xFF);
}

QSlider* CColorPickerDlg::slider(int id) const {
    return GetDlgItem<QSlider>(this, id);
}

bool CColorPickerDlg::OnInitDialog() {
    // Each slider writes only its own component back, so the caller's colour survives.
    m_redSlider->setValue(red);
    m_greenSlider->setValue(green);
    m_blueSlider->setValue(blue);
    CAnalyzerDialog::OnInitDialog();
    PlaceOkButton(this);
    m_redSlider->setFocus();
    return true;
}

void CColorPickerDlg::OnSliderMoved(QSlider* slider, int value) {
    if (slider == m_redSlider) {
        red = value;
        m_values[0]->setText(QString::number(value));
    } else if (slider == m_greenSlider) {
        green = value;
        m_values[1]->setText(QString::number(value));
    } else if (slider == m_blueSlider) {
        blue = value;
        m_values[2]->setText(QString::number(value));
    }
    repaint(PreviewBand(width()));
}

void CColorPickerDlg::OnStandardColor(engine::ColorRef color) {
    setColor(color);
    m_redSlider->setValue(red);
    m_greenSlider->setValue(green);
    m_blueSlider->setValue(blue);
    repaint(PreviewBand(width()));
}

void CColorPickerDlg::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    DrawHeaderLine(painter);
    painter.fillRect(PreviewBand(width()), charts::ColorFromRef(color()));
}

void CColorPickerDlg::resizeEvent(QResizeEvent* event) {
    CAnalyzerDialog::resizeEvent(event);
    PlaceOkButton(this);
}

// The template's controls, from dialog units of the dialog's font.
void CColorPickerDlg::Layout() {
    const DialogUnits u(font());
    // Clear of the header line whatever the font's units; the buttons stay where they are.
    m_standardLabel->setGeometry(
        u.map(5, 15, 55, 8).translated(0, std::max(0, kHeaderLineY + 3 - u.y(15))));
    for (size_t i = 0; i < kStandardColors.size(); ++i)
        m_buttons[i]->setGeometry(u.map(kStandardColors[i].x, kStandardColors[i].y, 15, 10));
    // The group's title must not run under the preview band, whatever the font's units.
    const int drop = std::max(0, PreviewBand(width()).bottom() + 5 - u.y(78));
    const auto map = [&](int x, int y, int w, int h) {
        return u.map(x, y, w, h).translated(0, drop);
    };
    m_group->setGeometry(map(5, 78, 128, 72));
    const int labelY[] = {93, 112, 132};
    const QRect sliders[] = {map(35, 90, 93, 20), map(35, 110, 93, 21), map(35, 130, 93, 17)};
    QSlider* const bars[] = {m_redSlider, m_greenSlider, m_blueSlider};
    const int valueWidth = u.x(16);  // "255" and a little air
    for (size_t i = 0; i < 3; ++i) {
        m_names[i]->setGeometry(map(11, labelY[i], 25, 8));
        QRect bar = sliders[i];
        bar.setRight(bar.right() - valueWidth);
        bars[i]->setGeometry(bar);
        m_values[i]->setGeometry(bar.right() + 1, bar.top(), valueWidth - u.x(2), bar.height());
    }
}

}  // namespace dovrane::dialogs
