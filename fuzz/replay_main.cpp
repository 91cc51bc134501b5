// Replays every file of a corpus directory (or the files named) through the fuzz target, so the
// inputs that once crashed it are checked on every test run without libFuzzer.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

static int replayFile(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", file.c_str());
        return 1;
    }
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    return 0;
}

int main(int argc, char** argv)
{
    int failures = 0;
    int count = 0;
    for (int i = 1; i < argc; ++i) {
        std::filesystem::path arg(argv[i]);
        if (std::filesystem::is_directory(arg)) {
            for (const auto& entry : std::filesystem::recursive_directory_iterator(arg)) {
                if (entry.is_regular_file()) {
                    failures += replayFile(entry.path());
                    ++count;
                }
            }
        } else {
            failures += replayFile(arg);
            ++count;
        }
    }
    std::printf("replayed %d inputs\n", count);
    if (count == 0) {
        std::fprintf(stderr, "no corpus inputs found\n");
        return 1;
    }
    return failures == 0 ? 0 : 1;
}
