#include "montecarlo/LaggedGenerator.h"

namespace velnor::mc {

const std::array<float, LaggedGenerator::kModulus>& LaggedGenerator::reals()
{
    static const std::array<float, kModulus> table = [] {
        std::array<float, kModulus> t{};
        for (std::int32_t v = 0; v < kModulus; ++v)
            t[static_cast<std::size_t>(v)] = static_cast<float>(v) / kDivisor;
        return t;
    }();
    return table;
}

std::array<std::int32_t, 56> LaggedGenerator::seedTable()
{
    std::array<std::int32_t, 56> table{};
    table[1] = 3783;
    for (int k = 2; k <= 55; ++k)
        table[static_cast<std::size_t>(k)] = (2 * table[static_cast<std::size_t>(k - 1)] + k) % kModulus;
    return table;
}

LaggedGenerator::LaggedGenerator() : LaggedGenerator(seedTable()) {}

LaggedGenerator::LaggedGenerator(const std::array<std::int32_t, 56>& table) : m_table(table)
{
    m_j = 55;
    for (int n = 0; n < 1000; ++n)
        nextInteger();
}

LaggedGenerator LaggedGenerator::forStream(std::uint64_t stream)
{
    // SplitMix64 (Steele, Lea & Flood 2014): well-mixed 64-bit values from a
    // counter, so that neighbouring block numbers give unrelated tables.
    std::uint64_t state = stream * 0x9E3779B97F4A7C15ULL + 0x2545F4914F6CDD1DULL;
    auto next = [&state] {
        std::uint64_t z = (state += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    };
    std::array<std::int32_t, 56> table{};
    for (std::size_t k = 1; k <= 55; ++k)
        table[k] = static_cast<std::int32_t>(next() & (kModulus - 1));
    table[1] |= 1;
    return LaggedGenerator(table);
}

} // namespace velnor::mc
