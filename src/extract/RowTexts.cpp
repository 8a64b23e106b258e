#include "RowTexts.h"

#include "reading/Utf8Decoding.h"
#include "reading/Utf8Encoding.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <stdexcept>
#include <sys/mman.h>
#include <unistd.h>

namespace Quillfen {

namespace {

// Blocks looked through before a block is shared once more.
constexpr qsizetype RecentBlocks = 4;
// The encoder may write this far past the end of what it writes.
constexpr qsizetype EncodingSlack = 16;
// Bytes of a block made ready at a time: a small list holds no more.
constexpr qsizetype ReadyStep = qsizetype(64) << 10;

} // namespace

// Each block is a mapping of its own whose pages the system hands over a
// stretch at a time, instead of at one fault per page while rows are
// written. Huge pages are declined: on a virtual machine that gives free
// memory back to its host, a fresh huge page can take many times as long to
// fill as the small pages it is made of.
RowTexts::Block::Block(qsizetype capacity) : m_capacity(capacity)
{
    const std::size_t bytes = std::size_t(capacity);
    void *memory = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED)
        throw std::bad_alloc();
    madvise(memory, bytes, MADV_NOHUGEPAGE); // advice only
    m_bytes = static_cast<char *>(memory);
}

RowTexts::Block::~Block()
{
    munmap(m_bytes, std::size_t(m_capacity));
}

void RowTexts::Block::prepare(qsizetype end)
{
    static const qsizetype page = qsizetype(sysconf(_SC_PAGESIZE));
    const qsizetype wanted = std::max(end, m_ready + ReadyStep);
    const qsizetype next = std::min(m_capacity, (wanted + page - 1) / page * page);
    // Advice only: where refused, pages come at first write as usual.
    madvise(m_bytes + m_ready, std::size_t(next - m_ready), MADV_POPULATE_WRITE);
    m_ready = next;
}

void RowTexts::makeRoom(qsizetype bytes)
{
    if (m_writingBlock && m_writingBlock->capacity() - m_writingBlock->used >= bytes) {
        m_writingBlock->prepare(m_writingBlock->used + bytes);
        return;
    }
    // A row longer than a block gets a block of its own size.
    m_blocks.push_back(std::make_shared<Block>(std::max(BlockBytes, bytes)));
    writeIn(qsizetype(m_blocks.size()) - 1);
    m_writingBlock->prepare(bytes);
}

void RowTexts::writeIn(qsizetype block)
{
    m_writing = block;
    m_writingBlock = block < 0 ? nullptr : m_blocks[std::size_t(block)].get();
}

void RowTexts::append(QStringView text)
{
    // Three bytes a unit is the most a text can take; a long text that would
    // not fit is measured first, so that its block is no larger than needed.
    qsizetype room = 3 * text.size();
    if (freeRoom() < room)
        room = std::min(room, Detail::lengthKeepingSurrogates(text) + EncodingSlack);
    char *const at = roomFor(room);
    const char *const end = Detail::encodeKeepingSurrogates(text, at, m_keepsSurrogates);
    added(end - at);
}

qsizetype RowTexts::blockIndexOf(const SharedBlock &block)
{
    // Rows are taken in order, from a few lists at a time that write in
    // turns: their block is nearly always one of the last few.
    const qsizetype count = qsizetype(m_blocks.size());
    for (qsizetype i = count - 1; i >= std::max<qsizetype>(0, count - RecentBlocks); --i) {
        if (m_blocks[std::size_t(i)] == block)
            return i;
    }
    m_blocks.push_back(block);
    return count;
}

