#include "app/main_view.h"

#include <QDateTime>
#include <QFileInfo>
#include <QLocale>
#include <QPainter>

#include "app/cli.h"
#include "app/help.h"
#include "app/history_commands.h"
#include "app/resource.h"
#include "charts/point_font.h"
#include "dialogs/colors.h"
#include "dialogs/compare_dlg.h"
#include "dialogs/databases_dlg.h"
#include "dialogs/largest_files_dlg.h"
#include "dialogs/modal.h"
#include "dialogs/preferences_dlg.h"
#include "engine/scan_import.h"
#include "engine/text.h"
#include "platform/history_store.h"
#include "platform/message_box.h"
#include "platform/object_store.h"
#include "platform/profile.h"
#include "platform/wait_cursor.h"

namespace dovrane::app {
namespace {

const QString kChildCreateFailed = QStringLiteral("Folder View create failed");
const QString kTreeCreateFailed = QStringLiteral("Folder Tree Control create failed");
const QString kSection = QStringLiteral("Dovrane Storage Analyzer");
const QString kKeepHistory = QStringLiteral("Keep History");
// How long a snapshot waits for a pie that is not painted (a view hidden mid-scan).
constexpr std::chrono::milliseconds kSnapshotFallback{500};

// What a chart view named `name` is made with; a pie timing names the view it is for.
views::ChartViewSetup ChartSetup(const MainViewSetup& setup, const engine::Settings& settings,
                                 const QString& name) {
    views::ChartViewSetup chart{
        .settings = &settings, .device = setup.device, .pace = setup.pace, .pieShown = {}};
    if (setup.pieShown)
        chart.pieShown = [tell = setup.pieShown, name](auto time) { tell(name, time); };
    return chart;
}

}  // namespace

CDovraneStorageAnalyzerView::CDovraneStorageAnalyzerView(const MainViewSetup& setup,
                                                         QWidget* parent)
    : QWidget(parent),
      m_font(charts::CreatePointFont(QStringLiteral("Tahoma"), 8.5, true)),
      // The views keep the address of m_settings, made just after them.
      m_folderView(ChartSetup(setup, m_settings, QStringLiteral("Folder View")), setup.folderScan),
      m_fileTypeView(ChartSetup(setup, m_settings, QStringLiteral("File Type View")),
                     setup.fileTypeScan),
      m_settings(setup.settings),
      m_device(setup.device),
      m_profile(setup.profile),
      m_pace(setup.pace),
      m_historyRoot(setup.historyRoot) {
    if (m_profile)
        m_keepHistory = m_profile->readInt(kSection, kKeepHistory, 1) != 0;
    // The snapshot walks the whole device again: it waits until the pie is on screen, so
    // that the first paint has the processor to itself.
    m_folderView.scanCompleted = [this] { m_snapshotLater.start(); };
    m_snapshotLater.setSingleShot(true);
    m_snapshotLater.setInterval(kSnapshotFallback);
    connect(&m_snapshotLater, &QTimer::timeout, this, &CDovraneStorageAnalyzerView::KeepSnapshot);
    connect(
        &m_folderView, &views::CChartView::piePainted, this,
        [this] {
            if (m_snapshotLater.isActive()) {
                m_snapshotLater.stop();
                KeepSnapshot();
            }
        },
        Qt::QueuedConnection);
    m_saveTimer.setInterval(100);
    connect(&m_saveTimer, &QTimer::timeout, this, &CDovraneStorageAnalyzerView::ShowSaveProgress);
    // Painted whole each time, so the children are the only thing Qt needs to erase.
    setAttribute(Qt::WA_OpaquePaintEvent);
    // The details dialog reads the device even while the Overview has no window.
    m_overview.device = m_device;
    m_explorer.device = m_device;
    // The chart views ask for their dialogs; the views open them.
    connect(&m_folderView, &views::CFolderView::filesInFolderRequested, &m_folderView,
            &views::CFolderView::OpenFilesInFolder);
    connect(&m_folderView, &views::CFolderView::detailsRequested, &m_folderView,
            &views::CFolderView::OpenFolderDetails);
    connect(&m_fileTypeView, &views::CFileTypeView::fileListRequested, &m_fileTypeView,
            &views::CFileTypeView::OpenFileList);
    connect(&m_fileTypeView, &views::CFileTypeView::detailsRequested, &m_fileTypeView,
            &views::CFileTypeView::OpenFileTypes);
}

// Members go in the reverse of their declaration: the children, then the title font. A
// snapshot being written is stopped first; its partial file is removed as it stops.
CDovraneStorageAnalyzerView::~CDovraneStorageAnalyzerView() {
    m_snapshotGoing = false;
    if (m_snapshot.joinable())
        m_snapshot.join();
}

QString CDovraneStorageAnalyzerView::ViewTitle(int view) {
    switch (view) {
        case kOverview:
            return QStringLiteral("Overview");
        case kExplorerView:
            return QStringLiteral("Explorer View");
        case kFolderView:
            return QStringLiteral("Folder View");
        case kFileTypeView:
            return QStringLiteral("File Type View");
        default:
            return {};
    }
}

std::array<views::CChildWindow*, 4> CDovraneStorageAnalyzerView::Children() {
    return {&m_overview, &m_explorer, &m_folderView, &m_fileTypeView};
}

views::CChildWindow& CDovraneStorageAnalyzerView::currentChild() {
    return *Children()[static_cast<size_t>(m_nCurrentView)];
}

void CDovraneStorageAnalyzerView::OnInitialUpdate(View firstView) {
    OnViewExplorer();
    switch (firstView) {
        case kOverview:
            OnViewOverview();
            break;
        case kExplorerView:
            break;
        case kFolderView:
            OnViewFolder();
            break;
        case kFileTypeView:
            OnViewFileType();
            break;
    }
}

bool CDovraneStorageAnalyzerView::OnCmdMsg(int id) {
    switch (id) {
        case kIdOverview:
            OnViewOverview();
            return true;
        case kIdExplorerView:
            OnViewExplorer();
            return true;
        case kIdFolderView:
            OnViewFolder();
            return true;
        case kIdFileTypeView:
            OnViewFileType();
            return true;
        case kIdRefresh:
            OnRefresh();
            return true;
        case kIdParentFolder:
            OnParentFolder();
            return true;
        case kIdHelp:
            OnHelp();
            return true;
        case kIdLargestFiles:
            OnLargestFiles();
            return true;
        case kIdDuplicateFiles:
            OnDuplicateFiles();
            return true;
        case kIdDatabases:
            OnDatabases();
            return true;
        case kIdIdenticalFiles:
            OnIdenticalFiles();
            return true;
        case kIdPreferences:
            OnPreferences();
            return true;
        case kIdKeepHistory:
            OnKeepHistory();
            return true;
        case kIdCompareWith:
            OnCompareWith();
            return true;
        case kIdOpenScan:
        case kIdSaveScan:
            return isSaving();  // refused while a save runs: the device must stay
        default:
            return false;
    }
}

bool CDovraneStorageAnalyzerView::OnUpdateCmdUI(int id, CCmdUI& ui) const {
    switch (id) {
        case kIdOverview:
            ui.SetCheck(m_nCurrentView == kOverview);
            return true;
        case kIdExplorerView:
            ui.SetCheck(m_nCurrentView == kExplorerView);
            return true;
        case kIdFolderView:
            ui.SetCheck(m_nCurrentView == kFolderView);
            return true;
        case kIdFileTypeView:
            ui.SetCheck(m_nCurrentView == kFileTypeView);
            return true;
        case kIdParentFolder:
            ui.Enable(m_nCurrentView == kFolderView);
            return true;
        case kIdRefresh:
            ui.Enable(m_nCurrentView != kExplorerView);
            return true;
        case kIdIdenticalFiles:
        case kIdDatabases:
            // They read the files themselves, which an imported scan has not.
            ui.Enable(!dynamic_cast<const engine::ImportDevice*>(m_device));
            return true;
        case kIdKeepHistory:
            ui.SetCheck(m_keepHistory);
            return true;
        case kIdOpenScan:
        case kIdSaveScan:
            ui.Enable(!isSaving());
            return true;
        case kIdCompareWith:
            ui.Enable(!m_historyRoot.isEmpty() && !CompareTarget().IsBusy());
            ui.SetCheck(ByType() ? m_fileTypeView.isComparing() : m_folderView.isComparing());
            return true;
        default:
            return false;
    }
}

QRect CDovraneStorageAnalyzerView::ChildRect() const {
    return QRect(QPoint(0, kChildTop), QPoint(width() - 1, height() - 1));
}

bool CDovraneStorageAnalyzerView::CreateChild(views::CChildWindow& child,
                                              const QString& failureText) {
    if (child.Create(this, ChildRect()))
        return true;
    platform::ShowMessage(this, failureText);
    return false;
}

void CDovraneStorageAnalyzerView::MakeCurrent(View view) {
    m_nCurrentView = view;
    const auto children = Children();
    for (int i = 0; i < static_cast<int>(children.size()); ++i)
        if (i != view && children[static_cast<size_t>(i)]->IsWindowCreated())
            children[static_cast<size_t>(i)]->hide();
    repaint();  // the title band shows the new title at once
    emit currentViewChanged(view);
}

void CDovraneStorageAnalyzerView::OnViewOverview() {
    if (!m_overview.IsWindowCreated()) {
        m_overview.m_pMainView = this;
        CreateChild(m_overview, kChildCreateFailed);  // which reads the figures
    } else {
        m_overview.show();
    }
    MakeCurrent(kOverview);
}

void CDovraneStorageAnalyzerView::OnViewExplorer() {
    if (!m_explorer.IsWindowCreated())
        CreateChild(m_explorer, kTreeCreateFailed);
    else
        m_explorer.show();
    m_explorer.ExpandRoot();
    MakeCurrent(kExplorerView);
}

void CDovraneStorageAnalyzerView::OnViewFolder() {
    const QString path = m_explorer.GetSelectedPath();
    if (!m_folderView.IsWindowCreated()) {
        CreateChild(m_folderView, kChildCreateFailed);
        m_folderView.pendingPath = path;
        m_folderView.StartScan();
    } else {
        m_folderView.show();
        m_folderView.GoToPath(path);
    }
    MakeCurrent(kFolderView);
}

void CDovraneStorageAnalyzerView::OnViewFileType() {
    if (!m_fileTypeView.IsWindowCreated()) {
        CreateChild(m_fileTypeView, kChildCreateFailed);
        m_fileTypeView.StartScan();
    } else {
        m_fileTypeView.show();
    }
    MakeCurrent(kFileTypeView);
}

void CDovraneStorageAnalyzerView::OnRefresh() {
    switch (m_nCurrentView) {
        case kFolderView:
            m_folderView.StartScan();
            break;
        case kFileTypeView:
            m_fileTypeView.StartScan();
            break;
        case kOverview:
            m_overview.Refresh();
            break;
        default:
            break;  // the Explorer View reads the device each time a folder opens
    }
}

void CDovraneStorageAnalyzerView::OnParentFolder() {
    m_folderView.GoToParent();
}

void CDovraneStorageAnalyzerView::OnHelp() {
    OpenHelp(this);
}

// The searches start at the Explorer View's folder; the dialog searches on its own thread.
void CDovraneStorageAnalyzerView::OnLargestFiles() {
    dialogs::CLargestFilesDlg dlg(m_device, dialogs::SearchMode::Largest, {.pace = m_pace});
    dlg.setStartFolder(m_explorer.GetSelectedPath());
    dialogs::RunModal(dlg);
}

void CDovraneStorageAnalyzerView::OnDuplicateFiles() {
    dialogs::CLargestFilesDlg dlg(m_device, dialogs::SearchMode::Duplicates, {.pace = m_pace});
    dlg.setStartFolder(m_explorer.GetSelectedPath());
    dialogs::RunModal(dlg);
}

void CDovraneStorageAnalyzerView::OnIdenticalFiles() {
    dialogs::CLargestFilesDlg dlg(m_device, dialogs::SearchMode::Identical, {.pace = m_pace});
    dlg.setStartFolder(m_explorer.GetSelectedPath());
    dialogs::RunModal(dlg);
}

void CDovraneStorageAnalyzerView::OnDatabases() {
    dialogs::CDatabasesDlg dlg(platform::ObjectStoreFolders(), QString());
    dialogs::RunModal(dlg);
}

void CDovraneStorageAnalyzerView::OnPreferences() {
    // The dialog edits copies and fills `edited` only on OK, having saved it.
    engine::Settings edited = m_settings;
    dialogs::CPreferencesDlg dialog(this);
    dialog.colorTable = &edited.sliceColors;
    dialog.numberOfSlices = &edited.numberOfSlices;
    dialog.slices = m_settings.numberOfSlices;
    dialog.profile = m_profile;
    if (dialog.exec() != QDialog::Accepted)
        return;
    ApplyPreferences(edited);
}

void CDovraneStorageAnalyzerView::ApplyPreferences(const engine::Settings& settings) {
    m_settings = settings;
    const platform::WaitCursor wait;
    if (m_folderView.IsWindowCreated())
        m_folderView.ReapplySettings();
    if (m_fileTypeView.IsWindowCreated())
        m_fileTypeView.ReapplySettings();
}

void CDovraneStorageAnalyzerView::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.setFont(m_font);
    painter.setPen(dialogs::kRed);
    const QRect band(QPoint(3, 0), QPoint(width() - 1, kTitleBandHeight - 1));
    painter.drawText(band, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                     ViewTitle(m_nCurrentView));
    painter.setPen(QPen(Qt::black, 1));
    painter.drawLine(0, kTitleBandHeight, width(), kTitleBandHeight);
}

