#include "app/main_frame.h"

#include <QAction>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QImageReader>
#include <QLayout>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QProxyStyle>
#include <QStatusBar>
#include <QStyleOption>
#include <QToolButton>
#include <array>

#include "app/main_view.h"
#include "app/resource.h"
#include "dialogs/control_id.h"
#include "platform/message_box.h"

namespace dovrane::app {
namespace {

constexpr int kButtonSize = 16;

// The six buttons' pictures, in toolbar order, from one strip of 16 x 16 images and its
// twice-as-large companion for screens of factor 2.
QList<QIcon> ButtonIcons() {
    const QPixmap strip = BuiltInPng(QStringLiteral(":/res/toolbar.png"));
    const QPixmap strip2x = BuiltInPng(QStringLiteral(":/res/toolbar@2x.png"));
    QList<QIcon> icons;
    if (strip.width() < 6 * kButtonSize)
        return icons;
    for (int i = 0; i < 6; ++i) {
        QIcon icon(strip.copy(i * kButtonSize, 0, kButtonSize, kButtonSize));
        if (strip2x.width() >= 12 * kButtonSize) {
            QPixmap large = strip2x.copy(i * 2 * kButtonSize, 0, 2 * kButtonSize, 2 * kButtonSize);
            large.setDevicePixelRatio(2);
            icon.addPixmap(large);
        }
        icons.append(icon);
    }
    return icons;
}

// The keys a desktop user expects of each command; the first shows beside its menu item.
QList<QKeySequence> CommandKeys(int id) {
    switch (id) {
        case kIdExit:
            return {QKeySequence(Qt::CTRL | Qt::Key_Q)};
        case kIdOverview:
            return {QKeySequence(Qt::CTRL | Qt::Key_1)};
        case kIdExplorerView:
            return {QKeySequence(Qt::CTRL | Qt::Key_2)};
        case kIdFolderView:
            return {QKeySequence(Qt::CTRL | Qt::Key_3)};
        case kIdFileTypeView:
            return {QKeySequence(Qt::CTRL | Qt::Key_4)};
        case kIdAppAbout:
            return {QKeySequence(Qt::SHIFT | Qt::Key_F1)};
        case kIdHelp:
            return {QKeySequence(Qt::Key_F1)};
        case kIdLargestFiles:
            return {QKeySequence(Qt::CTRL | Qt::Key_L)};
        case kIdDuplicateFiles:
            return {QKeySequence(Qt::CTRL | Qt::Key_D)};
        case kIdIdenticalFiles:
            return {QKeySequence(Qt::CTRL | Qt::Key_I)};
        case kIdDatabases:
            return {QKeySequence(Qt::CTRL | Qt::Key_B)};
        case kIdParentFolder:
            return {QKeySequence(Qt::Key_Backspace), QKeySequence(Qt::ALT | Qt::Key_Up)};
        case kIdPreferences:
            return {QKeySequence(Qt::CTRL | Qt::Key_Comma)};
        case kIdRefresh:
            return {QKeySequence(Qt::Key_F5)};
        default:
            return {};
    }
}

// Qt's style but for the command bar's extension arrows, which Qt reads from PNG files of its
// own the costly way (see BuiltInPng) while the bar is made, at every start.
class CAppStyle final : public QProxyStyle {
public:
    QIcon standardIcon(StandardPixmap which, const QStyleOption* option,
                       const QWidget* widget) const override {
        const bool horizontal = which == SP_ToolBarHorizontalExtensionButton;
        if (!horizontal && which != SP_ToolBarVerticalExtensionButton)
            return QProxyStyle::standardIcon(which, option, widget);
        const bool rtl =
            (option ? option->direction : QGuiApplication::layoutDirection()) == Qt::RightToLeft;
        QIcon icon;
        const std::array<int, 3> sizes = horizontal ? std::array{8, 16, 32} : std::array{5, 10, 20};
        for (const int size : sizes) {
            const QString name = horizontal
                                     ? QStringLiteral("h-%1%2").arg(rtl ? "rtl-" : "").arg(size)
                                     : QStringLiteral("v-%1").arg(size);
            const QPixmap picture = BuiltInPng(
                QStringLiteral(":/qt-project.org/styles/commonstyle/images/toolbar-ext-%1.png")
                    .arg(name));
            if (picture.isNull())  // another Qt, with other pictures: its own way, then
                return QProxyStyle::standardIcon(which, option, widget);
            icon.addPixmap(picture);
        }
        return icon;
    }
};

}  // namespace

QPixmap BuiltInPng(const QString& path) {
    // Told the format, Qt's reader still loads every image plug-in it can find (and libjpeg
    // with them) to ask each whether it reads PNG, unless it may not guess: half a
    // millisecond of every start, for pictures whose format is known.
    QImageReader reader(path, "png");
    reader.setAutoDetectImageFormat(false);
    return QPixmap::fromImage(reader.read());
}

QStyle* CreateAppStyle() {
    return new CAppStyle;
}

CCommandBar::CCommandBar(QWidget* parent) : QToolBar(parent) {}

void CCommandBar::paintEvent(QPaintEvent* event) {
    QToolBar::paintEvent(event);
    QPainter painter(this);
    painter.setPen(QPen(palette().color(QPalette::Dark), 1));
    painter.drawLine(0, 0, width(), 0);
}

CMainFrame::CMainFrame() {
    setWindowTitle(QStringLiteral("Dovrane Storage Analyzer"));
}

CMainFrame::~CMainFrame() = default;

QAction* CMainFrame::AddCommand(int id, const QString& text, bool checkable) {
    auto* command = new QAction(text, this);
    command->setObjectName(QString::number(id));
    command->setCheckable(checkable);
    command->setIconVisibleInMenu(false);  // the handheld's menus carry no pictures
    command->setShortcuts(CommandKeys(id));
    // Held by the frame too, so its keys work wherever the focus is in the window.
    addAction(command);
    connect(command, &QAction::triggered, this, [this, id] { RouteCommand(id); });
    m_actions[id] = command;
    return command;
}

QToolButton* CMainFrame::AddMenuButton(int id, const QString& text, QMenu* menu,
                                       const QString& tip) {
    auto* button = new QToolButton(m_wndCommandBar);
    dialogs::SetDlgCtrlID(button, id);
    button->setText(text);
    button->setToolTip(tip);
    button->setMenu(menu);
    button->setPopupMode(QToolButton::InstantPopup);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    button->setAutoRaise(true);
    // The handheld's menu names carry no drop-down arrow.
    button->setStyleSheet(QStringLiteral("QToolButton::menu-indicator { image: none; width: 0; }"));
    m_wndCommandBar->addWidget(button);
    return button;
}

bool CMainFrame::OnCreate() {
    m_toolTips = {QStringLiteral("File"),          QStringLiteral("Tools"),
                  QStringLiteral("Overview"),      QStringLiteral("Explorer view"),
                  QStringLiteral("Folder view"),   QStringLiteral("File type view"),
                  QStringLiteral("Parent Folder"), QStringLiteral("Help")};
    const QList<QIcon> icons = ButtonIcons();
    if (icons.size() != 6) {
        platform::ShowMessage(this, QStringLiteral("Failed to create CommandBar\n"));
        return false;
    }

    auto* fileMenu = new QMenu(this);
    fileMenu->addAction(AddCommand(kIdOpenScan, QStringLiteral("Open Scan...")));
    fileMenu->addAction(AddCommand(kIdSaveScan, QStringLiteral("Save Scan As...")));
    fileMenu->addAction(AddCommand(kIdCompareWith, QStringLiteral("Compare With..."), true));
    fileMenu->addSeparator();
    fileMenu->addAction(AddCommand(kIdExit, QStringLiteral("E&xit")));
    fileMenu->addSeparator();
    fileMenu->addAction(AddCommand(kIdExplorerView, QStringLiteral("Explorer View"), true));
    fileMenu->addAction(AddCommand(kIdFolderView, QStringLiteral("Folder View"), true));
    fileMenu->addAction(AddCommand(kIdFileTypeView, QStringLiteral("File Type View"), true));
    fileMenu->addAction(AddCommand(kIdOverview, QStringLiteral("Overview"), true));

    auto* toolsMenu = new QMenu(this);
    toolsMenu->addAction(AddCommand(kIdAppAbout, QStringLiteral("About ...")));
    toolsMenu->addAction(AddCommand(kIdHelp, QStringLiteral("&Help")));
    toolsMenu->addSeparator();
    toolsMenu->addAction(AddCommand(kIdLargestFiles, QStringLiteral("Largest Files...")));
    toolsMenu->addAction(AddCommand(kIdDuplicateFiles, QStringLiteral("Duplicate Files...")));
    toolsMenu->addAction(AddCommand(kIdIdenticalFiles, QStringLiteral("Identical Files...")));
    toolsMenu->addAction(AddCommand(kIdDatabases, QStringLiteral("Databases...")));
    toolsMenu->addSeparator();
    toolsMenu->addAction(AddCommand(kIdParentFolder, QStringLiteral("Parent Folder")));
    toolsMenu->addAction(AddCommand(kIdPreferences, QStringLiteral("Preferences...")));
    toolsMenu->addAction(AddCommand(kIdKeepHistory, QStringLiteral("Keep History"), true));
    toolsMenu->addSeparator();
    toolsMenu->addAction(AddCommand(kIdRefresh, QStringLiteral("Refresh")));
    // Ticks and enabled states as the update rules say whenever a menu opens.
    for (QMenu* menu : {fileMenu, toolsMenu})
        connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandUI);

