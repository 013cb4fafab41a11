// Test recorder for the driver tests: the ec_trace_* recording entry points, each access kept as one line of EC assembly text.
#ifndef LL_ZUNO_TEST_RECORDER_H
#define LL_ZUNO_TEST_RECORDER_H

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "ecscribe.h"

namespace test_recorder {

// Forgets every recorded line and the memory-pool table.
void Reset();

// Returns the recorded lines, each ended by a line feed.
std::string Text();

// Returns the recorded lines without line feeds.
std::vector<std::string> Lines();

// Joins lines into the form Text() returns.
std::string Asm(std::initializer_list<std::string> lines);

// Sets the memory-pool table that relocatable writes are resolved against (rows end with a null name);
// nullptr means no table: every relocatable write then stops like an unknown pool.
void SetPoolTable(const mpool_reloc_info_t *rows);

// Regular expression matching the driver's assertion report for the condition text cond.
std::string AssertionReport(const std::string &cond);

// Regular expression matching exactly the given text.
std::string Literal(const std::string &text);

}  // namespace test_recorder

// Fixture that gives each test a register space and an empty recording.
class RecorderTest : public ::testing::Test {
 protected:
  void SetUp() override;
};

#endif  // LL_ZUNO_TEST_RECORDER_H
