#pragma once
// The application object: builds the document, the frame with its command bar and the
// main view, shows the window, and answers the About command.

#include <QSize>
#include <memory>

#include "app/cmd_target.h"
#include "app/main_view.h"

namespace dovrane::platform {
class Device;
}
namespace dovrane::engine {
class ImportDevice;
class EarlyFileSearch;
}  // namespace dovrane::engine

namespace dovrane::app {

class CDovraneStorageAnalyzerDoc;
class CMainFrame;

struct AppStart {
    MainViewSetup view;
    QString scanTitle;  // for an imported scan: which one, for the window's title
    CDovraneStorageAnalyzerView::View firstView = CDovraneStorageAnalyzerView::kOverview;
    QSize clientSize{240, 320};  // device-independent pixels of the frame's client area
    // The search of the dialog to draw, begun before the window.
    std::shared_ptr<engine::EarlyFileSearch> fileSearch{};
};

class CAnalyzerApp final : public CCmdTarget {
public:
    // A QApplication must exist.
    explicit CAnalyzerApp(const AppStart& start);
    ~CAnalyzerApp() override;
    CAnalyzerApp(const CAnalyzerApp&) = delete;
    CAnalyzerApp& operator=(const CAnalyzerApp&) = delete;

    // The start-up: fonts and names of the application, the document, the frame with its
    // command bar, the main view and its first update, then the window is shown and
    // painted. False when the frame cannot be made: the process then ends at once.
    bool InitInstance();

    bool OnCmdMsg(int id) override;
    // Runs the About box modally.
    void OnAppAbout();
    // File > Open Scan...: a scan file becomes the device; one that cannot be read is named
    // in a message box and the window keeps what it shows.
    void OnOpenScan();
    // File > Save Scan As...: the device's scan, written to a file by the main view.
    void OnSaveScan();

    CMainFrame* mainFrame() const { return m_frame.get(); }
    CDovraneStorageAnalyzerView* mainView() const;
    CDovraneStorageAnalyzerDoc* document() const { return m_document.get(); }
    // Once: the search begun before the window, for the dialog it was begun for.
    std::shared_ptr<engine::EarlyFileSearch> TakeFileSearch() {
        return std::move(m_start.fileSearch);
    }

private:
    // A main view on `device`, in place of the one shown (the first, when none is).
    void ShowDevice(platform::Device* device, CDovraneStorageAnalyzerView::View view,
                    const QString& scanTitle);

    AppStart m_start;
    std::unique_ptr<platform::Device> m_scan;  // a scan opened in the window
    std::unique_ptr<CDovraneStorageAnalyzerDoc> m_document;
    std::unique_ptr<CMainFrame> m_frame;
};

// "FOLDER, TIME": which scan an imported device is, for the window's title.
QString ScanTitle(const engine::ImportDevice& scan);

// Once per process: the Tahoma face, the application's name, icon and dialog font.
void PrepareApplication();

}  // namespace dovrane::app