void CDovraneStorageAnalyzerView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    for (views::CChildWindow* child : Children())
        if (child->IsWindowCreated())
            child->setGeometry(ChildRect());
}

void CDovraneStorageAnalyzerView::OnKeepHistory() {
    m_keepHistory = !m_keepHistory;
    if (m_profile) {
        m_profile->writeInt(kSection, kKeepHistory, m_keepHistory ? 1 : 0);
        m_profile->sync();
    }
}

void CDovraneStorageAnalyzerView::KeepSnapshot() {
    // One at a time: a scan that ends while the last snapshot is still written adds none.
    if (!m_keepHistory || m_historyRoot.isEmpty() || !m_device || m_snapshotRunning ||
        dynamic_cast<const engine::ImportDevice*>(m_device))
        return;
    if (m_snapshot.joinable())
        m_snapshot.join();
    m_snapshotRunning = true;
    Options options;
    options.deviceRoot = m_historyRoot;
    m_snapshot = std::thread([this, options, time = QDateTime::currentSecsSinceEpoch()] {
        engine::WalkControl control;
        control.scanning = &m_snapshotGoing;
        control.pace = m_pace;
        app::KeepSnapshot(options, *m_device, control, time);
        m_snapshotRunning = false;
    });
}

bool CDovraneStorageAnalyzerView::ByType() const {
    return m_nCurrentView == kFileTypeView;
}

