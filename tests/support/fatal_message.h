#pragma once
// What a fatal error says: runs f with fatal errors thrown (the caller turns
// that on with set_fatal_error_throws(true)) and returns the message, or
// `none` when f returns normally.
#include <string>

#include "platform/messagebox.h"
#include "system/fatal_error.h"

namespace testsupport {

template <class F>
std::string fatal_message(F f, const std::string& none = "(no fatal error)")
{
    try {
        f();
    } catch (const FatalErrorException& e) {
        return e.what();
    }
    return none;
}

// While it lives (a fixture member): fatal errors throw and every message box
// is answered OK.
class ThrowingFatalErrors {
public:
    ThrowingFatalErrors()
    {
        set_fatal_error_throws(true);
        set_message_box_responder([](const char*, const char*, UINT) { return IDOK; });
    }
    ~ThrowingFatalErrors()
    {
        set_fatal_error_throws(false);
        set_message_box_responder({});
    }
    ThrowingFatalErrors(const ThrowingFatalErrors&) = delete;
    ThrowingFatalErrors& operator=(const ThrowingFatalErrors&) = delete;
};

}  // namespace testsupport
