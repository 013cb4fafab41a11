// Version of the EC assembler library and its command-line tool.
#pragma once

namespace EpochController {

// Returns the version text, such as "0.1.0".
const char* Version();

}  // namespace EpochController
