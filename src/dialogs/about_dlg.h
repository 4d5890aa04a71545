#pragma once
// The About box: the product name and "for Pocket PC" in large blue bold type, the
// version, and the program's icon, under a caption whose bar carries the OK button (its
// only button). A plain full-screen dialog, not the list dialogs' frame.

#include <QDialog>
#include <QFont>

class QLabel;
class QPushButton;

namespace dovrane::dialogs {

constexpr int kIdAboutName = 1056;
constexpr int kIdAboutPlatform = 1057;
constexpr int kIdAboutVersion = 1014;
constexpr int kIdAboutIcon = 128;

class CAboutDlg : public QDialog {
    Q_OBJECT

public:
    explicit CAboutDlg(QWidget* parent = nullptr);
    ~CAboutDlg() override;

    QPushButton* okButton() const { return m_ok; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void Layout();

    QFont m_font;  // product name: Tahoma 14 points, weight 600
    QLabel* m_caption;
    QPushButton* m_ok;
    QLabel* m_name;
    QLabel* m_platform;
    QLabel* m_version;
    QLabel* m_icon;
};

}  // namespace dovrane::dialogs