    m_wndCommandBar = new CCommandBar(this);
    dialogs::SetDlgCtrlID(m_wndCommandBar, kIdCommandBar);
    m_wndCommandBar->setMovable(false);
    m_wndCommandBar->setFloatable(false);
    m_wndCommandBar->setIconSize(QSize(kButtonSize, kButtonSize));
    // As slim as the handheld's 26-pixel bar: no margins around the buttons.
    m_wndCommandBar->setContentsMargins(0, 0, 0, 0);
    m_wndCommandBar->layout()->setContentsMargins(0, 1, 0, 0);
    m_wndCommandBar->layout()->setSpacing(0);
    AddMenuButton(kIdFileMenu, QStringLiteral("&File"), fileMenu, m_toolTips[0]);
    AddMenuButton(kIdToolsMenu, QStringLiteral("Tools"), toolsMenu, m_toolTips[1]);
    const int buttons[] = {kIdOverview,     kIdExplorerView, kIdFolderView,
                           kIdFileTypeView, kIdParentFolder, kIdHelp};
    for (int i = 0; i < 6; ++i) {
        QAction* command = m_actions.at(buttons[i]);
        command->setIcon(icons[i]);
        command->setToolTip(m_toolTips[i + 2]);
        m_wndCommandBar->addAction(command);
    }
    addToolBar(Qt::BottomToolBarArea, m_wndCommandBar);
    // The status line shows only while it has something to say (a save's progress), so
    // the client area keeps its size otherwise.
    statusBar()->hide();
    connect(statusBar(), &QStatusBar::messageChanged, this, [this](const QString& text) {
        if (text.isEmpty())
            statusBar()->hide();
    });
    return true;
}

