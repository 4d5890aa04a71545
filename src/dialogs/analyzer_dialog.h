#pragma once
// The frame every list, preference and colour dialog shares: full screen, the title in
// blue bold in a header line, the Cancel button moved to the top-right corner, and a line
// under the header at y 23. Layout in pixels of the client area, following its width.

#include <QDialog>
#include <QFont>
#include <QString>

class QLabel;
class QPainter;
class QPushButton;

namespace dovrane::dialogs {

constexpr int kIdHeader = 1111;
constexpr int kHeaderLineY = 23;

class CAnalyzerDialog : public QDialog {
    Q_OBJECT

public:
    // `templateId` is the dialog's number in the handheld design. Without a parent the
    // dialog belongs to the main window, whose client area it covers.
    explicit CAnalyzerDialog(int templateId, QWidget* parent = nullptr);
    ~CAnalyzerDialog() override;

    int templateId() const { return m_templateId; }
    // Null until the dialog is first shown.
    QLabel* header() const { return m_title; }
    // The header text, elided where the strip is too narrow (`elide` says where); at any
    // time, shown or not.
    void SetTitle(const QString& title, Qt::TextElideMode elide = Qt::ElideRight);
    const QString& title() const { return m_strTitle; }

protected:
    // Runs once, at the first show, with the dialog already at its full-screen size:
    // derived dialogs make their controls first, then call this, which makes the header
    // and moves the Cancel button (the child with id 2, if any).
    virtual bool OnInitDialog();

    // A Cancel button (id 2) that rejects the dialog; the frame moves it into place.
    QPushButton* CreateCancelButton(const QString& text = QStringLiteral("Cancel"));

    // The line under the header; dialogs that paint more call it from their own paint.
    void DrawHeaderLine(QPainter& painter) const;

    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

    QFont m_font;        // header font: Tahoma 8.5 points, weight 600
    QString m_strTitle;  // the header text; set before the first show
    QLabel* m_title = nullptr;
    Qt::TextElideMode m_titleElide = Qt::ElideRight;

private:
    void PlaceFrameControls();

    int m_templateId;
    bool m_initialized = false;
};

}  // namespace dovrane::dialogs
