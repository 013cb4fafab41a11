// Fatal reports for broken internal contracts: one stderr line naming the failed check, then abort.
#include "fatal_report.h"

#include <cstdio>
#include <cstdlib>

namespace {

void PrintFrameLine(std::string const& msg)
{
    if (!msg.empty()) {
        std::fprintf(stderr, "^%s\n", msg.c_str());
    }
}

[[noreturn]] void Terminate()
{
    std::fflush(stderr);
    std::abort();
}

}  // namespace

void FatalError::Print(std::string const& expression, std::string const& file, unsigned line, bool value)
{
    PrintFrameLine(msg_before);
    std::fprintf(stderr, "%s: Expression '%s' is %s (file '%s', line %u)\n", error_name.c_str(),
                 expression.c_str(), value ? "true" : "false", file.c_str(), line);
    PrintFrameLine(msg_after);
    Terminate();
}

void FatalError::Print(std::string const& file, unsigned line)
{
    PrintFrameLine(msg_before);
    std::fprintf(stderr, "%s: file '%s', line %u\n", error_name.c_str(), file.c_str(), line);
    PrintFrameLine(msg_after);
    Terminate();
}

std::string FatalError::CheckedExpression(char const* arguments)
{
    std::string text = arguments;
    std::size_t const comma = text.rfind(',');
    if (comma != std::string::npos) {
        text.erase(comma);
    }
    std::size_t const end = text.find_last_not_of(" \t\n");
    text.erase(end == std::string::npos ? 0 : end + 1);
    return text;
}
