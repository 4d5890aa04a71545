#pragma once
// Control ids of the handheld design, kept on the widgets so that code and tests find a
// control by the same number: the id is the widget's object name, in decimal.

#include <QString>
#include <QWidget>

namespace dovrane::dialogs {

constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;

inline void SetDlgCtrlID(QWidget* widget, int id) {
    widget->setObjectName(QString::number(id));
}

// 0 for a widget without an id.
inline int GetDlgCtrlID(const QWidget* widget) {
    return widget->objectName().toInt();
}

// The direct child of `parent` with that id, or null.
template <typename T = QWidget>
T* GetDlgItem(const QWidget* parent, int id) {
    return parent->findChild<T*>(QString::number(id), Qt::FindDirectChildrenOnly);
}

}  // namespace dovrane::dialogs
