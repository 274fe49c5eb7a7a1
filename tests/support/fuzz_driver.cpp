// Stand-in for libFuzzer when the build is not clang's: replays every seed
// file named on the command line (files or folders), then feeds a fixed
// number of deterministic random mutations of them to the target.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {
using Bytes = std::vector<uint8_t>;

void collect(const std::filesystem::path& path, std::vector<Bytes>& seeds) {
    if (std::filesystem::is_directory(path)) {
        for (const auto& entry : std::filesystem::recursive_directory_iterator(path))
            if (entry.is_regular_file()) collect(entry.path(), seeds);
        return;
    }
    std::ifstream in(path, std::ios::binary);
    seeds.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Bytes mutate(const Bytes& seed, std::mt19937& random) {
    Bytes out = seed;
    const int edits = 1 + static_cast<int>(random() % 8);
    for (int e = 0; e < edits; ++e) {
        const auto kind = random() % 4;
        if (kind == 0 && !out.empty()) out[random() % out.size()] = static_cast<uint8_t>(random());
        else if (kind == 1 && !out.empty()) out.erase(out.begin() + static_cast<long>(random() % out.size()));
        else if (kind == 2) out.insert(out.begin() + static_cast<long>(out.empty() ? 0 : random() % out.size()),
                                       static_cast<uint8_t>(random()));
        else if (!out.empty()) out.resize(random() % out.size());
    }
    return out;
}
}  // namespace

int main(int argc, char** argv) {
    std::vector<Bytes> seeds;
    for (int i = 1; i < argc; ++i) collect(argv[i], seeds);
    seeds.push_back({});
    for (const auto& seed : seeds) LLVMFuzzerTestOneInput(seed.data(), seed.size());
    std::mt19937 random(20261207);
    const int rounds = 20000;
    for (int i = 0; i < rounds; ++i) {
        const Bytes input = mutate(seeds[random() % seeds.size()], random);
        LLVMFuzzerTestOneInput(input.data(), input.size());
    }
    std::printf("%d seeds and %d mutations ran\n", static_cast<int>(seeds.size()), rounds);
    return 0;
}
