#pragma once
// File Properties: one file's name, icon, type, folder, size, three times and three
// attributes, read afresh from the device when the dialog opens. It changes nothing: the
// attribute boxes are disabled. A file that is gone by then shows its name, type and
// folder, and empty size and times with every box unchecked.

#include <QDialog>
#include <QFont>
#include <QIcon>
#include <QString>

#include "platform/find_data.h"

class QCheckBox;
class QLabel;
class QPushButton;

namespace dovrane::platform {
class Device;
}

namespace dovrane::dialogs {

constexpr int kIdPropName = 1000;
constexpr int kIdPropType = 1005;
constexpr int kIdPropFolder = 1008;
constexpr int kIdPropSize = 1026;
constexpr int kIdPropCreated = 1009;
constexpr int kIdPropModified = 1010;
constexpr int kIdPropAccessed = 1011;
constexpr int kIdPropReadOnly = 1012;
constexpr int kIdPropHidden = 1013;
constexpr int kIdPropArchive = 1014;
constexpr int kIdPropTitle = 1024;

// The part of the name after its first dot; the whole name without a dot.
QString PropertiesTypeText(const QString& name);
// "%d B" below 1024, else "%.2f K" of size / 1024 (single precision below 4 GiB).
QString PropertiesSizeText(quint64 size);
// Local time as "%02d/%02d/%d, %d:%02d:%02d %s": month, day, year, the hour 0 to 12 as
// is and 13 to 23 less 12, minutes, seconds, "AM" up to hour 12 and "PM" after it.
QString PropertiesTimeText(platform::FileTime time);

class CFilePropertiesDlg : public QDialog {
    Q_OBJECT

public:
    // Name and folder are kept without surrounding blanks; `device` (not owned) may be null.
    CFilePropertiesDlg(QWidget* parent, const QString& name, const QString& folder,
                       platform::Device* device);
    ~CFilePropertiesDlg() override;

    const QString& fileName() const { return m_strName; }
    const QString& folder() const { return m_strFolder; }
    const QIcon& icon() const { return m_hIcon; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void OnInitDialog();
    void Layout();

    QString m_strFolder;
    QString m_strName;
    QIcon m_hIcon;
    QFont m_fontTitle;
    platform::Device* m_device;
    QPushButton* m_ok = nullptr;
};

}  // namespace dovrane::dialogs
