#include "dialogs/file_list_dlg.h"

#include <QResizeEvent>
#include <algorithm>

#include "dialogs/file_operations.h"
#include "dialogs/hold_list_ctrl.h"
#include "engine/file_types.h"
#include "engine/text.h"
#include "platform/wait_cursor.h"

namespace dovrane::dialogs {
namespace {

constexpr int kListTop = 24;

}  // namespace

CFileListDialogBase::CFileListDialogBase(int templateId, platform::Device* device, QWidget* parent)
    : CAnalyzerDialog(templateId, parent),
      m_device(device),
      m_list(new CHoldListCtrl(this)),
      m_operations(new CFileOperations(this, m_list, device)) {
    m_strTitle = QStringLiteral("File List");
    CreateCancelButton();
    m_list->InsertColumns({{QStringLiteral("File"), Qt::AlignLeft, 125},
                           {QStringLiteral("Size"), Qt::AlignRight, 70},
                           {QStringLiteral("Folder"), Qt::AlignLeft, 300}});
    m_list->listModel()->setCellText([this](quint32 item, int column) {
        const engine::FileList* files = Files();
        if (!files)
            return QString();
        const engine::FileRecord& r = (*files)[item];
        switch (column) {
            case 0:
                return files->name(r);
            case 1:
                return engine::SizeText(r.size);
            default:
                return files->folder(r);
        }
    });
    connect(m_list, &CHoldListCtrl::columnClicked, this, &CFileListDialogBase::OnColumnClick);
    // Deleted records leave both orders, so no later sort brings them back.
    m_operations->removeItems = [this](const std::vector<quint32>& removed) {
        std::vector<quint32> gone(removed);
        std::sort(gone.begin(), gone.end());
        for (std::vector<quint32>* order : {FilesByName(), FilesBySize()})
            if (order)
                std::erase_if(*order, [&](quint32 item) {
                    return std::binary_search(gone.begin(), gone.end(), item);
                });
    };
}

bool CFileListDialogBase::OnInitDialog() {
    CAnalyzerDialog::OnInitDialog();
    m_list->setGeometry(0, kListTop, width(), height() - kListTop);
    m_list->show();
    return true;
}

void CFileListDialogBase::resizeEvent(QResizeEvent* event) {
    CAnalyzerDialog::resizeEvent(event);
    m_list->setGeometry(0, kListTop, width(), std::max(0, height() - kListTop));
}

void CFileListDialogBase::FillList() {
    const engine::FileList* files = Files();
    if (!files)
        return;
    m_operations->setFiles(files);
    platform::WaitCursor wait;
    if (m_nSortColumn == 0) {
        m_list->listModel()->setOrder(FilesByName(), !m_bNameForward);
        m_bNameForward = !m_bNameForward;
    } else {
        m_list->listModel()->setOrder(FilesBySize(), m_bSizeBackward);
        m_bSizeBackward = !m_bSizeBackward;
    }
}

void CFileListDialogBase::OnColumnClick(int column) {
    if (column != 0 && column != 1)
        return;
    m_nSortColumn = column;
    FillList();
}

CFileListDlg::CFileListDlg(platform::Device* device, QWidget* parent)
    : CFileListDialogBase(150, device, parent) {
    setWindowTitle(QStringLiteral("File List"));
    connect(m_list, &CHoldListCtrl::rowDoubleClicked, this, [this](int row) {
        if (row >= 0)
            m_operations->OnProperties();
    });
}

CFileListDlg::~CFileListDlg() = default;

void CFileListDlg::SetFileType(engine::FileTypeStat* type, const engine::FileList* files) {
    m_pTypeStat = type;
    m_pFiles = files;
    if (type)
        SetTitle(QStringLiteral("File List: ") + type->name);
    FillList();
}

std::vector<quint32>* CFileListDlg::FilesByName() {
    return m_pTypeStat ? &m_pTypeStat->filesByName.edit() : nullptr;
}

std::vector<quint32>* CFileListDlg::FilesBySize() {
    return m_pTypeStat ? &m_pTypeStat->filesBySize.edit() : nullptr;
}

}  // namespace dovrane::dialogs
