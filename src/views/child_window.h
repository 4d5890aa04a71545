#pragma once
// A child view of the main view. The object lives as a member of the main view from the
// start; its window exists only once Create() has run (the first time the view is shown),
// and then lives, shown or hidden, until the main view goes.

#include <QWidget>

namespace dovrane::views {

constexpr int kIdChildView = 101;  // all four child views share it

class CChildWindow : public QWidget {
    Q_OBJECT

public:
    CChildWindow();
    ~CChildWindow() override;

    // Makes the window: a visible child of `parent` at `rect` with control id `id`, with an
    // empty window text. False when OnCreate() fails; the view then stays windowless and
    // a later Create() may try again.
    bool Create(QWidget* parent, const QRect& rect, int id = kIdChildView);
    bool IsWindowCreated() const { return m_created; }

    // True while a scan runs; a screenshot waits for it to end.
    virtual bool IsBusy() const { return false; }

signals:
    // IsBusy() has just turned false.
    void busyEnded();

protected:
    // The window's creation handler: makes the child controls. False fails the creation.
    virtual bool OnCreate() { return true; }

private:
    bool m_created = false;
};

}  // namespace dovrane::views
