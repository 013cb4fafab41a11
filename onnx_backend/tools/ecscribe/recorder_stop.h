// How the recorder stops the trace program: precondition reports, header file errors and escaped input errors.
#pragma once

#include <string>

#include "error_core.h"

namespace ecscribe {

// Prints "<file>:<line>: <function>: <message>" on one line of standard error, then aborts.
[[noreturn]] void StopRecording(char const* function, char const* file, unsigned line, std::string const& message);

// Prints "Error: <message>" on standard error, then exits with a failure status: the blob header
// is incomplete, so the run must not look successful.
[[noreturn]] void StopOnHeaderError(std::string const& message);

// Prints the rendered report of an input error that reached the recorder's C boundary, then aborts.
[[noreturn]] void StopOnInputError(BaseError const& error);

// Runs one recorder entry point. Exceptions cannot cross into the C driver, so an error that
// escapes is reported here and ends the process abnormally.
template <class Body>
void RunEntryPoint(char const* function, Body&& body)
{
    try {
        body();
    } catch (BaseError const& error) {
        StopOnInputError(error);
    } catch (std::exception const& error) {
        StopRecording(function, __FILE__, __LINE__, error.what());
    }
}

}  // namespace ecscribe

// Stops with a standard assertion report when `condition` does not hold. Unlike assert it stays
// active in release builds: a violated recorder precondition would otherwise corrupt the header.
#define ECSCRIBE_REQUIRE(condition, function)                                                          \
    do {                                                                                               \
        if (!(condition)) {                                                                            \
            ::ecscribe::StopRecording(function, __FILE__, __LINE__, "Assertion `" #condition "' failed."); \
        }                                                                                              \
    } while (0)
