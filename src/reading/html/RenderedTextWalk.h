#pragma once

#include "RenderedTextWriter.h"

#include <gumbo.h>

namespace Quillfen {

// Writes what a reader sees of body, the page's body element (or
// frameset): the innerText of the HTML standard with the default display
// of every element, as there are no style sheets. The walk keeps its own
// stack, so any depth of nesting is fine.
void writeRenderedText(const GumboNode &body, RenderedTextWriter &writer);

// All text under node in document order (textContent): what innerText
// gives for an element that is not rendered at all.
void writeTextContent(const GumboNode &node, RenderedTextWriter &writer);

// True when the element carries the hidden attribute.
bool isHiddenElement(const GumboNode &node);

} // namespace Quillfen
