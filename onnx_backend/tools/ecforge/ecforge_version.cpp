// Version of the EC assembler library and its command-line tool.
#include "ecforge_version.h"

namespace EpochController {

const char* Version()
{
    return "0.1.0";
}

}  // namespace EpochController
