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

LaggedGenerator::LaggedGenerator() : m_table(seedTable())
{
    m_j = 55;
    for (int n = 0; n < 1000; ++n)
        nextInteger();
}

} // namespace velnor::mc