void RowTexts::appendRowsOf(const RowTexts &other, qsizetype from, qsizetype to)
{
    qsizetype sourceBlock = -1;
    std::uint64_t blockBits = 0;
    for (qsizetype row = from; row < to; ++row) {
        const std::uint64_t location = other.m_locations[std::size_t(row)];
        const qsizetype block = qsizetype(location >> OffsetBits);
        if (block != sourceBlock) {
            sourceBlock = block;
            blockBits = std::uint64_t(blockIndexOf(other.m_blocks[std::size_t(block)]))
                        << OffsetBits;
        }
        m_locations.push_back(blockBits | (location & OffsetMask));
        m_lengths.push_back(other.m_lengths[std::size_t(row)]);
    }
    m_keepsSurrogates = m_keepsSurrogates || other.m_keepsSurrogates;
}

QByteArrayView RowTexts::utf8(qsizetype row) const
{
    const std::uint64_t location = m_locations[std::size_t(row)];
    const Block &block = *m_blocks[std::size_t(location >> OffsetBits)];
    const qsizetype offset = qsizetype(location & OffsetMask);
    return QByteArrayView(block.bytes() + offset, qsizetype(m_lengths[std::size_t(row)]));
}

QString RowTexts::text(qsizetype row) const
{
    const QByteArrayView bytes = utf8(row);
    QString text(bytes.size(), Qt::Uninitialized);
    text.resize(Detail::decodeKeepingSurrogates(bytes, reinterpret_cast<char16_t *>(text.data())));
    return text;
}

QString RowTexts::textStart(qsizetype row, qsizetype count) const
{
    // count units never take more than three bytes each; a character cut
    // at the end of the bytes read lies past the first count units.
    const QByteArrayView bytes = utf8(row);
    const QByteArrayView start = bytes.first(std::min(bytes.size(), 3 * (count + 1)));
    QString text(start.size(), Qt::Uninitialized);
    text.resize(Detail::decodeKeepingSurrogates(start, reinterpret_cast<char16_t *>(text.data())));
    text.truncate(count);
    return text;
}

qsizetype RowTexts::utf16Length(qsizetype row) const
{
    // One unit a character, two for those of four bytes.
    const QByteArrayView bytes = utf8(row);
    qsizetype units = 0;
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        units += ((b & 0xC0) != 0x80) + (b >= 0xF0);
    }
    return units;
}

void RowTexts::clear(std::vector<SharedBlock> &retired)
{
    retired.insert(retired.end(), std::make_move_iterator(m_blocks.begin()),
                   std::make_move_iterator(m_blocks.end()));
    clear();
}

void RowTexts::clear()
{
    std::vector<SharedBlock>().swap(m_blocks);
    writeIn(-1);
    std::deque<std::uint64_t>().swap(m_locations);
    std::deque<std::uint32_t>().swap(m_lengths);
    m_keepsSurrogates = false;
}

RowTexts::SharedBlock RowTexts::writingBlock() const
{
    return m_writing < 0 ? nullptr : m_blocks[std::size_t(m_writing)];
}

void RowTexts::continueIn(SharedBlock block)
{
    if (block)
        writeIn(blockIndexOf(block));
}

std::size_t RowTexts::bytesHeld() const
{
    std::unordered_set<const Block *> counted;
    return bytesHeld(counted);
}

std::size_t RowTexts::bytesHeld(std::unordered_set<const Block *> &counted) const
{
    std::size_t bytes = m_blocks.capacity() * sizeof(SharedBlock);
    for (const SharedBlock &block : m_blocks) {
        if (counted.insert(block.get()).second)
            bytes += std::size_t(block->capacity()) + sizeof(Block);
    }
    // A deque holds its elements in blocks of 512 bytes, at least one, and
    // a map of at least eight block pointers.
    auto dequeBytes = [](std::size_t count, std::size_t size) {
        const std::size_t used = count * size / 512 + 1;
        return used * 512 + std::max<std::size_t>(8, used + 2) * sizeof(void *);
    };
    return bytes + dequeBytes(m_locations.size(), sizeof(std::uint64_t)) +
           dequeBytes(m_lengths.size(), sizeof(std::uint32_t));
}

} // namespace Quillfen
