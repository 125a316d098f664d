// The fuzzer's seed corpus and deterministic mutations of it, run in every build: each input
// keeps the loader properties (see fuzz/LoaderChecks.h).
#include "fuzz/LoaderChecks.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <random>

namespace
{

std::vector<std::vector<std::uint8_t>> corpus()
{
    std::vector<std::vector<std::uint8_t>> files;
    const auto dir = std::filesystem::path(AMBERLIT_SOURCE_DIR) / "tests/files/fuzz/corpus";
    for (const auto& entry : std::filesystem::directory_iterator(dir))
    {
        std::ifstream in(entry.path(), std::ios::binary);
        files.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    return files;
}

TEST(LoaderCorpus, SeedsAndTheirMutationsKeepTheLoaderProperties)
{
    const auto seeds = corpus();
    ASSERT_GE(seeds.size(), 4u);
    std::mt19937 random(1234);
    for (const auto& seed : seeds)
    {
        loader_checks::checkAll(seed.data(), seed.size());
        for (int n = 0; n < 300; ++n)
        {
            auto mutated = seed;
            if (mutated.empty() || n % 3 == 0)
                mutated.resize(random() % (kFileReadLimit + 2), std::uint8_t(random()));
            for (int flips = 1 + int(random() % 4); flips > 0 && !mutated.empty(); --flips)
                mutated[random() % mutated.size()] = std::uint8_t(random());
            loader_checks::checkAll(mutated.data(), mutated.size());
        }
    }
}

} // namespace
