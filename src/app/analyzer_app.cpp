#include "app/analyzer_app.h"

#include <QApplication>
#include <QLayout>

#include "app/analyzer_doc.h"
#include "app/main_frame.h"
#include "app/resource.h"
#include "charts/point_font.h"
#include "dialogs/about_dlg.h"
#include "platform/fonts.h"

namespace dovrane::app {

void PrepareApplication() {
    static bool prepared = false;
    if (prepared)
        return;
    prepared = true;
    platform::LoadTahoma();
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Dovrane Storage Analyzer"));
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128})
        icon.addFile(QStringLiteral(":/res/app-%1.png").arg(size), QSize(size, size));
    QApplication::setWindowIcon(icon);
    // Controls without a font of their own use the handheld's dialog font.
    QApplication::setFont(charts::CreatePointFont(QStringLiteral("Tahoma"), 9));
}

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
    m_frame->SetView(new CDovraneStorageAnalyzerView(m_start.view));
    m_frame->SetRoute(m_document.get(), this);
    m_frame->resize(m_start.clientSize);
    m_frame->layout()->activate();  // the view has its size before its children are made
    m_frame->view()->OnInitialUpdate(m_start.firstView);
    m_frame->show();
    m_frame->repaint();
    return true;
}

bool CAnalyzerApp::OnCmdMsg(int id) {
    if (id != kIdAppAbout)
        return false;
    OnAppAbout();
    return true;
}

void CAnalyzerApp::OnAppAbout() {
    dialogs::CAboutDlg dialog;
    dialog.exec();
}

}  // namespace dovrane::app
