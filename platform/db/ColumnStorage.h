#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

namespace db {

// A sequence of plain values kept in blocks of a fixed number of values. Growing adds a
// block and never moves what is kept: a column of a million values never holds two
// copies of itself, as a vector that doubles does while it moves into its new storage.
// The first block grows by doubling, so a short column stays small.
template <typename T>
class BlockVector
{
    static_assert(std::is_trivially_copyable_v<T>);

public:
    static constexpr int Shift = 16;
    static constexpr size_t BlockSize = size_t(1) << Shift;

    BlockVector() = default;
    BlockVector(const BlockVector &other) { *this = other; }
    BlockVector &operator=(const BlockVector &other)
    {
        if (this == &other)
            return *this;
        clear();
        for (size_t i = 0; i < other.m_size; ++i)
            push_back(other[i]);
        return *this;
    }
    // What is moved from is left empty.
    BlockVector(BlockVector &&other) noexcept { *this = std::move(other); }
    BlockVector &operator=(BlockVector &&other) noexcept
    {
        m_blocks = std::move(other.m_blocks);
        other.m_blocks.clear();
        m_size = std::exchange(other.m_size, 0);
        m_room = std::exchange(other.m_room, 0);
        m_tail = std::exchange(other.m_tail, nullptr);
        return *this;
    }

    size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    const T &operator[](size_t i) const { return m_blocks[i >> Shift][i & (BlockSize - 1)]; }
    T &operator[](size_t i) { return m_blocks[i >> Shift][i & (BlockSize - 1)]; }
    const T &back() const { return (*this)[m_size - 1]; }

    // By value: it may be one of the values kept, which growing can move.
    void push_back(T value)
    {
        if (m_size == m_room) [[unlikely]]
            grow();
        m_tail[m_size & (BlockSize - 1)] = value;
        ++m_size;
    }
    void assign(size_t count, const T &value)
    {
        clear();
        for (size_t i = 0; i < count; ++i)
            push_back(value);
    }
    void clear() { *this = BlockVector(); }

private:
    // The first block doubles up to a whole block; then whole blocks are added.
    void grow()
    {
        const size_t firstSize = std::min<size_t>(16, BlockSize);
        if (m_blocks.size() == 1 && m_room < BlockSize) {
            const size_t room = std::min(m_room * 2, BlockSize);
            auto block = std::make_unique_for_overwrite<T[]>(room);
            std::memcpy(static_cast<void *>(block.get()), m_blocks[0].get(), m_size * sizeof(T));
            m_blocks[0] = std::move(block);
            m_room = room;
        } else {
            m_blocks.push_back(std::make_unique_for_overwrite<T[]>(m_blocks.empty() ? firstSize : BlockSize));
            m_room += m_blocks.size() == 1 ? firstSize : BlockSize;
        }
        m_tail = m_blocks.back().get();
    }

    std::vector<std::unique_ptr<T[]>> m_blocks;
    size_t m_size = 0;
    size_t m_room = 0;     // values the blocks take
    T *m_tail = nullptr;   // the last block
};

// The distinct texts of a column, one after the other in blocks of 1 MB, each text
// after its length. A text is found by a 32-bit address (its block, then where it
// starts in the block); it never spans two blocks, except a text longer than a block,
// which has blocks of its own. Growing never moves what is kept, except the first
// block while it doubles up to a whole one.
class TextBlocks
{
public:
    // An address no text has.
    static constexpr std::uint32_t NoText = 0xFFFFFFFF;

    TextBlocks() = default;
    TextBlocks(const TextBlocks &other) { *this = other; }
    TextBlocks &operator=(const TextBlocks &other);
    TextBlocks(TextBlocks &&other) noexcept { *this = std::move(other); }
    TextBlocks &operator=(TextBlocks &&other) noexcept;

    // Keeps a text and gives its address. A column's texts are limited to about 4 GB:
    // beyond that a DbError.
    std::uint32_t append(std::string_view utf8)
    {
        const size_t size = utf8.size();
        if (size >= 0x80 || size + 1 > m_room) [[unlikely]]
            return appendLong(utf8);
        const std::uint32_t address = m_next;
        m_tail[0] = char(size);
        std::memcpy(m_tail + 1, utf8.data(), size);
        advance(size + 1);
        return address;
    }
    std::string_view at(std::uint32_t address) const
    {
        const char *p = m_blocks[address >> Shift].bytes.get() + (address & (BlockSize - 1));
        const auto length = static_cast<unsigned char>(*p);
        return length < 0x80 ? std::string_view(p + 1, length) : longText(p);
    }
    void clear() { *this = TextBlocks(); }

private:
    static constexpr int Shift = 20;
    static constexpr size_t BlockSize = size_t(1) << Shift;
    // Every address of the last block is below NoText.
    static constexpr size_t MaxBlocks = (size_t(1) << (32 - Shift)) - 1;
    std::uint32_t appendLong(std::string_view utf8);
    static std::string_view longText(const char *p);
    void makeRoom(size_t need);
    void advance(size_t bytes)
    {
        m_tail += bytes;
        m_room -= bytes;
        m_next += std::uint32_t(bytes);
    }

    struct Block
    {
        std::unique_ptr<char[]> bytes;
        size_t size = 0;
    };
    // Block i holds the addresses i << Shift onwards; a long text's block is followed by
    // empty ones for the addresses it covers.
    std::vector<Block> m_blocks;
    size_t m_current = 0;    // the block texts are added to
    char *m_tail = nullptr;  // where the next text goes there
    size_t m_room = 0;       // bytes free there
    std::uint32_t m_next = 0; // its address
};

} // namespace db
