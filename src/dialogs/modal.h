#pragma once
// Modal dialogs and popup menus opened from other dialogs go through these two calls, so
// that tests can look at what would have been shown and answer it instead of blocking.

#include <QPoint>
#include <functional>

class QAction;
class QDialog;
class QMenu;

namespace dovrane::dialogs {

// Runs `dialog` modally and returns its result (QDialog::Accepted or Rejected).
int RunModal(QDialog& dialog);
using ModalHook = std::function<int(QDialog&)>;
// Replaces the real modal loop (an empty hook restores it); returns the hook replaced.
ModalHook SetModalHook(ModalHook hook);

// Shows `menu` at `globalPos` and returns the chosen action, or null.
QAction* RunPopupMenu(QMenu& menu, QPoint globalPos);
using PopupMenuHook = std::function<QAction*(QMenu&, QPoint)>;
PopupMenuHook SetPopupMenuHook(PopupMenuHook hook);

class ScopedModalHook {
public:
    explicit ScopedModalHook(ModalHook hook) : m_previous(SetModalHook(std::move(hook))) {}
    ~ScopedModalHook() { SetModalHook(std::move(m_previous)); }
    ScopedModalHook(const ScopedModalHook&) = delete;
    ScopedModalHook& operator=(const ScopedModalHook&) = delete;

private:
    ModalHook m_previous;
};

class ScopedPopupMenuHook {
public:
    explicit ScopedPopupMenuHook(PopupMenuHook hook)
        : m_previous(SetPopupMenuHook(std::move(hook))) {}
    ~ScopedPopupMenuHook() { SetPopupMenuHook(std::move(m_previous)); }
    ScopedPopupMenuHook(const ScopedPopupMenuHook&) = delete;
    ScopedPopupMenuHook& operator=(const ScopedPopupMenuHook&) = delete;

private:
    PopupMenuHook m_previous;
};

}  // namespace dovrane::dialogs
