// Tests of textscan.
#include <gtest/gtest.h>
