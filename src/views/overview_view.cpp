#include "views/overview_view.h"

namespace dovrane::views {

COverviewView::COverviewView() = default;
COverviewView::~COverviewView() = default;

void COverviewView::Refresh() {
    ++m_refreshCount;
    update();
}

}  // namespace dovrane::views
