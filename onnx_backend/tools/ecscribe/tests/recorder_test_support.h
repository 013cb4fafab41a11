// Helpers of the recorder tests: a private working directory per test, file reading and golden files.
#pragma once

#include <gtest/gtest.h>

#include <string>

namespace ecscribe_test {

// Runs each test inside a fresh temporary directory, so that the listings the recorder writes into
// the current directory stay there; the previous working directory is restored afterwards.
class InTempDir : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::string const& Dir() const { return dir; }

private:
    std::string dir;
    std::string previous;
};

// Returns the whole content of a file; fails the test when it cannot be read.
std::string ReadFile(std::string const& path);

// Writes `content` to `path`, replacing it.
void WriteFile(std::string const& path, std::string const& content);

// Compares `actual` byte for byte with the golden file `name` of the test data directory. With the
// environment variable ECSCRIBE_UPDATE_GOLDEN set, the golden file is rewritten instead.
void ExpectMatchesGolden(std::string const& actual, std::string const& name);

}  // namespace ecscribe_test
