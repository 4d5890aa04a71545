#pragma once
// The colour picker ("Color", header "Color Dialog"): ten standard colour buttons, or a
// custom colour from three sliders for red, green and blue, with a preview band that always
// shows the current colour. Enter is OK, Escape and closing the window are Cancel. The
// caller sets red, green and blue, runs it, and reads them back unless it was cancelled.

#include <QAbstractButton>
#include <array>

#include "dialogs/analyzer_dialog.h"
#include "engine/settings.h"

class QGroupBox;
class QLabel;
class QSlider;

namespace dovrane::dialogs {

constexpr int kIdStandardColors = 2005;
constexpr int kIdCustomColor = 2016;
constexpr int kIdRedSlider = 3018;
constexpr int kIdRedLabel = 3019;
constexpr int kIdGreenSlider = 3020;
constexpr int kIdGreenLabel = 3021;
constexpr int kIdBlueSlider = 3022;
constexpr int kIdBlueLabel = 3023;
// The sliders' values as text, right of each slider.
constexpr int kIdRedValue = 3024;
constexpr int kIdGreenValue = 3025;
constexpr int kIdBlueValue = 3026;

// One standard colour button: its id, its place in dialog units and the colour it sets.
struct StandardColor {
    int id;
    int x;
    int y;
    engine::ColorRef color;
};
extern const std::array<StandardColor, 10> kStandardColors;

// The preview band, in pixels of a client area `width` wide.
QRect PreviewBand(int width);

// The frame's OK button (id 1) in the header, left of Cancel, and where it goes.
QPushButton* CreateOkButton(QDialog* dialog);
void PlaceOkButton(QDialog* dialog);

// A standard colour button, drawn by the dialog's owner-draw rule: a grey 3-D border, and
// the colour inset 3 pixels at rest, 1 pixel while pressed.
class CColorButton : public QAbstractButton {
    Q_OBJECT

public:
    CColorButton(engine::ColorRef color, QWidget* parent);
    engine::ColorRef color() const { return m_color; }
    QSize sizeHint() const override { return {22, 18}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    engine::ColorRef m_color;
};

class CColorPickerDlg : public CAnalyzerDialog {
    Q_OBJECT

public:
    explicit CColorPickerDlg(QWidget* parent = nullptr);
    ~CColorPickerDlg() override;

    // 0..255 each; read by the sliders at the first show.
    int red = 0;
    int green = 0;
    int blue = 0;

    // red | green << 8 | blue << 16.
    engine::ColorRef color() const;
    void setColor(engine::ColorRef color);

    QSlider* slider(int id) const;

protected:
    bool OnInitDialog() override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void OnSliderMoved(QSlider* slider, int value);
    void OnStandardColor(engine::ColorRef color);
    void Layout();

    QLabel* m_standardLabel;
    std::array<CColorButton*, 10> m_buttons{};
    QGroupBox* m_group;
    QSlider* m_redSlider;
    QSlider* m_greenSlider;
    QSlider* m_blueSlider;
    std::array<QLabel*, 3> m_names{};
    std::array<QLabel*, 3> m_values{};
};

}  // namespace dovrane::dialogs
