// Shared helpers of the ecforge tests: a private temporary directory and file access.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace EpochControllerTest {

// A fresh directory for one test, removed with everything in it afterwards.
class TempDir {
public:
    TempDir() {
        std::string pattern = ::testing::TempDir() + "ecforge_io_XXXXXX";
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        char* const made = mkdtemp(buffer.data());
        EXPECT_NE(made, nullptr);
        path = made != nullptr ? made : "";
    }
    ~TempDir() {
        if (!path.empty()) {
            std::string const command = "rm -rf '" + path + "'";
            EXPECT_EQ(std::system(command.c_str()), 0);
        }
    }
    TempDir(TempDir const&) = delete;
    TempDir& operator=(TempDir const&) = delete;

    // Returns the path of `name` inside the directory.
    std::string File(std::string const& name) const { return path + "/" + name; }
    std::string const& Path() const { return path; }

private:
    std::string path;
};

inline void WriteText(std::string const& file_name, std::string const& text);

// A test fixture with its own temporary directory, for tests that read files they write first.
class TempDirTest : public ::testing::Test {
protected:
    // Writes `content` to `name` inside the directory and returns the file's path.
    std::string Write(std::string const& name, std::string const& content) {
        std::string const path = temp.File(name);
        WriteText(path, content);
        return path;
    }

    TempDir temp;
    std::string const dir = temp.Path();
};

inline std::vector<uint8_t> ReadBytes(std::string const& file_name) {
    std::ifstream in(file_name, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline std::string ReadText(std::string const& file_name) {
    std::ifstream in(file_name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline void WriteBytes(std::string const& file_name, std::vector<uint8_t> const& bytes) {
    std::ofstream out(file_name, std::ios::binary);
    out.write(reinterpret_cast<char const*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline void WriteText(std::string const& file_name, std::string const& text) {
    std::ofstream out(file_name, std::ios::binary);
    out << text;
}

// Returns the little-endian bytes of 32-bit fields.
inline std::vector<uint8_t> FieldBytes(std::vector<uint32_t> const& fields) {
    std::vector<uint8_t> bytes;
    for (uint32_t const field : fields) {
        for (int i = 0; i < 4; ++i) {
            bytes.push_back(static_cast<uint8_t>(field >> (8 * i)));
        }
    }
    return bytes;
}

// Returns the text of a golden file of the test data.
inline std::string Golden(std::string const& name) {
    return ReadText(std::string(ECFORGE_IO_TEST_DATA_DIR) + "/" + name);
}

}  // namespace EpochControllerTest
