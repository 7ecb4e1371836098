// Replays fuzz inputs without libFuzzer: every file named on the command line (or found in a
// named folder) is fed whole and then cut short at a spread of lengths. Options starting with
// '-' are libFuzzer's and are ignored here.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

int replayFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                               std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    size_t step = bytes.size() / 257 + 1;
    for (size_t n = 0; n < bytes.size(); n += step) {
        std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n));
        LLVMFuzzerTestOneInput(cut.data(), cut.size());
    }
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    int files = 0;
    for (int i = 1; i < argc; ++i) {
        if (argv[i][0] == '-') continue;
        std::filesystem::path p(argv[i]);
        if (std::filesystem::is_directory(p)) {
            for (const auto& e : std::filesystem::recursive_directory_iterator(p))
                if (e.is_regular_file()) files += replayFile(e.path());
        } else if (std::filesystem::is_regular_file(p)) {
            files += replayFile(p);
        }
    }
    std::printf("replayed %d inputs\n", files);
    return 0;
}
