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

    // Returns the expression part of the quoted arguments "<expression>, <value>" of FATAL_IF.
    static std::string CheckedExpression(char const* arguments);

    FatalError() = delete;
};

// FATAL_IF(expression) ends the process with a fatal report when the expression is true.
// FATAL_IF(expression, false) does so when it is false: the form for checks written as
// expectations, whose report then reads "Expression '<expression>' is false".
// The report quotes the expression as written in the source, before macro expansion.
#define FATAL_IF(...) \
    FATAL_IF_SELECT_(__VA_ARGS__, FATAL_IF_VALUE_, FATAL_IF_TRUE_, )(#__VA_ARGS__, __VA_ARGS__)

#define FATAL_IF_SELECT_(a1, a2, chosen, ...) chosen
#define FATAL_IF_TRUE_(text, expression)                            \
    do {                                                            \
        if (static_cast<bool>(expression)) {                        \
            ::FatalError::Print(text, __FILE__, __LINE__, true);    \
        }                                                           \
    } while (0)
#define FATAL_IF_VALUE_(text, expression, value)                                               \
    do {                                                                                       \
        if (static_cast<bool>(expression) == static_cast<bool>(value)) {                       \
            ::FatalError::Print(::FatalError::CheckedExpression(text), __FILE__, __LINE__,     \
                                static_cast<bool>(value));                                     \
        }                                                                                      \
    } while (0)
