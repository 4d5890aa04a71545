#include "dialogs/preferences_dlg.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <algorithm>

#include "dialogs/color_list.h"
#include "dialogs/color_picker_dlg.h"
#include "dialogs/colors.h"
#include "dialogs/control_id.h"
#include "dialogs/dialog_units.h"
#include "platform/message_box.h"
#include "platform/profile.h"

namespace dovrane::dialogs {
namespace {

constexpr int kTemplateId = 132;
const QRect kColorListRect(QPoint(5, 95), QPoint(149, 249));  // (5, 95) to (150, 250)

QLabel* BlueText(const QString& text, int id, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    SetDlgCtrlID(label, id);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    SetTextColor(label, kBlue);
    return label;
}

QPushButton* BlueButton(const QString& text, int id, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    SetDlgCtrlID(button, id);
    SetTextColor(button, kBlue);
    button->setAutoDefault(false);  // Enter stays OK after a move
    return button;
}

QToolButton* Arrow(Qt::ArrowType type, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setArrowType(type);
    button->setAutoRepeat(true);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

}  // namespace

std::optional<int> ParseNumberOfSlices(const QString& text) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (!ok || value < engine::kMinNumberOfSlices || value > engine::kMaxNumberOfSlices)
        return std::nullopt;
    return value;
}

QString NumberOfSlicesRangeMessage() {
    return QStringLiteral("Please enter an integer between %1 and %2.")
        .arg(engine::kMinNumberOfSlices)
        .arg(engine::kMaxNumberOfSlices);
}

CPreferencesDlg::CPreferencesDlg(QWidget* parent) : CAnalyzerDialog(kTemplateId, parent) {
    setWindowTitle(QStringLiteral("Preferences"));
    m_strTitle = QStringLiteral("Preferences");
    connect(CreateOkButton(this), &QPushButton::clicked, this, &CPreferencesDlg::OnOK);
    CreateCancelButton();
    m_slicesLabel = BlueText(QStringLiteral("Maximum number of slices:"), kIdSlicesLabel, this);
    m_edit = new QLineEdit(this);
    SetDlgCtrlID(m_edit, kIdSlicesEdit);
    m_edit->installEventFilter(this);
    m_upDown = new QWidget(this);
    SetDlgCtrlID(m_upDown, kIdSlicesUpDown);
    m_up = Arrow(Qt::UpArrow, m_upDown);
    m_down = Arrow(Qt::DownArrow, m_upDown);
    connect(m_up, &QToolButton::clicked, this, [this] { OnSlicesStep(1); });
    connect(m_down, &QToolButton::clicked, this, [this] { OnSlicesStep(-1); });
    m_colorsLabel = BlueText(QStringLiteral("Colors:"), kIdColorsLabel, this);
    m_moveUp = BlueButton(QStringLiteral("Move Up"), kIdMoveUp, this);
    m_moveDown = BlueButton(QStringLiteral("Move Down"), kIdMoveDown, this);
    m_change = BlueButton(QStringLiteral("Change"), kIdChange, this);
    m_reset = BlueButton(QStringLiteral("Reset"), kIdReset, this);
    connect(m_moveUp, &QPushButton::clicked, this, &CPreferencesDlg::OnMoveUp);
    connect(m_moveDown, &QPushButton::clicked, this, &CPreferencesDlg::OnMoveDown);
    connect(m_change, &QPushButton::clicked, this, &CPreferencesDlg::OnChange);
    connect(m_reset, &QPushButton::clicked, this, &CPreferencesDlg::OnReset);
    m_colorList = new CColorList(this);
    SetDlgCtrlID(m_colorList, kIdColorList);
    connect(m_colorList, &CColorList::rowActivated, this, &CPreferencesDlg::OnChange);
    Layout();
}

CPreferencesDlg::~CPreferencesDlg() = default;

bool CPreferencesDlg::OnInitDialog() {
    const engine::SliceColors& table = colorTable ? *colorTable : engine::kDefaultSliceColors;
    m_colorList->colors.assign(table.begin(), table.end());
    m_colorList->SetSelected(-1);
    m_colorList->Setup();
    m_edit->setText(QString::number(slices));
    CAnalyzerDialog::OnInitDialog();
    PlaceOkButton(this);
    m_edit->setFocus();
    m_edit->selectAll();
    return true;
}

void CPreferencesDlg::Layout() {
    const DialogUnits u(font());
    m_slicesLabel->setGeometry(u.map(3, 24, 95, 8));
    // The up-down control sits against the right of its buddy, as an auto buddy does.
    const QRect upDown = u.map(126, 22, 10, 14);
    const QRect edit = u.map(102, 22, 26, 14);
    m_edit->setGeometry(edit.left(), edit.top(), upDown.left() - edit.left(), edit.height());
    m_upDown->setGeometry(upDown);
    m_up->setGeometry(0, 0, upDown.width(), upDown.height() / 2);
    m_down->setGeometry(0, upDown.height() / 2, upDown.width(),
                        upDown.height() - upDown.height() / 2);
    m_colorsLabel->setGeometry(u.map(3, 43, 23, 8));
    m_moveUp->setGeometry(u.map(92, 62, 42, 14));
    m_moveDown->setGeometry(u.map(92, 82, 42, 14));
    m_change->setGeometry(u.map(92, 103, 42, 14));
    m_reset->setGeometry(u.map(92, 123, 42, 14));
    // The list keeps clear of the buttons whatever the font makes of their units.
    QRect list = kColorListRect;
    list.setRight(std::min(list.right(), m_moveUp->x() - 4));
    m_colorList->setGeometry(list);
}

void CPreferencesDlg::resizeEvent(QResizeEvent* event) {
    CAnalyzerDialog::resizeEvent(event);
    PlaceOkButton(this);
}

bool CPreferencesDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_edit && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            OnSlicesStep(key == Qt::Key_Up ? 1 : -1);
            return true;
        }
    }
    return CAnalyzerDialog::eventFilter(watched, event);
}

