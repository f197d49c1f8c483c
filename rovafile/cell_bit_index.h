// A set of cell numbers as bits with summary levels above them (one bit per
// non-empty word of the level below), so that the next member after any cell
// is found in a few word steps however sparse the set is.
#pragma once

#include "sizes.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

class CCellBitIndex {
public:
    // Empties the set and sizes it for cells 0 .. cellCount - 1; the bits
    // are charged to the document's budget like any buffer.
    void Reset(std::size_t cellCount)
    {
        Clear();
        m_nCells = cellCount;
        for (std::size_t words = WordsFor(cellCount); cellCount != 0; words = WordsFor(words)) {
            auto level = AllocArray<std::uint64_t>(static_cast<std::int64_t>(words));
            std::fill_n(level.get(), words, std::uint64_t{0});
            m_levels.push_back(std::move(level));
            m_words.push_back(words);
            if (words == 1)
                break;
        }
    }

    void Clear()
    {
        m_levels.clear();
        m_words.clear();
        m_nCells = 0;
    }

    void Assign(std::size_t cell, bool member)
    {
        if (cell >= m_nCells)
            return;
        std::size_t index = cell;
        for (std::size_t k = 0; k < m_levels.size(); ++k) {
            std::uint64_t& word = m_levels[k][index / 64];
            const std::uint64_t bit = std::uint64_t{1} << (index % 64);
            const bool wasEmpty = word == 0;
            word = member ? word | bit : word & ~bit;
            // The level above changes only when this word turns empty or non-empty.
            if (member ? !wasEmpty : word != 0)
                return;
            index /= 64;
        }
    }

    // The first member at or after cell, or the cell count when there is none.
    std::size_t NextMember(std::size_t cell) const
    {
        std::size_t position = cell;
        std::size_t k = 0;
        for (;; ++k) {
            if (k == m_levels.size() || position / 64 >= m_words[k])
                return m_nCells;
            const std::uint64_t bits = m_levels[k][position / 64] & (~std::uint64_t{0} << (position % 64));
            if (bits != 0) {
                position = position / 64 * 64 + LowestBit(bits);
                break;
            }
            position = position / 64 + 1;   // the next word, as a bit of the level above
        }
        while (k-- > 0)
            position = position * 64 + LowestBit(m_levels[k][position]);
        return position;
    }

private:
    static std::size_t WordsFor(std::size_t bits) { return bits / 64 + (bits % 64 != 0); }
    static std::size_t LowestBit(std::uint64_t bits) { return static_cast<std::size_t>(__builtin_ctzll(bits)); }

    std::vector<std::unique_ptr<std::uint64_t[]>> m_levels;   // level 0: one bit per cell
    std::vector<std::size_t> m_words;
    std::size_t m_nCells = 0;
};
