// Tests of the semantic comparison of EC programs.
#include <gtest/gtest.h>
