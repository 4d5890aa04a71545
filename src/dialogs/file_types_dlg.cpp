#include "dialogs/file_types_dlg.h"

#include <numeric>

#include "dialogs/file_list_dlg.h"
#include "dialogs/hold_list_ctrl.h"
#include "dialogs/modal.h"
#include "engine/file_types.h"
#include "engine/text.h"
#include "platform/wait_cursor.h"

namespace dovrane::dialogs {
namespace {

constexpr int kListTop = 24;

}  // namespace

CFileTypesDlg::CFileTypesDlg(platform::Device* device, QWidget* parent)
    : CAnalyzerDialog(149, parent), m_device(device), m_list(new CHoldListCtrl(this)) {
    m_strTitle = QStringLiteral("File Types");
    setWindowTitle(m_strTitle);
    CreateCancelButton();
    m_list->InsertColumns({{QStringLiteral("Type"), Qt::AlignLeft, 95},
                           {QStringLiteral("Size"), Qt::AlignRight, 70},
                           {QStringLiteral("Total %"), Qt::AlignLeft, 60}});
    m_list->listModel()->setCellText([this](quint32 item, int column) {
        const engine::FileTypeStat* type = (*m_shown)[item];
        switch (column) {
            case 0:
                return type->name;
            case 1:
                return engine::SizeText(type->totalSize);
            default:
                return engine::ShareText(type->totalSize, m_pTable->totalSize);
        }
    });
    connect(m_list, &CHoldListCtrl::columnClicked, this, &CFileTypesDlg::OnColumnClick);
    connect(m_list, &CHoldListCtrl::rowClicked, this, &CFileTypesDlg::OnRowClick);
}

CFileTypesDlg::~CFileTypesDlg() = default;

void CFileTypesDlg::SetTable(const engine::FileTypeTable* table) {
    m_pTable = table;
    FillList();
}

bool CFileTypesDlg::OnInitDialog() {
    CAnalyzerDialog::OnInitDialog();
    m_list->setGeometry(0, kListTop, width(), height() - kListTop);
    return true;
}

void CFileTypesDlg::resizeEvent(QResizeEvent* event) {
    CAnalyzerDialog::resizeEvent(event);
    m_list->setGeometry(0, kListTop, width(), std::max(0, height() - kListTop));
}

void CFileTypesDlg::FillList() {
    if (!m_pTable)
        return;
    platform::WaitCursor wait;
    bool backward = false;
    if (m_nSortColumn == 0) {
        m_shown = &m_pTable->fileTypesByName();
        backward = !m_bNameForward;
        m_bNameForward = !m_bNameForward;
    } else {
        m_shown = &m_pTable->fileTypesBySize();
        backward = m_bSizeBackward;
        m_bSizeBackward = !m_bSizeBackward;
    }
    m_rows.resize(m_shown->size());
    std::iota(m_rows.begin(), m_rows.end(), quint32{0});
    m_list->listModel()->setOrder(&m_rows, backward);
}

void CFileTypesDlg::OnColumnClick(int column) {
    if (column != 0 && column != 1)
        return;
    m_nSortColumn = column;
    FillList();
}

engine::FileTypeStat* CFileTypesDlg::TypeOfRow(int row) const {
    if (!m_shown || row < 0 || row >= m_list->listModel()->rowCount())
        return nullptr;
    return (*m_shown)[m_list->listModel()->item(row)];
}

void CFileTypesDlg::OnRowClick(int row) {
    engine::FileTypeStat* type = TypeOfRow(row);
    if (!type)
        return;
    CFileListDlg files(m_device);
    files.SetFileType(type, &m_pTable->list());
    RunModal(files);
}

}  // namespace dovrane::dialogs
