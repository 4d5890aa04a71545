#include "app/analyzer_app.h"

#include <QApplication>
#include <QDateTime>
#include <QFile>
#include <QLayout>
#include <QLocale>

#include "app/analyzer_doc.h"
#include "app/main_frame.h"
#include "app/resource.h"
#include "charts/point_font.h"
#include "dialogs/about_dlg.h"
#include "engine/scan_import.h"
#include "platform/file_dialog.h"
#include "platform/fonts.h"
#include "platform/message_box.h"
#include "platform/wait_cursor.h"

namespace dovrane::app {

void PrepareApplication() {
    static bool prepared = false;
    if (prepared)
        return;
    prepared = true;
    QApplication::setStyle(CreateAppStyle());  // the application takes it
    platform::LoadTahoma();
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Dovrane Storage Analyzer"));
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128})
        icon.addPixmap(BuiltInPng(QStringLiteral(":/res/app-%1.png").arg(size)));
    QApplication::setWindowIcon(icon);
    // Controls without a font of their own use the handheld's dialog font.
    QApplication::setFont(charts::CreatePointFont(QStringLiteral("Tahoma"), 9));
}

namespace {

// The file of Open Scan or Save Scan As; empty when cancelled.
QString AskScanFile(QWidget* parent, platform::FileDialogMode mode) {
    const bool open = mode == platform::FileDialogMode::Open;
    return platform::AskFileName(
        {.parent = parent,
         .mode = mode,
         .caption = open ? QStringLiteral("Open Scan") : QStringLiteral("Save Scan As"),
         .filter =
             QStringLiteral("Scans (*.json *.json.gz *.json.zst *.gz *.zst);;All files (*)")});
}

}  // namespace

CAnalyzerApp::CAnalyzerApp(const AppStart& start) : m_start(start) {}

CAnalyzerApp::~CAnalyzerApp() = default;

CDovraneStorageAnalyzerView* CAnalyzerApp::mainView() const {
    return m_frame ? m_frame->view() : nullptr;
}

bool CAnalyzerApp::InitInstance() {
    PrepareApplication();
    m_document = std::make_unique<CDovraneStorageAnalyzerDoc>();
    m_document->OnNewDocument();
    m_frame = std::make_unique<CMainFrame>();
    if (!m_frame->OnCreate()) {
        m_frame.reset();
        return false;
    }
    m_frame->SetRoute(m_document.get(), this);
    m_frame->resize(m_start.clientSize);
    ShowDevice(m_start.view.device, m_start.firstView, m_start.scanTitle);
    m_frame->show();
    m_frame->repaint();
    return true;
}

void CAnalyzerApp::ShowDevice(platform::Device* device, CDovraneStorageAnalyzerView::View view,
                              const QString& scanTitle) {
    MainViewSetup setup = m_start.view;
    if (CDovraneStorageAnalyzerView* shown = mainView())
        setup.settings = shown->settings();
    setup.device = device;
    // The frame would delete the old view later; its walks must end before its device goes.
    std::unique_ptr<QWidget> old(m_frame->centralWidget());
    m_frame->SetView(new CDovraneStorageAnalyzerView(setup));
    // Scans begun before the window are for its first view alone.
    m_start.view.folderScan.reset();
    m_start.view.fileTypeScan.reset();
    old.reset();
    m_frame->layout()->activate();  // the view has its size before its children are made
    m_frame->view()->folderView().setScanName(scanTitle);
    m_frame->view()->OnInitialUpdate(view);
    const QString name = QStringLiteral("Dovrane Storage Analyzer");
    m_frame->setWindowTitle(scanTitle.isEmpty() ? name : name + QStringLiteral(" - ") + scanTitle);
}

QString ScanTitle(const engine::ImportDevice& scan) {
    // The scanned folder and the time of the scan, in the user's own form.
    return QStringLiteral("%1, %2").arg(
        QFile::decodeName(scan.header().rootName),
        QLocale().toString(QDateTime::fromSecsSinceEpoch(scan.header().timestamp),
                           QLocale::ShortFormat));
}

void CAnalyzerApp::OnOpenScan() {
    const QString file = AskScanFile(m_frame.get(), platform::FileDialogMode::Open);
    if (file.isEmpty())
        return;
    engine::ImportResult scan;
    {
        const platform::WaitCursor wait;
        scan = engine::ImportScanFile(file);
    }
    if (!scan.device) {
        platform::ShowMessage(m_frame.get(), scan.error);
        return;
    }
    const auto view = static_cast<CDovraneStorageAnalyzerView::View>(mainView()->currentView());
    ShowDevice(scan.device.get(), view, ScanTitle(*scan.device));
    m_scan = std::move(scan.device);  // the scan shown before goes only with its view
}

void CAnalyzerApp::OnSaveScan() {
    const QString file = AskScanFile(m_frame.get(), platform::FileDialogMode::Save);
    mainView()->SaveScanTo(file);  // on the view's thread of work: the window stays live
}

bool CAnalyzerApp::OnCmdMsg(int id) {
    switch (id) {
        case kIdAppAbout:
            OnAppAbout();
            return true;
        case kIdOpenScan:
            OnOpenScan();
            return true;
        case kIdSaveScan:
            OnSaveScan();
            return true;
        default:
            return false;
    }
}

void CAnalyzerApp::OnAppAbout() {
    dialogs::CAboutDlg dialog;
    dialog.exec();
}

}  // namespace dovrane::app
