#include "dialogs/modal.h"

#include <QDialog>
#include <QMenu>

namespace dovrane::dialogs {
namespace {

ModalHook& TheModalHook() {
    static ModalHook hook;
    return hook;
}

PopupMenuHook& ThePopupMenuHook() {
    static PopupMenuHook hook;
    return hook;
}

}  // namespace

int RunModal(QDialog& dialog) {
    if (const ModalHook& hook = TheModalHook())
        return hook(dialog);
    return dialog.exec();
}

ModalHook SetModalHook(ModalHook hook) {
    return std::exchange(TheModalHook(), std::move(hook));
}

QAction* RunPopupMenu(QMenu& menu, QPoint globalPos) {
    if (const PopupMenuHook& hook = ThePopupMenuHook())
        return hook(menu, globalPos);
    return menu.exec(globalPos);
}

PopupMenuHook SetPopupMenuHook(PopupMenuHook hook) {
    return std::exchange(ThePopupMenuHook(), std::move(hook));
}

}  // namespace dovrane::dialogs
