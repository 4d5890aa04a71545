#include "platform/file_dialog.h"

#include <QFileDialog>
#include <utility>

namespace dovrane::platform {
namespace {

FileDialogHook& Hook() {
    static FileDialogHook hook;
    return hook;
}

}  // namespace

QString AskFileName(const FileDialogRequest& request) {
    if (Hook())
        return Hook()(request);
    return request.mode == FileDialogMode::Open
               ? QFileDialog::getOpenFileName(request.parent, request.caption, {}, request.filter)
               : QFileDialog::getSaveFileName(request.parent, request.caption, {}, request.filter);
}

FileDialogHook SetFileDialogHook(FileDialogHook hook) {
    return std::exchange(Hook(), std::move(hook));
}

}  // namespace dovrane::platform
