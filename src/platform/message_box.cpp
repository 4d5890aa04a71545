#include "platform/message_box.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace dovrane::platform {
namespace {

MessageBoxHook& Hook() {
    static MessageBoxHook hook;
    return hook;
}

BeepHook& Beep() {
    static BeepHook hook;
    return hook;
}

QMessageBox::Icon ToQt(MessageBoxIcon icon) {
    switch (icon) {
        case MessageBoxIcon::Information:
            return QMessageBox::Information;
        case MessageBoxIcon::Warning:
            return QMessageBox::Warning;
        case MessageBoxIcon::Error:
            return QMessageBox::Critical;
        case MessageBoxIcon::Question:
            return QMessageBox::Question;
        case MessageBoxIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

MessageBoxResult RealMessageBox(const MessageBoxRequest& request) {
    const QString caption =
        request.caption.isEmpty() ? QGuiApplication::applicationDisplayName() : request.caption;
    QMessageBox box(ToQt(request.icon), caption, request.text, QMessageBox::NoButton,
                    request.parent);
    box.setTextFormat(Qt::PlainText);
    if (request.buttons == MessageBoxButtons::Ok) {
        box.setStandardButtons(QMessageBox::Ok);
        box.exec();
        return MessageBoxResult::Ok;
    }
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    box.exec();
    return box.clickedButton() == box.button(QMessageBox::Yes) ? MessageBoxResult::Yes
                                                               : MessageBoxResult::No;
}

}  // namespace

MessageBoxResult ShowMessageBox(const MessageBoxRequest& request) {
    if (Hook())
        return Hook()(request);
    return RealMessageBox(request);
}

MessageBoxHook SetMessageBoxHook(MessageBoxHook hook) {
    return std::exchange(Hook(), std::move(hook));
}

void MessageBeep() {
    if (Beep())
        Beep()();
    else
        QApplication::beep();
}

BeepHook SetBeepHook(BeepHook hook) {
    return std::exchange(Beep(), std::move(hook));
}

}  // namespace dovrane::platform
