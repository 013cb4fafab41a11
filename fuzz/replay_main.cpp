// Standalone driver of a fuzz entry point: feeds it every file named on the command line, or found
// in a directory named there, in name order, so that corpora and saved crashes replay as tests.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, std::size_t size);

namespace {

bool ReadFile(std::filesystem::path const& path, std::vector<uint8_t>& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::filesystem::path> files;
    for (int i = 1; i < argc; ++i) {
        std::filesystem::path const arg(argv[i]);
        std::error_code error;
        if (std::filesystem::is_directory(arg, error)) {
            for (auto const& entry : std::filesystem::directory_iterator(arg)) {
                if (entry.is_regular_file()) {
                    files.push_back(entry.path());
                }
            }
        } else if (std::filesystem::exists(arg, error)) {
            files.push_back(arg);
        } else {
            std::fprintf(stderr, "replay: no such file or directory: %s\n", argv[i]);
            return 2;
        }
    }
    std::sort(files.begin(), files.end());

    std::vector<uint8_t> bytes;
    for (auto const& file : files) {
        if (!ReadFile(file, bytes)) {
            std::fprintf(stderr, "replay: cannot read %s\n", file.c_str());
            return 2;
        }
        // An empty vector has no data pointer; libFuzzer never passes null either.
        uint8_t const dummy = 0;
        LLVMFuzzerTestOneInput(bytes.empty() ? &dummy : bytes.data(), bytes.size());
    }
    std::fprintf(stderr, "replay: %zu inputs passed\n", files.size());
    return 0;
}