void CMainFrame::SetView(CDovraneStorageAnalyzerView* view) {
    m_view = view;
    setCentralWidget(view);
    connect(view, &CDovraneStorageAnalyzerView::currentViewChanged, this,
            &CMainFrame::UpdateCommandUI);
    connect(view, &CDovraneStorageAnalyzerView::statusMessage, this,
            [this](const QString& text, int timeoutMs) {
                if (!text.isEmpty())
                    statusBar()->show();
                statusBar()->showMessage(text, timeoutMs);
                UpdateCommandUI();  // a save began or ended: Open and Save follow
            });
}

void CMainFrame::SetRoute(CCmdTarget* document, CCmdTarget* application) {
    m_document = document;
    m_application = application;
}

void CMainFrame::RouteCommand(int id) {
    for (CCmdTarget* target : {static_cast<CCmdTarget*>(m_view), m_document,
                               static_cast<CCmdTarget*>(this), m_application})
        if (target && target->OnCmdMsg(id))
            break;
    UpdateCommandUI();
}

void CMainFrame::UpdateCommandUI() {
    for (const auto& [id, command] : m_actions) {
        CCmdUI ui;
        for (const CCmdTarget* target :
             {static_cast<const CCmdTarget*>(m_view), static_cast<const CCmdTarget*>(m_document),
              static_cast<const CCmdTarget*>(this), static_cast<const CCmdTarget*>(m_application)})
            if (target && target->OnUpdateCmdUI(id, ui))
                break;
        command->setEnabled(ui.enabled);
        if (command->isCheckable())
            command->setChecked(ui.checked);
    }
}

bool CMainFrame::OnCmdMsg(int id) {
    if (id != kIdExit)
        return false;
    OnAppExit();
    return true;
}

void CMainFrame::OnAppExit() {
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
}

QAction* CMainFrame::action(int id) const {
    const auto found = m_actions.find(id);
    return found == m_actions.end() ? nullptr : found->second;
}

}  // namespace dovrane::app
