#pragma once

#include <array>
#include <cstdint>

namespace velnor::mc {

// Additive lagged Fibonacci generator of the engine: a table of 55 integers
// modulo 16384, lags 24 and 55, fixed seed, 1000 draws discarded. Every draw
// is one of 16384 values IA / 16384.1 in [0, 1). The same job therefore gives
// the same factors on every run and every machine.
class LaggedGenerator {
public:
    static constexpr std::int32_t kModulus = 16384;
    static constexpr float kDivisor = 16384.1f;

    // Seeds the table and discards the first 1000 draws.
    LaggedGenerator();

    // An independent, reproducible stream for the history block `stream`:
    // the table filled from SplitMix64 of the block number (one entry odd,
    // as an additive lagged generator modulo a power of two needs for its
    // full period), then 1000 draws discarded. The same block gives the same
    // stream on every machine, whatever thread runs it.
    static LaggedGenerator forStream(std::uint64_t stream);

    // The table right after seeding, before the discarded draws: IA(1) = 3783,
    // IA(k) = (2 IA(k-1) + k) mod 16384.
    static std::array<std::int32_t, 56> seedTable();

    // The next draw, as its table value (0 .. 16383) and as a real.
    std::int32_t nextInteger()
    {
        // i and j step down together from 24 and 55, so i is always j - 31
        // (mod 55) and one index carries the state. Both entries lie in
        // 0..16383: the sum is non-negative and the modulus of the power of
        // two is a mask.
        const auto j = static_cast<std::size_t>(m_j);
        const std::int32_t value = (m_table[static_cast<std::size_t>(lagPartner(m_j))] + m_table[j]) & (kModulus - 1);
        m_table[j] = value;
        m_j = m_j == 1 ? 55 : m_j - 1;
        return value;
    }
    float next() { return m_reals[nextInteger()]; }

    // Table entries IA(1..55) and indices, for tests.
    std::int32_t tableEntry(int k) const { return m_table[static_cast<std::size_t>(k)]; }

    // The real value of a table value: value / 16384.1 in 32 bits, looked up
    // (the same numbers, without a division per draw).
    static float toReal(std::int32_t value) { return reals()[static_cast<std::size_t>(value)]; }

    static const std::array<float, kModulus>& reals();

private:
    explicit LaggedGenerator(const std::array<std::int32_t, 56>& table);
    static int lagPartner(int j) { return j > 31 ? j - 31 : j + 24; }

    std::array<std::int32_t, 56> m_table{}; // IA(1..55); index 0 unused
    int m_j = 55;                           // i = lagPartner(j), 24 at the start
    const float* m_reals = reals().data();
};

} // namespace velnor::mc
