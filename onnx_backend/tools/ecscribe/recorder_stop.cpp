// Process stops of the recorder: one clear report on standard error before the process ends.
#include "recorder_stop.h"

#include <cstdio>
#include <cstdlib>

namespace ecscribe {

void StopRecording(char const* function, char const* file, unsigned line, std::string const& message)
{
    std::fprintf(stderr, "%s:%u: %s: %s\n", file, line, function, message.c_str());
    std::fflush(stderr);
    std::abort();
}

void StopOnHeaderError(std::string const& message)
{
    std::fprintf(stderr, "Error: %s\n", message.c_str());
    std::fflush(stderr);
    std::exit(EXIT_FAILURE);
}

void StopOnInputError(BaseError const& error)
{
    BaseError::Print(error.ToString(), stderr, "", true);
    std::fflush(stderr);
    std::abort();
}

}  // namespace ecscribe
