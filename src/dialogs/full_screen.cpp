#include "dialogs/full_screen.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QMainWindow>

namespace dovrane::dialogs {
namespace {

// Lives as a child of the dialog, so it ends with it. The owner is only touched while it
// sends events, so it may go first.
class OwnerTracker : public QObject {
public:
    OwnerTracker(QDialog* dialog, QWidget* owner) : QObject(dialog), m_dialog(dialog) {
        owner->installEventFilter(this);
        Follow(owner);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Move || event->type() == QEvent::Resize)
            if (auto* owner = qobject_cast<QWidget*>(watched))
                Follow(owner);
        return false;
    }

private:
    void Follow(const QWidget* owner) {
        m_dialog->setGeometry(QRect(owner->mapToGlobal(QPoint(0, 0)), owner->size()));
    }

    QDialog* m_dialog;
};

}  // namespace

QWidget* DialogOwner(QWidget* parent) {
    if (parent)
        return parent->window();
    if (QWidget* active = QApplication::activeWindow())
        return active;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (qobject_cast<QMainWindow*>(widget) && widget->isVisible())
            return widget;
    return nullptr;
}

void CoverOwner(QDialog* dialog, QWidget* owner) {
    dialog->setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    if (owner && owner != dialog)
        new OwnerTracker(dialog, owner);
}

}  // namespace dovrane::dialogs
