#include "PreparedMarkup.h"

#include "MarkupScanner.h"
#include "OpenElementModel.h"

namespace Quillfen {

namespace {

// The attributes that decide what shows (hidden, open, a player's controls,
// an input's type, a formula's display) or how the parser builds the tree (an input's type in
// a table, font attributes in SVG, an annotation's encoding).
bool isNeededAttribute(QByteArrayView name)
{
    static constexpr QByteArrayView needed[] = {"hidden",   "open",  "controls", "type", "display",
                                                "encoding", "color", "face",     "size"};
    for (const QByteArrayView wanted : needed) {
        if (name.size() == wanted.size() && name.compare(wanted, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

class Preparation
{
public:
    Preparation(const QByteArray &utf8, qsizetype standInBytes)
        : m_bytes(utf8), m_scanner(utf8),
          m_useStandIns(standInBytes > 0 && TextStandIns::usableOn(utf8)),
          m_standIns(utf8, standInBytes)
    {
        m_kept.reserve(utf8.size());
    }

    PreparedMarkup run(std::uint64_t workLimit)
    {
        bool dropRawText = false;
        for (;;) {
            m_scanner.setCdataAllowed(m_model.inForeignContent());
            const MarkupScanner::Token token = m_scanner.next();
            switch (token.kind) {
            case MarkupScanner::Kind::End:
                m_kept.append(m_bytes.sliced(m_keptUpTo));
                return {m_kept, false, std::move(m_standIns)};
            case MarkupScanner::Kind::StartTag: {
                trimAttributes(token, false);
                const auto outcome = m_model.startTag(token.name, m_scanner, token.selfClosing);
                if (outcome.rawMode) {
                    m_scanner.enterRawMode(*outcome.rawMode);
                    dropRawText = outcome.traits.has(TagTraits::UnseenRawText);
                }
                break;
            }
            case MarkupScanner::Kind::EndTag:
                // gumbo puts text that stands right before </form> after the
                // form; a comment in between keeps it inside.
                if (token.name == "form" && !m_model.inForeignContent())
                    replace(token.begin, token.begin, "<!---->");
                trimAttributes(token, true);
                m_model.endTag(token.name);
                break;
            case MarkupScanner::Kind::RawText:
                if (dropRawText)
                    replace(token.begin, token.end, {});
                dropRawText = false;
                break;
            case MarkupScanner::Kind::Text:
                m_model.text(token.end - token.begin);
                if (m_useStandIns && !m_model.inForeignContent()) {
                    replace(token.begin, token.begin, {});
                    m_standIns.appendText(m_kept, token.begin, token.end);
                    m_keptUpTo = token.end;
                }
                break;
            case MarkupScanner::Kind::Comment:
                // A comment shows nothing, but it still parts what is around it.
                replace(token.begin, token.end, "<!---->");
                break;
            default:
                break;
            }
            if (m_model.nestingWork() > workLimit)
                return {{}, true, {}};
        }
    }

private:
    // Puts replacement where the bytes from begin to end were.
    void replace(qsizetype begin, qsizetype end, QByteArrayView replacement)
    {
        m_kept.append(m_bytes.sliced(m_keptUpTo, begin - m_keptUpTo));
        m_kept.append(replacement);
        m_keptUpTo = end;
    }

    // Writes the tag again with only the attributes that matter, when it
    // has others: the parser then has much less to read.
    void trimAttributes(const MarkupScanner::Token &token, bool endTag)
    {
        const auto &attributes = m_scanner.attributes();
        bool allNeeded = true;
        for (const auto &attribute : attributes)
            allNeeded = allNeeded && !endTag && isNeededAttribute(attribute.name);
        if (allNeeded)
            return;
        m_tag.clear();
        m_tag.append(endTag ? "</" : "<");
        m_tag.append(token.name);
        if (!endTag) {
            for (const auto &attribute : attributes) {
                if (!isNeededAttribute(attribute.name))
                    continue;
                m_tag.append(' ');
                m_tag.append(attribute.name);
                if (attribute.value.isNull())
                    continue;
                m_tag.append("=\"");
                for (const char c : attribute.value) {
                    if (c == '"')
                        m_tag.append("&quot;");
                    else
                        m_tag.append(c);
                }
                m_tag.append('"');
            }
        }
        m_tag.append(token.selfClosing ? "/>" : ">");
        replace(token.begin, token.end, m_tag);
    }

    QByteArrayView m_bytes;
    MarkupScanner m_scanner;
    OpenElementModel m_model;
    bool m_useStandIns;
    TextStandIns m_standIns;
    QByteArray m_kept;
    QByteArray m_tag;
    qsizetype m_keptUpTo = 0;
};

} // namespace

PreparedMarkup prepareMarkup(const QByteArray &utf8, std::uint64_t workLimit,
                             qsizetype standInBytes)
{
    return Preparation(utf8, standInBytes).run(workLimit);
}

} // namespace Quillfen
