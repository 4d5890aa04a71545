#include "dialogs/compare_dlg.h"

#include <QDateTime>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "engine/growth.h"
#include "engine/text.h"

namespace dovrane::dialogs {

CCompareDlg::CCompareDlg(const std::vector<SnapshotChoice>& snapshots,
                         std::optional<quint64> nowBytes, QWidget* parent)
    : QDialog(parent),
      m_list(new QTreeWidget(this)),
      m_buttons(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this)) {
    setWindowTitle(QStringLiteral("Compare With"));
    m_list->setRootIsDecorated(false);
    m_list->setHeaderLabels(
        {QStringLiteral("Time"), QStringLiteral("Total"), QStringLiteral("Change")});
    for (const SnapshotChoice& s : snapshots) {
        auto* row = new QTreeWidgetItem(m_list);
        row->setText(
            0, QDateTime::fromSecsSinceEpoch(s.time).toString(QStringLiteral("dd/MM/yyyy HH:mm")));
        row->setText(1, engine::SizeText(s.totalBytes));
        if (nowBytes)
            row->setText(2, engine::ChangeText(s.totalBytes, *nowBytes));
        for (int column : {1, 2})
            row->setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
    }
    m_list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    if (m_list->topLevelItemCount() > 0)
        m_list->setCurrentItem(m_list->topLevelItem(0));
    // OK means a snapshot: without a row chosen there is nothing to compare with.
    auto* ok = m_buttons->button(QDialogButtonBox::Ok);
    ok->setEnabled(chosen() >= 0);
    connect(m_list, &QTreeWidget::currentItemChanged, this,
            [this, ok] { ok->setEnabled(chosen() >= 0); });
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, &QDialog::accept);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    layout->addWidget(m_buttons);
}

CCompareDlg::~CCompareDlg() = default;

int CCompareDlg::chosen() const {
    return m_list->currentItem() ? m_list->currentIndex().row() : -1;
}

}  // namespace dovrane::dialogs
