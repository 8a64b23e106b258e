#include "GumboParse.h"

#include <algorithm>
#include <csetjmp>
#include <cstdlib>

namespace Quillfen {

namespace {

constexpr std::size_t Alignment = alignof(std::max_align_t);
constexpr std::size_t FirstBlock = 64 * 1024;
constexpr std::size_t LargestBlock = 8 * 1024 * 1024;

void freeNothing(void *, void *) {}

} // namespace

// gumbo cannot handle a failed allocation, so running out leaves the parse
// at once; gumbo's frames are plain C and own nothing outside the arena.
void *allocateInArena(void *arena, size_t size)
{
    auto *parse = static_cast<GumboParse *>(arena);
    void *memory = parse->allocate(size);
    if (!memory)
        std::longjmp(*static_cast<std::jmp_buf *>(parse->m_escape), 1);
    return memory;
}

GumboParse::~GumboParse()
{
    release();
}

void *GumboParse::allocate(std::size_t size)
{
    size = (std::max<std::size_t>(size, 1) + Alignment - 1) & ~(Alignment - 1);
    if (size > m_budget - std::min(m_used, m_budget))
        return nullptr;
    if (size > m_left) {
        // Small pages stay small; big ones get big blocks.
        const std::size_t grown = FirstBlock << std::min<std::size_t>(m_blocks.size(), 7);
        const std::size_t blockSize = std::max(std::min(grown, LargestBlock), size);
        char *block = static_cast<char *>(std::malloc(blockSize));
        if (!block)
            return nullptr;
        m_blocks.push_back(block);
        m_next = block;
        m_left = blockSize;
    }
    void *memory = m_next;
    m_next += size;
    m_left -= size;
    m_used += size;
    return memory;
}

void GumboParse::release()
{
    for (char *block : m_blocks)
        std::free(block);
    m_blocks.clear();
    m_next = nullptr;
    m_left = 0;
    m_used = 0;
}

const GumboOutput *GumboParse::parse(QByteArrayView utf8)
{
    release();
    GumboOptions options = kGumboDefaultOptions;
    options.allocator = allocateInArena;
    options.deallocator = freeNothing;
    options.userdata = this;
    options.max_errors = 0; // nobody reads them
    std::jmp_buf escape;
    m_escape = &escape;
    if (setjmp(escape) != 0) {
        m_escape = nullptr;
        release();
        return nullptr;
    }
    const GumboOutput *output =
        gumbo_parse_with_options(&options, utf8.data(), std::size_t(utf8.size()));
    m_escape = nullptr;
    return output;
}

const GumboNode *GumboParse::bodyOf(const GumboOutput &output)
{
    const GumboNode *root = output.root;
    if (!root || root->type != GUMBO_NODE_ELEMENT)
        return nullptr;
    const GumboVector &children = root->v.element.children;
    for (unsigned i = 0; i < children.length; ++i) {
        const auto *child = static_cast<const GumboNode *>(children.data[i]);
        if (child->type == GUMBO_NODE_ELEMENT &&
            child->v.element.tag_namespace == GUMBO_NAMESPACE_HTML &&
            (child->v.element.tag == GUMBO_TAG_BODY || child->v.element.tag == GUMBO_TAG_FRAMESET))
            return child;
    }
    return nullptr;
}

} // namespace Quillfen
