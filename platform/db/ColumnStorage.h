#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace db {

// A sequence of values kept in blocks of a fixed number of values. Growing adds a block
// and never moves what is kept: a column of a million values never holds two copies of
// itself, as a vector that doubles does while it moves into its new storage. The first
// block grows as a vector does, so a short column stays small.
template <typename T>
class BlockVector
{
public:
    static constexpr int Shift = 16;
    static constexpr size_t BlockSize = size_t(1) << Shift;

    size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    const T &operator[](size_t i) const { return m_blocks[i >> Shift][i & (BlockSize - 1)]; }
    T &operator[](size_t i) { return m_blocks[i >> Shift][i & (BlockSize - 1)]; }
    const T &back() const { return (*this)[m_size - 1]; }

    void push_back(const T &value)
    {
        if (m_size == m_blocks.size() * BlockSize) {
            m_blocks.emplace_back();
            if (m_blocks.size() > 1)
                m_blocks.back().reserve(BlockSize);
        }
        m_blocks.back().push_back(value);
        ++m_size;
    }
    void assign(size_t count, const T &value)
    {
        clear();
        for (size_t i = 0; i < count; ++i)
            push_back(value);
    }
    void clear()
    {
        m_blocks.clear();
        m_size = 0;
    }

private:
    std::vector<std::vector<T>> m_blocks;
    size_t m_size = 0;
};

// The distinct texts of a column, one after the other in blocks of 1 MB, each text
// after its length. A text is found by a 32-bit address (its block, then where it
// starts in the block); it never spans two blocks, except a text longer than a block,
// which has blocks of its own. Growing never moves what is kept.
class TextBlocks
{
public:
    // An address no text has.
    static constexpr std::uint32_t NoText = 0xFFFFFFFF;

    // Keeps a text and gives its address. A column's texts are limited to about 4 GB:
    // beyond that a DbError.
    std::uint32_t append(std::string_view utf8);
    std::string_view at(std::uint32_t address) const;
    void clear();

private:
    static constexpr int Shift = 20;
    static constexpr size_t BlockSize = size_t(1) << Shift;
    // Every address of the last block is below NoText.
    static constexpr size_t MaxBlocks = (size_t(1) << (32 - Shift)) - 1;
    void openBlock(size_t need);

    // Block i holds the addresses i << Shift onwards; a long text's block is followed by
    // empty ones for the addresses it covers.
    std::vector<std::string> m_blocks;
    size_t m_current = 0; // the block texts are added to
    size_t m_room = 0;    // bytes still free for it
};

} // namespace db
