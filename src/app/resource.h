#pragma once
// Command ids of the menus and the toolbar, as the handheld design numbers them; tests and
// later dialogs find the actions by these.

namespace dovrane::app {

constexpr int kIdFileMenu = 32771;
constexpr int kIdExit = 32774;
constexpr int kIdPreferences = 32776;
constexpr int kIdExplorerView = 32777;
constexpr int kIdFolderView = 32778;
constexpr int kIdFileTypeView = 32779;
constexpr int kIdParentFolder = 32780;
constexpr int kIdLargestFiles = 32781;
constexpr int kIdRefresh = 32782;
constexpr int kIdDuplicateFiles = 32786;
constexpr int kIdOverview = 32787;
constexpr int kIdDatabases = 32789;
constexpr int kIdIdenticalFiles = 32790;  // beyond the handheld: Duplicate Files by content
constexpr int kIdOpenScan = 32791;        // beyond the handheld: a scan file as the device
constexpr int kIdSaveScan = 32792;
constexpr int kIdKeepHistory = 32793;  // beyond the handheld: a snapshot after each scan
constexpr int kIdCompareWith = 32794;  // beyond the handheld: the Folder View as growth
constexpr int kIdToolsMenu = 106;
constexpr int kIdAppAbout = 57664;
constexpr int kIdHelp = 57670;
constexpr int kIdCommandBar = 59392;

}  // namespace dovrane::app
