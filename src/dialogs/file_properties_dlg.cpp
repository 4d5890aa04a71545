#include "dialogs/file_properties_dlg.h"

#include <QCheckBox>
#include <QDateTime>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

#include "charts/point_font.h"
#include "dialogs/colors.h"
#include "dialogs/control_id.h"
#include "dialogs/dialog_units.h"
#include "dialogs/full_screen.h"
#include "engine/text.h"
#include "platform/device.h"
#include "platform/device_path.h"
#include "platform/file_icon.h"

namespace dovrane::dialogs {
namespace {

struct ControlPlace {
    int id;
    int x, y, w, h;  // dialog units of the System 8-point font
};

// Labels, the values they name, and the boxes, where the handheld's template put them.
constexpr ControlPlace kPlaces[] = {
    {kIdPropTitle, 2, 2, 140, 8},
    {kIdPropName, 53, 15, 81, 10},
    {1001, 5, 30, 41, 9},
    {kIdPropType, 53, 30, 81, 9},
    {1002, 5, 45, 39, 9},
    {kIdPropFolder, 53, 45, 81, 25},
    {1025, 5, 73, 29, 7},
    {kIdPropSize, 53, 72, 85, 8},
    {1003, 5, 85, 30, 9},
    {kIdPropCreated, 53, 86, 85, 8},
    {1004, 5, 98, 33, 9},
    {kIdPropModified, 53, 99, 85, 8},
    {1006, 5, 111, 34, 8},
    {kIdPropAccessed, 53, 111, 85, 8},
    {1007, 5, 124, 35, 8},
    {kIdPropReadOnly, 5, 134, 44, 12},
    {kIdPropHidden, 55, 134, 35, 12},
    {kIdPropArchive, 101, 134, 34, 12},
};

}  // namespace

QString PropertiesTypeText(const QString& name) {
    const qsizetype dot = name.indexOf(u'.');
    return dot < 0 ? name : name.mid(dot + 1);
}

QString PropertiesSizeText(quint64 size) {
    if (size < 1024)
        return QStringLiteral("%1 B").arg(size);
    // The handheld multiplied in single precision; beyond 4 GiB that would lose the bytes
    // a desktop disk shows, so large files take double.
    const double k = size <= 0xFFFFFFFFull
                         ? static_cast<double>(static_cast<float>(size) * (1.0f / 1024.0f))
                         : static_cast<double>(size) / 1024.0;
    return QString::asprintf("%.2f K", k);
}

QString PropertiesTimeText(platform::FileTime time) {
    const QDateTime local = QDateTime::fromMSecsSinceEpoch(time / 1000000).toLocalTime();
    const QDate d = local.date();
    const QTime t = local.time();
    const int hour = t.hour() > 12 ? t.hour() - 12 : t.hour();
    return QString::asprintf("%02d/%02d/%d, %d:%02d:%02d %s", d.month(), d.day(), d.year(), hour,
                             t.minute(), t.second(), t.hour() > 12 ? "PM" : "AM");
}

CFilePropertiesDlg::CFilePropertiesDlg(QWidget* parent, const QString& name, const QString& folder,
                                       platform::Device* device)
    : QDialog(DialogOwner(parent)),
      m_strFolder(folder.trimmed()),
      m_strName(name.trimmed()),
      m_device(device) {
    setWindowTitle(QStringLiteral("File Properties"));
    setFont(charts::CreatePointFont(QStringLiteral("Tahoma"), 8));
    setAutoFillBackground(true);
    QPalette background = palette();
    background.setColor(QPalette::Window, Qt::white);
    setPalette(background);
    resize(240, 320);
    CoverOwner(this, parentWidget());
    OnInitDialog();
}

CFilePropertiesDlg::~CFilePropertiesDlg() = default;

void CFilePropertiesDlg::OnInitDialog() {
    m_fontTitle = charts::CreatePointFont(QStringLiteral("Tahoma"), 8.5, true);
    const auto label = [this](int id, const QString& text) {
        auto* l = new QLabel(text, this);
        SetDlgCtrlID(l, id);
        l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        return l;
    };
    QLabel* title = label(kIdPropTitle, QStringLiteral("File Properties"));
    title->setFont(m_fontTitle);
    SetTextColor(title, kBlue);
    label(kIdPropName, m_strName);
    label(1001, QStringLiteral("Type of File:"));
    label(1002, QStringLiteral("Location:"));
    label(1025, QStringLiteral("Size:"));
    label(1003, QStringLiteral("Created:"));
    label(1004, QStringLiteral("Modified:"));
    label(1006, QStringLiteral("Accessed:"));
    label(1007, QStringLiteral("Attributes:"));
    label(kIdPropFolder, engine::SpacePath(m_strFolder))->setWordWrap(true);

    const QString path = platform::JoinDevicePath(m_strFolder, m_strName);
    const auto found = m_device ? m_device->findFile(path) : std::nullopt;
    label(kIdPropType, PropertiesTypeText(m_strName));
    label(kIdPropSize, found ? PropertiesSizeText(found->size) : QString());
    label(kIdPropCreated, found ? PropertiesTimeText(found->creationTime) : QString());
    label(kIdPropModified, found ? PropertiesTimeText(found->lastWriteTime) : QString());
    label(kIdPropAccessed, found ? PropertiesTimeText(found->lastAccessTime) : QString());
    const auto box = [&](int id, const QString& text, quint32 bit) {
        auto* b = new QCheckBox(text, this);
        SetDlgCtrlID(b, id);
        b->setChecked(found && (found->attributes & bit));
        b->setEnabled(false);
    };
    box(kIdPropReadOnly, QStringLiteral("Read-only"), platform::kAttributeReadOnly);
    box(kIdPropHidden, QStringLiteral("Hidden"), platform::kAttributeHidden);
    box(kIdPropArchive, QStringLiteral("Archive"), platform::kAttributeArchive);

    m_hIcon = platform::FileIconForName(m_strName);
    if (const QString description = platform::FileTypeDescription(m_strName);
        !description.isEmpty())
        GetDlgItem(this, kIdPropType)->setToolTip(description);

    m_ok = new QPushButton(QStringLiteral("OK"), this);
    SetDlgCtrlID(m_ok, kIdOk);
    m_ok->setDefault(true);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    Layout();
}

void CFilePropertiesDlg::Layout() {
    // The template's units on the handheld's System font (6 x 13 pixels a character).
    // Values and boxes may run on to the right edge: desktop texts are wider.
    constexpr int kBaseX = 6, kBaseY = 13;
    const int w = width();
    for (const ControlPlace& place : kPlaces) {
        QWidget* control = GetDlgItem(this, place.id);
        if (!control)
            continue;
        const int x = place.x * kBaseX / 4;
        int right = x + place.w * kBaseX / 4;
        if (place.x == 53 || place.id == kIdPropArchive)
            right = w - 2;
        else if (place.id == kIdPropReadOnly || place.id == kIdPropHidden)
            right = (place.id == kIdPropReadOnly ? 55 : 101) * kBaseX / 4 - 1;
        control->setGeometry(x, place.y * kBaseY / 8, std::max(0, right - x),
                             std::max(place.h * kBaseY / 8, fontMetrics().height()));
    }
    if (m_ok)
        m_ok->setGeometry(w - 40, 1, 38, 19);
    // A long name keeps its start and its type; the tooltip has it whole.
    if (auto* name = GetDlgItem<QLabel>(this, kIdPropName))
        SetFittedText(name, m_strName, Qt::ElideMiddle);
}

void CFilePropertiesDlg::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    Layout();
}

void CFilePropertiesDlg::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    m_hIcon.paint(&painter, QRect(10, 25, 16, 16));
    painter.setPen(QPen(Qt::black, 1));
    painter.drawLine(0, 21, width(), 21);
    // Above the size and under the boxes, wherever the font put them.
    const QWidget* size = GetDlgItem(this, 1025);
    const QWidget* box = GetDlgItem(this, kIdPropReadOnly);
    const int above = size ? size->y() - 3 : 121;
    const int below = box ? box->geometry().bottom() + 4 : 215;
    painter.drawLine(10, above, width() - 10, above);
    painter.drawLine(10, below, width() - 10, below);
}

}  // namespace dovrane::dialogs
