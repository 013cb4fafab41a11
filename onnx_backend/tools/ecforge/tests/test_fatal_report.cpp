// Tests of fatal_report.
#include <gtest/gtest.h>