const views::CChartView& CDovraneStorageAnalyzerView::CompareTarget() const {
    return ByType() ? static_cast<const views::CChartView&>(m_fileTypeView) : m_folderView;
}

void CDovraneStorageAnalyzerView::OnCompareWith() {
    const bool byType = ByType();
    if (CompareTarget().IsBusy() || m_historyRoot.isEmpty())
        return;
    if (byType ? m_fileTypeView.isComparing() : m_folderView.isComparing()) {
        if (byType)
            m_fileTypeView.EndCompare();
        else
            m_folderView.EndCompare();
        return;
    }
    platform::HistoryStore store;
    QString error;
    if (!store.open(&error)) {
        platform::ShowMessage(this, error);
        return;
    }
    QStringList notes;  // snapshots removed by hand: the list simply lacks them
    const std::vector<platform::SnapshotRecord> records = store.list(m_historyRoot, &notes);
    if (records.empty()) {
        platform::ShowMessage(this, QStringLiteral("There is no earlier scan of %1 to compare "
                                                   "with. Keep History keeps one after each "
                                                   "scan of the Folder View.")
                                        .arg(m_historyRoot));
        return;
    }
    std::vector<dialogs::SnapshotChoice> choices;
    for (const platform::SnapshotRecord& record : records)
        choices.push_back({record.time, record.totalBytes});
    std::optional<quint64> nowBytes;
    if (const engine::FolderNode* root = m_folderView.rootFolder())
        nowBytes = root->totalSize;
    else if (const engine::FileTypeTable* types = m_fileTypeView.fileTypes())
        nowBytes = types->totalSize;
    dialogs::CCompareDlg dialog(choices, nowBytes, this);
    if (dialogs::RunModal(dialog) != QDialog::Accepted || dialog.chosen() < 0)
        return;
    // The snapshot is read on the view's scan thread, as the comparison goes.
    const platform::SnapshotRecord& record = records[static_cast<size_t>(dialog.chosen())];
    const QString then = store.pathOf(record);
    if (byType) {
        m_fileTypeView.StartCompare(then, record.time);
        return;
    }
    if (!m_folderView.IsWindowCreated()) {
        CreateChild(m_folderView, kChildCreateFailed);
    } else {
        m_folderView.show();
    }
    MakeCurrent(kFolderView);
    m_folderView.StartCompare(then, record.time);
}

