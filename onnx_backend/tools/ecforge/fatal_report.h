// Fatal reports for broken internal contracts: one stderr line naming the failed check, then abort.
#pragma once

#include <string>

// Process-wide framing of every fatal report; a program may set the strings once at start-up.
class FatalError {
public:
    // Name that opens every report line.
    static inline std::string error_name = "Fatal error";
    // Line printed (after a "^") before the report when not empty.
    static inline std::string msg_before;
    // Line printed (after a "^") after the report when not empty.
    static inline std::string msg_after;

    // Reports that `expression` evaluated to `value` at `file`:`line`, then terminates the process.
    [[noreturn]] static void Print(std::string const& expression, std::string const& file,
                                   unsigned line, bool value);
    // Reports an unreachable location `file`:`line`, then terminates the process.
    [[noreturn]] static void Print(std::string const& file, unsigned line);

    FatalError() = delete;
};

// FATAL_IF(expression) ends the process with a fatal report when the expression is true.
// FATAL_IF(expression, false) does so when it is false: the form for checks written as
// expectations, whose report then reads "Expression '<expression>' is false".
#define FATAL_IF(...) FATAL_IF_SELECT_(__VA_ARGS__, FATAL_IF_VALUE_, FATAL_IF_TRUE_, )(__VA_ARGS__)

#define FATAL_IF_SELECT_(a1, a2, chosen, ...) chosen
#define FATAL_IF_TRUE_(expression) FATAL_IF_VALUE_(expression, true)
#define FATAL_IF_VALUE_(expression, value)                                                  \
    do {                                                                                    \
        if (static_cast<bool>(expression) == static_cast<bool>(value)) {                    \
            ::FatalError::Print(#expression, __FILE__, __LINE__, static_cast<bool>(value)); \
        }                                                                                   \
    } while (0)
