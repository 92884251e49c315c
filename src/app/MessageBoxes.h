#pragma once

#include <QString>
#include <functional>

#include "UserInterface.h"

// The one place where the application shows a message box. Tests install a hook that answers
// instead of a person, so nothing blocks.

namespace tavin {

enum class MessageButtons { Ok, YesNoCancel };
enum class MessageAnswer { Ok, Yes, No, Cancel };

struct MessageRequest {
    QString text;
    QString caption;  // empty: the application title
    MessageIcon icon = MessageIcon::None;
    MessageButtons buttons = MessageButtons::Ok;
};

MessageAnswer ShowMessageBox(const MessageRequest& request);

using MessageHook = std::function<MessageAnswer(const MessageRequest&)>;
// Installs `hook` (empty: real message boxes again) and returns the previous one.
MessageHook SetMessageHook(MessageHook hook);

}  // namespace tavin
