// Tests of error_core.
#include <gtest/gtest.h>
