#include "platform/db/ColumnStorage.h"

#include "platform/db/DbError.h"

namespace db {
namespace {

// A length takes seven bits a byte, lowest first; every byte but the last has its high bit set.
size_t lengthSize(size_t length)
{
    size_t bytes = 1;
    for (; length >= 0x80; length >>= 7)
        ++bytes;
    return bytes;
}

} // namespace

TextBlocks &TextBlocks::operator=(const TextBlocks &other)
{
    if (this == &other)
        return *this;
    m_blocks.clear();
    for (const Block &block : other.m_blocks) {
        m_blocks.push_back({block.bytes ? std::make_unique_for_overwrite<char[]>(block.size) : nullptr, block.size});
        if (block.bytes)
            std::memcpy(m_blocks.back().bytes.get(), block.bytes.get(), block.size);
    }
    m_current = other.m_current;
    m_tail = m_blocks.empty() ? nullptr : m_blocks[m_current].bytes.get() + (other.m_tail - other.m_blocks[m_current].bytes.get());
    m_room = other.m_room;
    m_next = other.m_next;
    return *this;
}

TextBlocks &TextBlocks::operator=(TextBlocks &&other) noexcept
{
    m_blocks = std::move(other.m_blocks);
    other.m_blocks.clear();
    m_current = std::exchange(other.m_current, 0);
    m_tail = std::exchange(other.m_tail, nullptr);
    m_room = std::exchange(other.m_room, 0);
    m_next = std::exchange(other.m_next, 0);
    return *this;
}

// A text of 128 bytes or more (its length takes more than a byte), or one that does not
// fit where the last text ended.
std::uint32_t TextBlocks::appendLong(std::string_view utf8)
{
    const size_t need = lengthSize(utf8.size()) + utf8.size();
    if (need > m_room)
        makeRoom(need);
    const std::uint32_t address = m_next;
    char *p = m_tail;
    size_t length = utf8.size();
    for (; length >= 0x80; length >>= 7)
        *p++ = char(0x80 | (length & 0x7F));
    *p++ = char(length);
    std::memcpy(p, utf8.data(), utf8.size());
    advance(need);
    return address;
}

// The first block doubles while it is the only one and the text fits in a whole block;
// otherwise a new block after the last, and a text longer than a block takes as many
// addresses as it needs.
void TextBlocks::makeRoom(size_t need)
{
    if (m_blocks.size() == 1 && m_blocks[0].size < BlockSize && m_next + need <= BlockSize) {
        const size_t used = m_next;
        Block &first = m_blocks[0];
        size_t size = first.size;
        while (size < used + need)
            size *= 2;
        size = std::min(size, BlockSize);
        auto bytes = std::make_unique_for_overwrite<char[]>(size);
        std::memcpy(bytes.get(), first.bytes.get(), used);
        first = {std::move(bytes), size};
        m_tail = first.bytes.get() + used;
        m_room = size - used;
        return;
    }
    const size_t blocks = std::max<size_t>(1, (need + BlockSize - 1) >> Shift);
    if (m_blocks.size() + blocks > MaxBlocks)
        throw DbError(QStringLiteral("查询结果过大：一列的文字超过 4 GB。"));
    const size_t index = m_blocks.size();
    size_t size = std::max(need, BlockSize);
    if (index == 0 && blocks == 1) {
        for (size = 256; size < need; size *= 2) {
        }
        size = std::min(size, BlockSize);
    }
    m_blocks.push_back({std::make_unique_for_overwrite<char[]>(size), size});
    m_blocks.resize(index + blocks);
    m_current = index;
    m_tail = m_blocks[index].bytes.get();
    m_next = std::uint32_t(index << Shift);
    // After a long text the next one starts a block of its own.
    m_room = blocks == 1 ? size : need;
}

std::string_view TextBlocks::longText(const char *p)
{
    size_t length = 0;
    for (int shift = 0;; shift += 7) {
        const auto byte = static_cast<unsigned char>(*p++);
        length |= size_t(byte & 0x7F) << shift;
        if (byte < 0x80)
            break;
    }
    return std::string_view(p, length);
}

} // namespace db
