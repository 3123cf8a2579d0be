#include "platform/db/ColumnStorage.h"

#include "platform/db/DbError.h"

#include <algorithm>

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

void appendLength(std::string &into, size_t length)
{
    for (; length >= 0x80; length >>= 7)
        into.push_back(char(0x80 | (length & 0x7F)));
    into.push_back(char(length));
}

} // namespace

std::uint32_t TextBlocks::append(std::string_view utf8)
{
    const size_t need = lengthSize(utf8.size()) + utf8.size();
    if (m_blocks.empty() || need > m_room)
        openBlock(need);
    std::string &block = m_blocks[m_current];
    const auto address = std::uint32_t((m_current << Shift) + block.size());
    appendLength(block, utf8.size());
    block.append(utf8);
    m_room -= need;
    return address;
}

// A new block after the last; a text longer than a block takes as many addresses as it needs.
void TextBlocks::openBlock(size_t need)
{
    const size_t blocks = std::max<size_t>(1, (need + BlockSize - 1) >> Shift);
    if (m_blocks.size() + blocks > MaxBlocks)
        throw DbError(QStringLiteral("查询结果过大：一列的文字超过 4 GB。"));
    m_current = m_blocks.size();
    m_blocks.resize(m_current + blocks);
    // The first block grows with its texts, so a short column stays small.
    if (m_current > 0 || blocks > 1)
        m_blocks[m_current].reserve(std::max(need, BlockSize));
    // After a long text the next one starts a block of its own.
    m_room = blocks == 1 ? BlockSize : need;
}

std::string_view TextBlocks::at(std::uint32_t address) const
{
    const char *p = m_blocks[address >> Shift].data() + (address & (BlockSize - 1));
    size_t length = 0;
    for (int shift = 0;; shift += 7) {
        const auto byte = static_cast<unsigned char>(*p++);
        length |= size_t(byte & 0x7F) << shift;
        if (byte < 0x80)
            break;
    }
    return std::string_view(p, length);
}

void TextBlocks::clear()
{
    m_blocks.clear();
    m_current = 0;
    m_room = 0;
}

} // namespace db
