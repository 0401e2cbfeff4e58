// Runs every input of a fuzz target's corpus through the target once, without
// libFuzzer, so that the seeds and the inputs the fuzzers found are regression
// tests of the builds that have no libFuzzer. The arguments are files and
// folders of inputs; folders are read with their subfolders. Fails when an
// input cannot be read or when there is no input at all; a crash of the
// target fails the run as well.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace fs = std::filesystem;

int main(int argc, char** argv)
{
    // Every path is made absolute before the first input runs: some targets
    // change the working directory.
    std::vector<fs::path> inputs;
    for (int i = 1; i < argc; ++i) {
        std::error_code error;
        const fs::path path = fs::absolute(argv[i], error);
        if (!error && fs::is_directory(path, error)) {
            for (const fs::directory_entry& entry : fs::recursive_directory_iterator(path, error)) {
                if (entry.is_regular_file(error)) inputs.push_back(entry.path());
            }
        } else if (!error && fs::is_regular_file(path, error)) {
            inputs.push_back(path);
        }
        if (error) {
            std::fprintf(stderr, "%s: %s\n", argv[i], error.message().c_str());
            return 1;
        }
    }
    if (inputs.empty()) {
        std::fprintf(stderr, "no inputs to replay\n");
        return 1;
    }
    std::sort(inputs.begin(), inputs.end());
    for (const fs::path& input : inputs) {
        std::ifstream file(input, std::ios::binary);
        const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        if (!file.good() && !file.eof()) {
            std::fprintf(stderr, "%s: cannot be read\n", input.string().c_str());
            return 1;
        }
        LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    }
    std::printf("%zu inputs replayed\n", inputs.size());
    return 0;
}
