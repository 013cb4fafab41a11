// Umbrella header of the EC assembler library.
#pragma once

#include "binary.h"
#include "instructions.h"
#include "program.h"
#include "semantic_diff.h"
