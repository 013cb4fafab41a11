// Tests of strkit.
#include <gtest/gtest.h>
