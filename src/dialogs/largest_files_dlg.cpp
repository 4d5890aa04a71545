#include "dialogs/largest_files_dlg.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>

#include "dialogs/colors.h"
#include "dialogs/control_id.h"
#include "dialogs/file_operations.h"
#include "dialogs/hold_list_ctrl.h"
#include "engine/orders.h"
#include "engine/text.h"

namespace dovrane::dialogs {
namespace {

// The progress label follows the walk at the display's pace, not once per folder.
constexpr std::chrono::milliseconds kProgressInterval{40};

// `found` in the order of a column: by name or folder A to Z without regard to case, or
// largest first; ties keep their order in `found`.
std::vector<quint32> OrderOf(const engine::FileList& list, const std::vector<quint32>& found,
                             int column) {
    if (column == 1)
        return engine::OrderBySize(found, [&](quint32 i) { return list[i].size; });
    std::vector<std::pair<QString, quint32>> keyed;
    keyed.reserve(found.size());
    for (const quint32 i : found)
        keyed.emplace_back(
            engine::FoldCase(column == 0 ? list.name(list[i]) : list.folder(list[i])), i);
    engine::StableSort(keyed.begin(), keyed.end(),
                       [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<quint32> out;
    out.reserve(keyed.size());
    for (const auto& k : keyed)
        out.push_back(k.second);
    return out;
}

}  // namespace

CLargestFilesDlg::CLargestFilesDlg(platform::Device* device, SearchMode mode, SearchPace pace,
                                   QWidget* parent, std::shared_ptr<engine::EarlyFileSearch> early)
    : CAnalyzerDialog(151, parent),
      m_device(device),
      m_mode(mode),
      m_largest(mode == SearchMode::Largest),
      m_sameContent(mode == SearchMode::Identical),
      m_pace(pace),
      m_early(std::move(early)) {
    m_strTitle = TitleOf(m_largest, m_sameContent);
    m_progressTimer.setInterval(kProgressInterval);
    connect(&m_progressTimer, &QTimer::timeout, this, &CLargestFilesDlg::OnProgressTimer);
}

CLargestFilesDlg::~CLargestFilesDlg() {
    StopSearch();
}

QString CLargestFilesDlg::TitleOf(bool largest, bool sameContent) {
    if (largest)
        return QStringLiteral("Largest Files");
    return sameContent ? QStringLiteral("Identical Files") : QStringLiteral("Duplicate Files");
}

QString CLargestFilesDlg::IdenticalGroupText(size_t count, quint64 size) {
    const quint64 wasted = count == 0 ? 0 : size * (count - 1);
    return QStringLiteral("%1 %2 of %3, %4 wasted")
        .arg(count)
        .arg(count == 1 ? QStringLiteral("file") : QStringLiteral("files"), engine::SizeText(size),
             engine::SizeText(wasted));
}

QString CLargestFilesDlg::IdenticalTitle(quint64 wasted) {
    // Short enough to fit beside Cancel in the handheld's header.
    return QStringLiteral("Identical: %1 wasted").arg(engine::SizeText(wasted));
}

quint64 CLargestFilesDlg::WastedBytes() const {
    quint64 wasted = 0;
    for (const Group& g : m_groups)
        wasted += g.wastedBytes();
    return wasted;
}

QString CLargestFilesDlg::startFolder() const {
    return m_startFolder;
}

void CLargestFilesDlg::setStartFolder(const QString& folder) {
    m_startFolder = folder;
}

bool CLargestFilesDlg::OnInitDialog() {
    m_strTitle = TitleOf(m_largest, m_sameContent);
    setWindowTitle(m_strTitle);
    CreateCancelButton()->show();
    m_processingLabel = new QLabel(QStringLiteral("Processing"), this);
    SetDlgCtrlID(m_processingLabel, kIdSearchProcessing);
    SetTextColor(m_processingLabel, kRed);
    m_processingLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_processingLabel->hide();
    m_progressLabel = new QLabel(QStringLiteral("XX"), this);
    SetDlgCtrlID(m_progressLabel, kIdSearchProgress);
    SetTextColor(m_progressLabel, kBlue);
    m_progressLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_progressLabel->setWordWrap(true);
    m_progressLabel->hide();

    m_list = new CHoldListCtrl(this);
    m_list->hide();
    m_list->InsertColumns({{QStringLiteral("File"), Qt::AlignLeft, 125},
                           {QStringLiteral("Size"), Qt::AlignRight, 70},
                           {QStringLiteral("Folder"), Qt::AlignLeft, 300}});
    m_list->listModel()->setCellText([this](quint32 item, int column) {
        const engine::FileList& files = m_search->list();
        const engine::FileRecord& r = files[item];
        switch (column) {
            case 0:
                return files.name(r);
            case 1:
                return engine::SizeText(r.size);
            default:
                return files.folder(r);
        }
    });
    if (!m_largest)
        m_list->listModel()->setHeaderText([this](quint32 group) {
            const Group& g = m_groups[group];
            return m_sameContent ? IdenticalGroupText(g.files.size(), g.size) : g.name;
        });
    m_operations = new CFileOperations(this, m_list, m_device);
    // The list is never filled again: deleted rows go, the others keep their places.
    m_operations->removeItems = [this](const std::vector<quint32>& removed) {
        std::vector<quint32> gone(removed);
        std::sort(gone.begin(), gone.end());
        if (m_largest)
            std::erase_if(m_rows, [&](quint32 item) {
                return std::binary_search(gone.begin(), gone.end(), item);
            });
        else
            RemoveFromGroups(gone);
    };
    // Only the groups sort; the largest files keep the order they were found in.
    connect(m_list, &CHoldListCtrl::columnClicked, this, [this](int column) {
        if (!m_largest && !IsSearching())
            SortGroups(column);
    });
    connect(m_list, &CHoldListCtrl::rowDoubleClicked, this, [this](int row) {
        if (row >= 0)
            m_operations->OnProperties();
    });
    CAnalyzerDialog::OnInitDialog();
    PlaceControls();
    ShowSearching(true);
    StartSearch();
    return true;
}

void CLargestFilesDlg::PlaceControls() {
    const int w = width(), h = height();
    if (m_processingLabel) {
        m_processingLabel->setGeometry(0, 24, w, 39 - 24);
        m_progressLabel->setGeometry(0, 40, w, 90 - 40);
        m_list->setGeometry(0, 50, w, h - 50);
    }
}

void CLargestFilesDlg::resizeEvent(QResizeEvent* event) {
    CAnalyzerDialog::resizeEvent(event);
    PlaceControls();
}

void CLargestFilesDlg::ShowSearching(bool on) {
    if (on) {
        m_processingLabel->show();
        m_progressLabel->show();
        m_list->hide();
        m_progressTimer.start();
        return;
    }
    m_progressTimer.stop();
    m_processingLabel->hide();
    m_progressLabel->hide();
    m_list->show();
    if (m_largest)
        FillLargest();
    else if (m_sameContent)
        FillIdentical();
    else
        FillDuplicates();
    repaint();
}

void CLargestFilesDlg::StartSearch() {
    const engine::FileSearchWork work{.device = m_device,
                                      .start = startFolder(),
                                      .largest = m_largest,
                                      .sameContent = m_sameContent,
                                      .content = m_content};
    const auto finished = [this](engine::FoundFiles found) {
        m_search = std::move(found.search);
        m_identical = std::move(found.identical);
        setStartFolder(found.header);
        ShowSearching(false);
        emit searchEnded();
    };
    // A search begun for this very dialog before it was made runs on: its job becomes ours.
    if (const auto early = std::exchange(m_early, nullptr); early && early->work().sameAs(work)) {
        m_content = early->work().content;
        m_job = early->scan().claim(finished);
        return;
    }
    m_job->start(work, finished, {.pace = m_pace.pace, .threads = m_pace.threads});
}

void CLargestFilesDlg::StopSearch() {
    m_job->stop();
    m_progressTimer.stop();
}

void CLargestFilesDlg::done(int result) {
    StopSearch();
    CAnalyzerDialog::done(result);
}

void CLargestFilesDlg::OnProgressTimer() {
    if (m_content->reading) {
        const quint64 read = m_content->progress.bytesRead.load(std::memory_order_relaxed);
        const quint64 total = m_content->progress.bytesToRead.load(std::memory_order_relaxed);
        m_progressLabel->setText(QStringLiteral("Reading %1 of %2")
                                     .arg(engine::SizeText(read), engine::SizeText(total)));
        return;
    }
    engine::ScanProgress* progress = m_job->progress();
    if (!progress)
        return;
    const QString folder = progress->currentFolder();
    progress->requestFolder();
    if (!folder.isEmpty() && folder != m_progressLabel->text())
        m_progressLabel->setText(folder);
}

void CLargestFilesDlg::FillLargest() {
    Fill(m_search->allFiles().filesBySize);
}

void CLargestFilesDlg::FillDuplicates() {
    // The name order keeps each name's files together: a group is a run of names that the
    // search took for one.
    const engine::FileList& list = m_search->list();
    m_groups.clear();
    for (const quint32 i : m_search->allFiles().filesByName) {
        if (m_groups.empty() ||
            engine::CompareHostNamesNoCase(list.hostName(list[m_groups.back().found.back()]),
                                           list.hostName(list[i])) != 0)
            m_groups.push_back({.name = list.name(list[i]), .size = 0, .found = {}, .files = {}});
        m_groups.back().found.push_back(i);
    }
    FillGroups();
}

void CLargestFilesDlg::FillIdentical() {
    m_groups.clear();
    if (m_identical)
        for (const engine::IdenticalGroup& g : m_identical->groups)
            m_groups.push_back({.name = {}, .size = g.size, .found = g.files, .files = {}});
    FillGroups();
    SetTitle(IdenticalTitle(WastedBytes()));
}

void CLargestFilesDlg::FillGroups() {
    for (Group& g : m_groups)
        g.files = g.found;
    Fill(GroupRows());
}

std::vector<quint32> CLargestFilesDlg::GroupRows() const {
    std::vector<quint32> rows;
    for (size_t g = 0; g < m_groups.size(); ++g) {
        if (m_groups[g].files.empty())
            continue;
        rows.push_back(kGroupHeaderItem | static_cast<quint32>(g));
        rows.insert(rows.end(), m_groups[g].files.begin(), m_groups[g].files.end());
    }
    return rows;
}

void CLargestFilesDlg::SortGroups(int column) {
    if (column < 0 || column > 2)
        return;
    const auto c = static_cast<size_t>(column);
    const engine::FileList& list = m_search->list();
    for (Group& g : m_groups) {
        g.files = OrderOf(list, g.found, column);
        if (m_reversed[c])
            std::reverse(g.files.begin(), g.files.end());
    }
    m_reversed[c] = !m_reversed[c];
    if (m_sameContent)
        std::stable_sort(m_groups.begin(), m_groups.end(), [](const Group& a, const Group& b) {
            return a.wastedBytes() > b.wastedBytes();
        });
    m_rows = GroupRows();
    m_list->listModel()->orderChanged();
}

void CLargestFilesDlg::RemoveFromGroups(const std::vector<quint32>& gone) {
    const auto isGone = [&](quint32 item) {
        return !(item & kGroupHeaderItem) && std::binary_search(gone.begin(), gone.end(), item);
    };
    for (Group& g : m_groups) {
        std::erase_if(g.found, isGone);
        std::erase_if(g.files, isGone);
    }
    std::erase_if(m_rows, isGone);
    // A group whose files are all gone loses its header row too.
    std::erase_if(m_rows, [&](quint32 item) {
        return (item & kGroupHeaderItem) && m_groups[item & ~kGroupHeaderItem].files.empty();
    });
    if (m_sameContent)
        SetTitle(IdenticalTitle(WastedBytes()));
}

void CLargestFilesDlg::Fill(std::vector<quint32> rows) {
    m_rows = std::move(rows);
    m_operations->setFiles(&m_search->list());
    m_list->listModel()->setOrder(&m_rows, false);
}

void CLargestFilesDlg::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    const int w = width();
    painter.fillRect(rect(), Qt::white);
    DrawHeaderLine(painter);
    painter.setFont(m_font);
    painter.setPen(kRed);
    painter.drawText(QRect(0, 24, w, 50 - 24), Qt::AlignHCenter | Qt::TextWordWrap, startFolder());
}

}  // namespace dovrane::dialogs
