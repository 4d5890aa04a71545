#include "platform/wait_cursor.h"

#include <QCursor>
#include <QGuiApplication>

namespace dovrane::platform {

WaitCursor::WaitCursor() {
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
}

WaitCursor::~WaitCursor() {
    QGuiApplication::restoreOverrideCursor();
}

}  // namespace dovrane::platform
