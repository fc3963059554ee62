#pragma once

#include <cstdint>

namespace velnor::mcgen {

// xoshiro256** (Blackman and Vigna, 2018), seeded through SplitMix64. Each
// block of histories gets its own stream from (seed, block), so results do not
// depend on how blocks are shared among threads.
class Random {
public:
    Random(std::uint64_t seed, std::uint64_t stream)
    {
        std::uint64_t x = seed ^ (0x9E3779B97F4A7C15ull * (stream + 1));
        for (auto& word : m_state)
            word = splitMix64(x);
    }

    // Uniform in the open interval (0, 1): never 0, so -ln(u) is finite.
    double uniform() { return (static_cast<double>(next() >> 11) + 0.5) * 0x1.0p-53; }

private:
    static std::uint64_t splitMix64(std::uint64_t& x)
    {
        std::uint64_t z = (x += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    static std::uint64_t rotl(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }

    std::uint64_t next()
    {
        const std::uint64_t result = rotl(m_state[1] * 5, 7) * 9;
        const std::uint64_t t = m_state[1] << 17;
        m_state[2] ^= m_state[0];
        m_state[3] ^= m_state[1];
        m_state[1] ^= m_state[2];
        m_state[0] ^= m_state[3];
        m_state[2] ^= t;
        m_state[3] = rotl(m_state[3], 45);
        return result;
    }

    std::uint64_t m_state[4];
};

} // namespace velnor::mcgen
