// Temporary working directories, file reading and golden-file comparison for the recorder tests.
#include "recorder_test_support.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace ecscribe_test {

void InTempDir::SetUp()
{
    previous = std::filesystem::current_path().string();
    std::string pattern = (std::filesystem::temp_directory_path() / "ecscribe_test_XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir = pattern;
    std::filesystem::current_path(dir);
}

void InTempDir::TearDown()
{
    std::filesystem::current_path(previous);
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
}

std::string ReadFile(std::string const& path)
{
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in.is_open()) << "cannot read " << path;
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteFile(std::string const& path, std::string const& content)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    ASSERT_TRUE(out.is_open()) << "cannot write " << path;
    out << content;
}

void ExpectMatchesGolden(std::string const& actual, std::string const& name)
{
    std::string const path = std::string(ECSCRIBE_TEST_DATA_DIR) + "/" + name;
    if (std::getenv("ECSCRIBE_UPDATE_GOLDEN") != nullptr) {
        WriteFile(path, actual);
        return;
    }
    EXPECT_EQ(actual, ReadFile(path)) << "differs from golden file " << path;
}

}  // namespace ecscribe_test
