#pragma once
// Preferences: the number of slices of a pie (an edit field with an up-down control, kept
// to 5..25 when OK is pressed) and the order and values of the sixteen slice colours in a
// colour list, moved up and down, changed with the colour picker, or reset. The dialog
// edits copies; OK puts them into the caller's table and count and writes them to the
// profile, Cancel (Escape, closing the window) changes nothing anywhere.

#include <optional>

#include "dialogs/analyzer_dialog.h"
#include "engine/settings.h"

class QLabel;
class QLineEdit;
class QToolButton;

namespace dovrane::platform {
class Profile;
}

namespace dovrane::dialogs {

class CColorList;

constexpr int kIdSlicesLabel = 1004;
constexpr int kIdSlicesEdit = 1005;
constexpr int kIdSlicesUpDown = 1006;
constexpr int kIdColorsLabel = 1007;
constexpr int kIdMoveUp = 1008;
constexpr int kIdMoveDown = 1009;
constexpr int kIdChange = 1010;
constexpr int kIdReset = 1011;

// The edit field's text as a slice count: a whole number in 5..25, else nothing.
std::optional<int> ParseNumberOfSlices(const QString& text);
// What a refused count shows.
QString NumberOfSlicesRangeMessage();

class CPreferencesDlg : public CAnalyzerDialog {
    Q_OBJECT

public:
    explicit CPreferencesDlg(QWidget* parent = nullptr);
    ~CPreferencesDlg() override;

    // Set by the caller before the dialog runs; written only by OK. Either may stay null.
    engine::SliceColors* colorTable = nullptr;
    int* numberOfSlices = nullptr;  // N, the count the pies use
    // The edited count, shown as it is (even outside 5..25) until OK checks it.
    int slices = engine::kDefaultNumberOfSlices;
    // Where OK saves; null saves nowhere. A profile that cannot be written is reported
    // once, and the new settings still apply for this run.
    platform::Profile* profile = nullptr;

    CColorList* colorList() const { return m_colorList; }
    QLineEdit* slicesEdit() const { return m_edit; }

    // One handler per command.
    void OnMoveUp();
    void OnMoveDown();
    void OnChange();
    void OnReset();
    void OnOK();
    // The up-down control and the arrow keys in the edit field: one step, kept in 5..25.
    void OnSlicesStep(int delta);

protected:
    bool OnInitDialog() override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void Move(int delta);
    void Layout();

    QLabel* m_slicesLabel;
    QLineEdit* m_edit;
    QWidget* m_upDown;
    QToolButton* m_up;
    QToolButton* m_down;
    QLabel* m_colorsLabel;
    QPushButton* m_moveUp;
    QPushButton* m_moveDown;
    QPushButton* m_change;
    QPushButton* m_reset;
    CColorList* m_colorList;
};

}  // namespace dovrane::dialogs