void CDovraneStorageAnalyzerView::SaveScanTo(const QString& file) {
    if (isSaving() || !m_device || file.isEmpty())
        return;
    m_saveName = QFileInfo(file).fileName();
    m_saveJob.start(
        [device = m_device, file](const engine::WalkControl& control) -> std::optional<QString> {
            const std::optional<QString> error = SaveScan(*device, u"\\", file, control);
            if (error && control.stopped())
                return std::nullopt;  // the window is going: nobody to tell
            return error.value_or(QString());
        },
        [this](const QString& error) { SaveEnded(error); }, {.pace = m_pace});
    m_saveTimer.start();
    ShowSaveProgress();
}

void CDovraneStorageAnalyzerView::ShowSaveProgress() {
    engine::ScanProgress* progress = m_saveJob.progress();
    if (!progress)
        return;
    const QString folder = progress->currentFolder();
    emit statusMessage(
        QStringLiteral("Saving %1: %2 entries, %3")
            .arg(m_saveName, QLocale().toString(progress->folders.load() + progress->files.load()),
                 folder.isEmpty() ? QStringLiteral("\\") : folder),
        0);
    progress->requestFolder();  // one path a tick, not one a folder
}

void CDovraneStorageAnalyzerView::SaveEnded(const QString& error) {
    m_saveTimer.stop();
    if (!error.isEmpty()) {
        emit statusMessage({}, 0);
        platform::ShowMessage(this, error);
        return;
    }
    emit statusMessage(QStringLiteral("Saved %1").arg(m_saveName), 5000);
}

}  // namespace dovrane::app
