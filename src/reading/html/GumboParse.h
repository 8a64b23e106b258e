#pragma once

#include <QByteArrayView>
#include <cstddef>
#include <gumbo.h>
#include <vector>

namespace Quillfen {

// One gumbo parse whose whole tree lives in an arena of its own, so that it
// is freed in one go (gumbo frees trees recursively, which deep nesting
// would turn into a stack overflow) and can be capped: a parse that would
// allocate more than the budget is abandoned.
class GumboParse
{
public:
    explicit GumboParse(std::size_t budgetBytes) : m_budget(budgetBytes) {}
    ~GumboParse();
    GumboParse(const GumboParse &) = delete;
    GumboParse &operator=(const GumboParse &) = delete;

    // Parses utf8 as a whole document. Null when the budget ran out (or
    // memory did); the bytes must outlive the tree.
    const GumboOutput *parse(QByteArrayView utf8);

    // The body element (or frameset) of the parsed document, if any.
    static const GumboNode *bodyOf(const GumboOutput &output);

private:
    friend void *allocateInArena(void *arena, size_t size);
    void *allocate(std::size_t size);
    void release();

    std::size_t m_budget;
    std::size_t m_used = 0;
    std::vector<char *> m_blocks;
    char *m_next = nullptr;
    std::size_t m_left = 0;
    void *m_escape = nullptr; // the jmp_buf of the running parse
};

} // namespace Quillfen
