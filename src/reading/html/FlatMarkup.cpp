#include "FlatMarkup.h"

#include "MarkupScanner.h"
#include "OpenElementModel.h"

#include <QByteArray>
#include <vector>

namespace Quillfen {

namespace {

using Kind = MarkupScanner::Kind;

class Flattener
{
public:
    Flattener(QByteArrayView utf8, qsizetype maxChunkBytes,
              const std::function<void(QByteArrayView)> &takeChunk)
        : m_bytes(utf8), m_scanner(utf8), m_model(false), m_maxChunk(maxChunkBytes),
          m_takeChunk(takeChunk)
    {
        m_chunk = "<body>";
    }

    void run()
    {
        for (;;) {
            m_scanner.setCdataAllowed(m_model.inForeignContent());
            const MarkupScanner::Token token = m_scanner.next();
            if (token.kind == Kind::End)
                break;
            take(token);
            settle();
            // A chunk's end would end its preformatted text or text area.
            if (m_chunk.size() >= m_maxChunk && !m_inTextarea && !m_preOpen) {
                m_takeChunk(m_chunk);
                m_chunk = "<body>";
            }
        }
        if (m_inTextarea)
            m_chunk.append("</textarea>");
        if (m_preOpen)
            m_chunk.append("</pre>");
        m_takeChunk(m_chunk);
    }

private:
    enum class RawUse { Drop, Escape, Keep };

    bool hidden() const { return m_hiddenDepth != 0; }

    void take(const MarkupScanner::Token &token)
    {
        const QByteArrayView bytes = m_bytes.sliced(token.begin, token.end - token.begin);
        switch (token.kind) {
        case Kind::StartTag:
            start(token);
            break;
        case Kind::EndTag:
            end(m_model.endTag(token.name), token.name);
            break;
        case Kind::Text:
            if (!hidden())
                m_chunk.append(bytes);
            break;
        case Kind::RawText:
            if (!hidden() && m_rawUse == RawUse::Keep)
                m_chunk.append(bytes);
            else if (!hidden() && m_rawUse == RawUse::Escape)
                appendEscaped(bytes);
            break;
        default:
            break;
        }
    }

    void start(const MarkupScanner::Token &token)
    {
        const bool foreign = m_model.inForeignContent();
        const auto outcome = m_model.startTag(token.name, m_scanner, token.selfClosing);
        const TagTraits &traits = outcome.traits;
        if (outcome.rawMode) {
            m_scanner.enterRawMode(*outcome.rawMode);
            m_rawUse = traits.has(TagTraits::UnseenRawText)  ? RawUse::Drop
                       : traits.has(TagTraits::Preformatted) ? RawUse::Escape
                                                             : RawUse::Keep;
        }
        if (hidden())
            return;
        const bool shows =
            !traits.has(TagTraits::NotRendered) && (foreign || !m_scanner.hasAttribute("hidden")) &&
            (!traits.has(TagTraits::ShownWhenOpen) || m_scanner.hasAttribute("open"));
        if (!shows) {
            if (outcome.pushed)
                m_hiddenDepth = m_model.depth();
            return;
        }
        if (outcome.pushed && traits.has(TagTraits::Preformatted))
            m_preDepths.push_back(m_model.depth());
        if (outcome.rawMode && m_rawUse == RawUse::Keep) {
            m_chunk.append("<textarea>");
            m_inTextarea = true;
        }
        if (traits.has(TagTraits::Cell))
            m_chunk.append(' ');
        separate(traits);
    }

    void end(const TagTraits &traits, QByteArrayView name)
    {
        if (hidden())
            return;
        if (m_inTextarea && name == "textarea") {
            m_chunk.append("</textarea>");
            m_inTextarea = false;
        }
        if (traits.has(TagTraits::Cell))
            m_chunk.append(' ');
        separate(traits);
    }

    void separate(const TagTraits &traits)
    {
        if (traits.has(TagTraits::Paragraph))
            m_chunk.append("<p></p>");
        else if (traits.has(TagTraits::LineBreak))
            m_chunk.append("<br>");
        else if (traits.has(TagTraits::Block) && !traits.has(TagTraits::Preformatted))
            m_chunk.append("<div></div>");
    }

    // Follows the elements the model has closed since the last token.
    void settle()
    {
        if (m_hiddenDepth != 0 && m_model.depth() < m_hiddenDepth)
            m_hiddenDepth = 0;
        while (!m_preDepths.empty() && m_model.depth() < m_preDepths.back())
            m_preDepths.pop_back();
        const bool pre = !m_preDepths.empty() && !hidden();
        if (pre != m_preOpen) {
            m_chunk.append(pre ? "<pre>" : "</pre>");
            m_preOpen = pre;
        }
    }

    void appendEscaped(QByteArrayView text)
    {
        for (const char c : text) {
            if (c == '<')
                m_chunk.append("&lt;");
            else if (c == '&')
                m_chunk.append("&amp;");
            else
                m_chunk.append(c);
        }
    }

    QByteArrayView m_bytes;
    MarkupScanner m_scanner;
    OpenElementModel m_model;
    qsizetype m_maxChunk;
    const std::function<void(QByteArrayView)> &m_takeChunk;
    QByteArray m_chunk;
    RawUse m_rawUse = RawUse::Drop;
    std::size_t m_hiddenDepth = 0; // the depth of the open element that hides its content
    std::vector<std::size_t> m_preDepths;
    bool m_preOpen = false;
    bool m_inTextarea = false;
};

} // namespace

void flattenMarkup(QByteArrayView utf8, qsizetype maxChunkBytes,
                   const std::function<void(QByteArrayView chunk)> &takeChunk)
{
    Flattener(utf8, maxChunkBytes, takeChunk).run();
}

} // namespace Quillfen
