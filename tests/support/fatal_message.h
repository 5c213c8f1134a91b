#pragma once
// What a fatal error says: runs f with fatal errors thrown (the caller turns
// that on with set_fatal_error_throws(true)) and returns the message, or
// `none` when f returns normally.
#include <string>

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

}  // namespace testsupport
