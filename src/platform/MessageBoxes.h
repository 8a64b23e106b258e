#pragma once

#include <QString>

namespace Quillfen {

enum class MessageButtons { Ok, YesNo };
enum class MessageIcon { None, Warning };
enum class MessageAnswer { Ok, Yes, No };

struct MessageRequest
{
    QString text;
    QString caption;
    MessageButtons buttons = MessageButtons::Ok;
    MessageIcon icon = MessageIcon::None;
    // Lines shown under the text in a box the user can scroll, select and
    // copy from; empty: none.
    QString details = {};

    friend bool operator==(const MessageRequest &, const MessageRequest &) = default;
};

// Modal message boxes. show() returns once the user has answered.
class MessageBoxes
{
public:
    virtual ~MessageBoxes() = default;
    virtual MessageAnswer show(const MessageRequest &request) = 0;
};

} // namespace Quillfen
