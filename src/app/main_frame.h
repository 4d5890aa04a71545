#pragma once
// The single-document frame: the main view above a command bar that carries the two
// menus "&File" and "Tools" and then six buttons, each with its tool tip, as on the
// handheld. Commands from either go through RouteCommand.

#include <QMainWindow>
#include <QPixmap>
#include <QStringList>
#include <QToolBar>
#include <map>

#include "app/cmd_target.h"

class QAction;
class QMenu;
class QStyle;
class QToolButton;

namespace dovrane::app {

class CDovraneStorageAnalyzerView;

// A PNG picture built into the program (ours or Qt's); a null pixmap if there is none.
QPixmap BuiltInPng(const QString& path);
// The application's style: the platform's (or the user's) own, but for the command bar's
// extension arrows, which it reads as BuiltInPng reads.
QStyle* CreateAppStyle();

// The command bar: a toolbar along the bottom of the frame with a line along its top.
class CCommandBar : public QToolBar {
    Q_OBJECT

public:
    explicit CCommandBar(QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
};

class CMainFrame : public QMainWindow, public CCmdTarget {
    Q_OBJECT

public:
    CMainFrame();
    ~CMainFrame() override;

    // The creation handler: builds the command bar. False, after the message box
    // "Failed to create CommandBar\n", when its buttons' bitmap cannot be loaded.
    bool OnCreate();

    // The view becomes the frame's client, owned by it. `document` and `application`
    // come after the view and the frame on every command's route; both outlive the frame.
    void SetView(CDovraneStorageAnalyzerView* view);
    void SetRoute(CCmdTarget* document, CCmdTarget* application);
    CDovraneStorageAnalyzerView* view() const { return m_view; }

    // Runs `id` on the first of view, document, frame and application that handles it,
    // then brings every command's tick, pressed button and enabled state up to date.
    void RouteCommand(int id);
    void UpdateCommandUI();

    bool OnCmdMsg(int id) override;
    // File > Exit: posts the end of the event loop with exit code 0; nothing to save.
    void OnAppExit();

    // The action of a command, shared by its menu item and its button; null if none.
    QAction* action(int id) const;
    CCommandBar* commandBar() const { return m_wndCommandBar; }
    // The tool tips: the two menus', then the six buttons'.
    const QStringList& toolTips() const { return m_toolTips; }

protected:
    QMenu* createPopupMenu() override { return nullptr; }  // the bar is not to be hidden

private:
    QAction* AddCommand(int id, const QString& text, bool checkable = false);
    QToolButton* AddMenuButton(int id, const QString& text, QMenu* menu, const QString& tip);

    CCommandBar* m_wndCommandBar = nullptr;
    QStringList m_toolTips;
    std::map<int, QAction*> m_actions;
    CDovraneStorageAnalyzerView* m_view = nullptr;
    CCmdTarget* m_document = nullptr;
    CCmdTarget* m_application = nullptr;
};

}  // namespace dovrane::app
