#include "dialogs/largest_files_dlg.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>

#include "dialogs/colors.h"
#include "dialogs/control_id.h"
#include "dialogs/file_operations.h"
#include "dialogs/hold_list_ctrl.h"
#include "engine/text.h"
#include "platform/content_reader.h"

namespace dovrane::dialogs {
namespace {

// The progress label follows the walk at the display's pace, not once per folder.
constexpr std::chrono::milliseconds kProgressInterval{40};

}  // namespace

CLargestFilesDlg::CLargestFilesDlg(platform::Device* device, QWidget* parent)
    : CAnalyzerDialog(151, parent), m_device(device) {
    m_strTitle = TitleOf(true, false);
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

QString CLargestFilesDlg::startFolder() const {
    const QMutexLocker lock(&m_startFolderMutex);
    return m_startFolder;
}

void CLargestFilesDlg::setStartFolder(const QString& folder) {
    const QMutexLocker lock(&m_startFolderMutex);
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
        const engine::FileList& files = m_search.list();
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
    m_operations = new CFileOperations(this, m_list, m_device);
    // The list is never filled again: deleted rows go, the others keep their places.
    m_operations->removeItems = [this](const std::vector<quint32>& removed) {
        std::vector<quint32> gone(removed);
        std::sort(gone.begin(), gone.end());
        std::erase_if(m_rows, [&](quint32 item) {
            return std::binary_search(gone.begin(), gone.end(), item);
        });
    };
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
    m_searching = true;
    const QString start = startFolder();
    const bool largest = m_largest != 0, sameContent = !largest && m_sameContent;
    const engine::WalkControl control{
        .scanning = &m_searching,
        .progress = &m_progress,
        .pace = pace,
        .threads = threads > 0 ? threads : engine::DefaultWalkThreads()};
    m_searchThread = std::thread([this, start, largest, sameContent, control] {
        bool ok =
            m_device && m_search.SearchFiles(*m_device, start, largest || sameContent, control);
        if (ok && sameContent) {
            m_reading = true;
            const auto reader = platform::MakeContentReader(*m_device);
            m_identical =
                reader ? engine::FindIdenticalFiles(m_search.list(), m_search.allFiles().files,
                                                    *reader, &m_searching, &m_contentProgress)
                       : engine::IdenticalResult{};
            ok = m_identical.has_value();
        }
        if (!ok && !m_searching)
            return;  // stopped: the dialog is going and wants nothing back
        setStartFolder(engine::FileSearch::HeaderText(start));
        QMetaObject::invokeMethod(
            this,
            [this] {
                m_searchThread.join();
                m_searching = false;
                ShowSearching(false);
            },
            Qt::QueuedConnection);
    });
}

void CLargestFilesDlg::StopSearch() {
    m_searching = false;
    if (m_searchThread.joinable())
        m_searchThread.join();
    m_progressTimer.stop();
}

void CLargestFilesDlg::done(int result) {
    StopSearch();
    CAnalyzerDialog::done(result);
}

void CLargestFilesDlg::OnProgressTimer() {
    if (m_reading) {
        const quint64 read = m_contentProgress.bytesRead.load(std::memory_order_relaxed);
        const quint64 total = m_contentProgress.bytesToRead.load(std::memory_order_relaxed);
        m_progressLabel->setText(QStringLiteral("Reading %1 of %2")
                                     .arg(engine::SizeText(read), engine::SizeText(total)));
        return;
    }
    const QString folder = m_progress.currentFolder();
    m_progress.requestFolder();
    if (!folder.isEmpty() && folder != m_progressLabel->text())
        m_progressLabel->setText(folder);
}

void CLargestFilesDlg::FillLargest() {
    Fill(m_search.allFiles().filesBySize);
}

void CLargestFilesDlg::FillDuplicates() {
    Fill(m_search.allFiles().filesByName);
}

void CLargestFilesDlg::FillIdentical() {
    std::vector<quint32> rows;
    if (m_identical)
        for (const engine::IdenticalGroup& g : m_identical->groups)
            rows.insert(rows.end(), g.files.begin(), g.files.end());
    Fill(std::move(rows));
}

void CLargestFilesDlg::Fill(std::vector<quint32> rows) {
    m_rows = std::move(rows);
    m_operations->setFiles(&m_search.list());
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
