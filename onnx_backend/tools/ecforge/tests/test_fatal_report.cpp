// Tests of the fatal report: exact report text, framing lines, abnormal termination, and FATAL_IF.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <climits>
#include <csignal>
#include <string>

#include "fatal_report.h"

using ::testing::KilledBySignal;
using ::testing::StrEq;

TEST(FatalErrorDeathTest, ConditionReportIsExactAndAborts)
{
    EXPECT_EXIT(FatalError::Print("a", "f", 3, true), KilledBySignal(SIGABRT),
                StrEq("Fatal error: Expression 'a' is true (file 'f', line 3)\n"));
    EXPECT_EXIT(FatalError::Print("pos != UINT_MAX", "error_core.cpp", 120, false), KilledBySignal(SIGABRT),
                StrEq("Fatal error: Expression 'pos != UINT_MAX' is false (file 'error_core.cpp', line 120)\n"));
}

TEST(FatalErrorDeathTest, LocationReportIsExactAndAborts)
{
    EXPECT_EXIT(FatalError::Print("instr.cpp", 42), KilledBySignal(SIGABRT),
                StrEq("Fatal error: file 'instr.cpp', line 42\n"));
}

TEST(FatalErrorDeathTest, FramingLinesAndErrorName)
{
    // The changes happen in the child process of the death test only.
    auto framed = [] {
        FatalError::error_name = "Trace error";
        FatalError::msg_before = "while recording blob 3";
        FatalError::msg_after = "please report this";
        FatalError::Print("size > 2049", "prog.cpp", 9, true);
    };
    EXPECT_EXIT(framed(), KilledBySignal(SIGABRT),
                StrEq("^while recording blob 3\n"
                      "Trace error: Expression 'size > 2049' is true (file 'prog.cpp', line 9)\n"
                      "^please report this\n"));
    auto before_only = [] {
        FatalError::msg_before = "context";
        FatalError::Print("x.cpp", 1);
    };
    EXPECT_EXIT(before_only(), KilledBySignal(SIGABRT), StrEq("^context\nFatal error: file 'x.cpp', line 1\n"));
}

TEST(FatalErrorDeathTest, FatalIfReportsTheConditionText)
{
    unsigned const ip_id = 64;
    int const line = __LINE__ + 1;
    auto fail = [&] { FATAL_IF(ip_id >= (1 << 6)); };
    EXPECT_EXIT(fail(), KilledBySignal(SIGABRT),
                StrEq("Fatal error: Expression 'ip_id >= (1 << 6)' is true (file '" __FILE__ "', line " +
                      std::to_string(line) + ")\n"));

    std::string const sub;
    int const expect_line = __LINE__ + 1;
    auto expectation = [&] { FATAL_IF(!sub.empty(), false); };
    EXPECT_EXIT(expectation(), KilledBySignal(SIGABRT),
                StrEq("Fatal error: Expression '!sub.empty()' is false (file '" __FILE__ "', line " +
                      std::to_string(expect_line) + ")\n"));
}

TEST(FatalError, FatalIfPassesAndEvaluatesOnce)
{
    int evaluations = 0;
    FATAL_IF(++evaluations > 5);
    FATAL_IF(++evaluations < 5, false);
    EXPECT_EQ(evaluations, 2);

    bool reached_else = false;
    if (evaluations == 0)
        FATAL_IF(true);
    else
        reached_else = true;
    EXPECT_TRUE(reached_else);
}

TEST(FatalError, DefaultStrings)
{
    EXPECT_EQ(FatalError::error_name, "Fatal error");
    EXPECT_EQ(FatalError::msg_before, "");
    EXPECT_EQ(FatalError::msg_after, "");
}

TEST(FatalErrorDeathTest, FatalIfQuotesMacrosUnexpanded)
{
    unsigned const pos = UINT_MAX;
    auto fail = [&] { FATAL_IF(pos != UINT_MAX, false); };
    EXPECT_EXIT(fail(), KilledBySignal(SIGABRT), ::testing::StartsWith("Fatal error: Expression 'pos != UINT_MAX' is false"));
    auto fail_true = [&] { FATAL_IF(pos == UINT_MAX); };
    EXPECT_EXIT(fail_true(), KilledBySignal(SIGABRT), ::testing::StartsWith("Fatal error: Expression 'pos == UINT_MAX' is true"));
}

TEST(FatalError, CheckedExpressionDropsTheValue)
{
    EXPECT_EQ(FatalError::CheckedExpression("!sub.empty(), false"), "!sub.empty()");
    EXPECT_EQ(FatalError::CheckedExpression("f(a, b) ,false"), "f(a, b)");
}
