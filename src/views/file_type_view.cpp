#include "views/file_type_view.h"

namespace dovrane::views {

CFileTypeView::CFileTypeView() = default;
CFileTypeView::~CFileTypeView() = default;

void CFileTypeView::StartScan() {
    ++m_scanCount;
    update();
}

void CFileTypeView::ReapplySettings() {
    ++m_reapplyCount;
    update();
}

}  // namespace dovrane::views
