#include "dialogs/folder_details_dlg.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <numeric>

#include "dialogs/colors.h"
#include "dialogs/control_id.h"
#include "dialogs/folder_files_dlg.h"
#include "dialogs/hold_list_ctrl.h"
#include "dialogs/modal.h"
#include "engine/folder_tree.h"
#include "engine/growth.h"
#include "engine/text.h"
#include "platform/wait_cursor.h"

namespace dovrane::dialogs {
namespace {

constexpr int kListTop = 54;

}  // namespace

QIcon UpFolderIcon(bool pressed) {
    QPixmap picture(16, 16);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    const QColor folder = pressed ? QColor(160, 160, 160) : QColor(255, 220, 64);
    p.setPen(Qt::black);
    p.setBrush(folder);
    p.drawRect(1, 5, 13, 9);  // the folder
    p.drawRect(1, 3, 5, 2);   // its tab
    // The arrow: up from the folder's middle, then back to the left.
    p.setPen(QPen(Qt::black, 1.5));
    p.drawLine(11, 12, 11, 7);
    p.drawLine(11, 7, 5, 7);
    p.drawLine(5, 7, 8, 4);
    p.drawLine(5, 7, 8, 10);
    return QIcon(picture);
}

CFolderDetailsDlg::CFolderDetailsDlg(platform::Device* device, QWidget* parent)
    : CAnalyzerDialog(133, parent),
      m_device(device),
      m_upButton(new QPushButton(this)),
      m_ok(new QPushButton(QStringLiteral("OK"), this)),
      m_currentFolderLabel(new QLabel(QStringLiteral("Current Folder:"), this)),
      m_list(new CHoldListCtrl(this)) {
    m_strTitle = QStringLiteral("Folder Details");
    setWindowTitle(m_strTitle);
    CreateCancelButton();
    SetDlgCtrlID(m_ok, kIdOk);
    SetTextColor(m_ok, kBlue);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    SetDlgCtrlID(m_upButton, kIdUpButton);
    m_upButton->setIcon(UpFolderIcon(false));
    m_upButton->setIconSize({16, 16});
    m_upButton->setFlat(true);
    connect(m_upButton, &QPushButton::pressed, this,
            [this] { m_upButton->setIcon(UpFolderIcon(true)); });
    connect(m_upButton, &QPushButton::released, this,
            [this] { m_upButton->setIcon(UpFolderIcon(false)); });
    connect(m_upButton, &QPushButton::clicked, this, &CFolderDetailsDlg::OnUp);
    SetDlgCtrlID(m_currentFolderLabel, kIdCurrentFolder);
    SetTextColor(m_currentFolderLabel, kRed);
    m_currentFolderLabel->setWordWrap(true);
    m_currentFolderLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    m_list->InsertColumns({{QStringLiteral("Folder"), Qt::AlignLeft, 95},
                           {QStringLiteral("Size"), Qt::AlignRight, 62},
                           {QStringLiteral("Fol %"), Qt::AlignLeft, 50},
                           {QStringLiteral("Tot %"), Qt::AlignLeft, 50}});
    m_list->listModel()->setCellText([this](quint32 item, int column) {
        if (m_pGrowth)
            return GrowthCell(m_growthShown[item], column);
        const engine::FolderNode* node = m_shown[item];
        switch (column) {
            case 0:
                return node->name();
            case 1:
                return engine::SizeText(node->totalSize);
            case 2:
                return engine::ShareText(node->totalSize, m_pCurrent->totalSize);
            default:
                return engine::ShareText(node->totalSize, m_pRoot ? m_pRoot->totalSize : 0);
        }
    });
    connect(m_list, &CHoldListCtrl::columnClicked, this, &CFolderDetailsDlg::OnColumnClick);
    connect(m_list, &CHoldListCtrl::rowClicked, this, &CFolderDetailsDlg::OnRowClick);
}

CFolderDetailsDlg::~CFolderDetailsDlg() = default;

void CFolderDetailsDlg::SetFolder(const engine::FolderNode* current, const engine::FolderNode* root,
                                  const QString& titlePath) {
    m_pCurrent = current;
    m_pRoot = root;
    m_strTitlePath = titlePath;
    FillList();
}

void CFolderDetailsDlg::SetGrowth(const engine::Growth* growth, const engine::GrowthNode* current,
                                  const QString& since) {
    m_pGrowth = growth;
    m_strSince = since;
    m_list->InsertColumns({{QStringLiteral("Folder"), Qt::AlignLeft, 95},
                           {QStringLiteral("Size"), Qt::AlignRight, 62},
                           {QStringLiteral("Then"), Qt::AlignRight, 62},
                           {QStringLiteral("Change"), Qt::AlignRight, 62},
                           {QStringLiteral("Fol %"), Qt::AlignLeft, 50},
                           {QStringLiteral("Tot %"), Qt::AlignLeft, 50}});
    GoToGrowth(current);
}

QString CFolderDetailsDlg::GrowthCell(const engine::GrowthNode* node, int column) const {
    switch (column) {
        case 0:
            return node->name();
        case 1:
            return engine::SizeText(node->nowSize);
        case 2:
            return engine::SizeText(node->thenSize);
        case 3:
            return engine::ChangeText(*node);
        case 4:
            return engine::ShareText(node->nowSize, m_pGrowthCurrent->nowSize);
        default:
            return engine::ShareText(node->nowSize, m_pGrowth->root()->nowSize);
    }
}

void CFolderDetailsDlg::GoToGrowth(const engine::GrowthNode* folder) {
    m_pGrowthCurrent = folder;
    m_strTitlePath = engine::GrowthHeader(m_strSince, folder);
    FillList();
}

bool CFolderDetailsDlg::OnInitDialog() {
    CAnalyzerDialog::OnInitDialog();
    // Over the header, which would otherwise take their clicks.
    m_ok->raise();
    m_upButton->raise();
    Place();
    return true;
}

void CFolderDetailsDlg::resizeEvent(QResizeEvent* event) {
    CAnalyzerDialog::resizeEvent(event);
    Place();
}

void CFolderDetailsDlg::Place() {
    const int w = width();
    m_list->setGeometry(0, kListTop, w, std::max(0, height() - kListTop));
    m_currentFolderLabel->setGeometry(0, 24, w, 30);
    m_upButton->setGeometry(w - 70, 4, 20, 17);
    m_ok->setGeometry(w - 100, 2, 28, 20);
}

void CFolderDetailsDlg::FillList() {
    m_currentFolderLabel->setText(m_strTitlePath);
    platform::WaitCursor wait;
    if (m_pGrowth) {
        // Largest change first, in the engine's order; the columns do not sort it again.
        m_growthShown = m_pGrowthCurrent ? m_pGrowth->children(m_pGrowthCurrent)
                                         : std::span<const engine::GrowthNode* const>();
        m_rows.resize(m_growthShown.size());
        std::iota(m_rows.begin(), m_rows.end(), quint32{0});
        m_list->listModel()->setOrder(&m_rows, false);
        return;
    }
    if (!m_pCurrent) {
        m_list->listModel()->setOrder(nullptr, false);
        return;
    }
    bool backward = false;
    if (m_nSortColumn == 0) {
        m_shown = m_pCurrent->childrenByName();
        backward = !m_bNameForward;
        m_bNameForward = !m_bNameForward;
    } else {
        m_shown = m_pCurrent->childrenBySize();
        backward = m_bSizeBackward;
        m_bSizeBackward = !m_bSizeBackward;
    }
    m_rows.resize(m_shown.size());
    std::iota(m_rows.begin(), m_rows.end(), quint32{0});
    m_list->listModel()->setOrder(&m_rows, backward);
}

void CFolderDetailsDlg::OnColumnClick(int column) {
    if (m_pGrowth || (column != 0 && column != 1))
        return;
    m_nSortColumn = column;
    FillList();
}

void CFolderDetailsDlg::GoTo(const engine::FolderNode* folder) {
    m_pCurrent = folder;
    m_strTitlePath = engine::SpacePath(engine::BuildFolderPath(folder));
    FillList();
}

void CFolderDetailsDlg::OnRowClick(int row) {
    if (row < 0 || row >= m_list->listModel()->rowCount())
        return;
    if (m_pGrowth) {
        const engine::GrowthNode* node = m_growthShown[m_list->listModel()->item(row)];
        if (node->kind() == engine::GrowthNode::Kind::Folder)
            GoToGrowth(node);
        return;
    }
    if (!m_pCurrent)
        return;
    const engine::FolderNode* node = m_shown[m_list->listModel()->item(row)];
    if (node->isInFolder()) {
        CFolderFilesDlg files(m_device);
        files.SetFolder(m_pCurrent);
        RunModal(files);
        return;
    }
    GoTo(node);
}

void CFolderDetailsDlg::OnUp() {
    if (m_pGrowth) {
        if (m_pGrowthCurrent && m_pGrowthCurrent->parent)
            GoToGrowth(m_pGrowthCurrent->parent);
        return;
    }
    if (m_pCurrent && m_pCurrent->parent)
        GoTo(m_pCurrent->parent);
}

}  // namespace dovrane::dialogs