void CPreferencesDlg::OnSlicesStep(int delta) {
    bool ok = false;
    const int shown = m_edit->text().trimmed().toInt(&ok);
    // In 64 bits: a hand-edited profile may hold any 32-bit value, and one step from
    // 2147483647 must come down to the range, not wrap round below it.
    const qint64 from = ok ? shown : slices;
    const auto to =
        std::clamp<qint64>(from + delta, engine::kMinNumberOfSlices, engine::kMaxNumberOfSlices);
    m_edit->setText(QString::number(to));
}

void CPreferencesDlg::Move(int delta) {
    const int selected = m_colorList->selected();
    if (selected == -1) {
        platform::ShowMessage(this, QStringLiteral("Please select a color in the list to move."));
        return;
    }
    const int target = selected + delta;
    if (target < 0 || target >= static_cast<int>(m_colorList->colors.size())) {
        platform::MessageBeep();
        return;
    }
    std::swap(m_colorList->colors[static_cast<size_t>(selected)],
              m_colorList->colors[static_cast<size_t>(target)]);
    m_colorList->SetSelected(target);
    m_colorList->EnsureSelectedVisible();
}

void CPreferencesDlg::OnMoveUp() {
    Move(-1);
}

void CPreferencesDlg::OnMoveDown() {
    Move(1);
}

void CPreferencesDlg::OnChange() {
    const int selected = m_colorList->selected();
    if (selected == -1) {
        platform::ShowMessage(this, QStringLiteral("Please select a color in the list to change."));
        return;
    }
    engine::ColorRef& color = m_colorList->colors[static_cast<size_t>(selected)];
    CColorPickerDlg picker(this);
    picker.setColor(color);
    if (picker.exec() == QDialog::Rejected)
        return;
    color = picker.color();
    m_colorList->Render();
}

void CPreferencesDlg::OnReset() {
    m_colorList->colors.assign(engine::kDefaultSliceColors.begin(),
                               engine::kDefaultSliceColors.end());
    m_colorList->Render();
    slices = engine::kDefaultNumberOfSlices;
    m_edit->setText(QString::number(slices));
}

void CPreferencesDlg::OnOK() {
    const std::optional<int> value = ParseNumberOfSlices(m_edit->text());
    if (!value) {
        platform::ShowMessage(this, NumberOfSlicesRangeMessage());
        m_edit->setFocus();
        m_edit->selectAll();
        return;
    }
    slices = *value;
    engine::Settings saved;
    saved.numberOfSlices = slices;
    std::copy_n(m_colorList->colors.begin(),
                std::min<size_t>(m_colorList->colors.size(), saved.sliceColors.size()),
                saved.sliceColors.begin());
    if (colorTable)
        *colorTable = saved.sliceColors;
    if (numberOfSlices)
        *numberOfSlices = slices;
    if (profile && !engine::WriteSettings(*profile, saved))
        platform::ShowMessage(this, QStringLiteral("The preferences could not be saved to %1. "
                                                   "They apply until the program ends.")
                                        .arg(profile->fileName()));
    accept();
}

}  // namespace dovrane::dialogs
