#pragma once

#include <string>

// Message dialogs reach the user through this interface, so logic can show them and tests can
// answer them. Without a window the messages go to standard error.
namespace Dialogs {

class IMessages {
public:
    virtual ~IMessages() = default;
    virtual void Error(const std::string& text) = 0;
    virtual void Info(const std::string& text) = 0;
    // True for yes / OK.
    virtual bool Confirm(const std::string& text) = 0;
};

IMessages& Messages();
// Puts in the program's own (nullptr puts back the standard-error one). The caller keeps it.
void SetMessages(IMessages* messages);

} // namespace Dialogs
