#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

namespace velnor::mc {

// Finds, in increasing table rows, the first row from the second on whose
// value exceeds a given value (or the last row): the row the table searches
// of the engine start from. A table of buckets gives the row to start from,
// so each search takes a step or two; the row found is the one a scan from the
// second row finds.
class RowSearch {
public:
    RowSearch() = default;
    template <typename Rows>
    RowSearch(const Rows& rows, std::size_t buckets) : m_rows(rows.begin(), rows.end())
    {
        m_low = m_rows.front();
        const float high = m_rows.back();
        m_scale = static_cast<float>(buckets) / (high - m_low);
        m_start.resize(buckets + 1);
        for (std::size_t b = 0; b <= buckets; ++b) {
            const float bucketLow = m_low + static_cast<float>(b) / m_scale;
            m_start[b] = scanFrom(1, bucketLow);
        }
    }

    std::size_t firstAbove(float value) const
    {
        const float position = (value - m_low) * m_scale;
        std::size_t start = 1;
        if (position > 0) {
            const auto b = std::min(static_cast<std::size_t>(position), m_start.size() - 1);
            // Rounding may put a value at the edge into the next bucket: step back to be safe.
            start = m_start[b > 0 ? b - 1 : 0];
        }
        return scanFrom(start, value);
    }

private:
    std::size_t scanFrom(std::size_t k, float value) const
    {
        while (k + 1 < m_rows.size() && !(m_rows[k] > value))
            ++k;
        return k;
    }

    std::vector<float> m_rows;
    float m_low = 0;
    float m_scale = 1;
    std::vector<std::size_t> m_start;
};

} // namespace velnor::mc
