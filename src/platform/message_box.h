#pragma once
// Message boxes and the message beep. Every box of the program goes through ShowMessageBox
// so that tests can answer it and read its text instead of blocking on a real modal box.

#include <QString>
#include <functional>

class QWidget;

namespace dovrane::platform {

enum class MessageBoxButtons { Ok, YesNo };
enum class MessageBoxIcon { None, Information, Warning, Error, Question };
enum class MessageBoxResult { Ok, Yes, No };

struct MessageBoxRequest {
    QWidget* parent = nullptr;  // may be null: the box then belongs to no window
    QString text{};
    QString caption{};  // empty: the application's display name
    MessageBoxButtons buttons = MessageBoxButtons::Ok;
    MessageBoxIcon icon = MessageBoxIcon::None;
};

// Runs the box modally and returns the button pressed. Yes/No boxes default to No, and
// closing one without a choice counts as No.
MessageBoxResult ShowMessageBox(const MessageBoxRequest& request);

// One OK button, no icon: the form of every failure the user must see.
inline void ShowMessage(QWidget* parent, const QString& text) {
    ShowMessageBox({.parent = parent, .text = text});
}

using MessageBoxHook = std::function<MessageBoxResult(const MessageBoxRequest&)>;

// Replaces the real boxes (an empty hook restores them); returns the hook it replaces.
MessageBoxHook SetMessageBoxHook(MessageBoxHook hook);

// The sound of a move that cannot be made.
void MessageBeep();

using BeepHook = std::function<void()>;
BeepHook SetBeepHook(BeepHook hook);

// Installs a hook for its own lifetime, then puts the previous one back.
class ScopedMessageBoxHook {
public:
    explicit ScopedMessageBoxHook(MessageBoxHook hook)
        : m_previous(SetMessageBoxHook(std::move(hook))) {}
    ~ScopedMessageBoxHook() { SetMessageBoxHook(std::move(m_previous)); }
    ScopedMessageBoxHook(const ScopedMessageBoxHook&) = delete;
    ScopedMessageBoxHook& operator=(const ScopedMessageBoxHook&) = delete;

private:
    MessageBoxHook m_previous;
};

}  // namespace dovrane::platform
