#include "RenderedTextCases.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace Quillfen::Testing {

namespace {

// Expected texts are written with "\n"; the rendered text ends its lines
// with CR LF.
void row(const char *name, const char *markup, const char *expected)
{
    QTest::newRow(name) << QByteArray(markup)
                        << QString::fromUtf8(expected).replace(u"\n"_s, u"\r\n"_s);
}

} // namespace

// Markup and the text a browser's document.body.innerText gives for it,
// following the HTML standard's rendered text collection steps with the
// default display of every element.
void addRenderedTextRows()
{
    // Blocks: one required line end before and after, none at the edges.
    row("blocks/div between text", R"html(a<div>b</div>c)html", "a\nb\nc");
    row("blocks/nested divs collapse", R"html(<div><div><div>a</div></div></div><div>b</div>)html",
        "a\nb");
    row("blocks/empty div still breaks", R"html(a<div></div>b)html", "a\nb");
    row("blocks/headings", R"html(<h1>Title</h1>text<h6>small</h6>)html", "Title\ntext\nsmall");
    row("blocks/sectioning",
        R"html(<header>h</header><nav>n</nav><main>m</main><article>a</article><aside>s</aside><footer>f</footer>)html",
        "h\nn\nm\na\ns\nf");
    row("blocks/quote, address, center, hr",
        R"html(<blockquote>q</blockquote><address>ad</address><center>c</center><hr>after)html",
        "q\nad\nc\nafter");
    row("blocks/figure and caption", R"html(<figure>img<figcaption>cap</figcaption></figure>)html",
        "img\ncap");
    row("blocks/form and fieldset",
        R"html(<form>f<fieldset><legend>L</legend>x</fieldset></form>)html", "f\nL\nx");
    row("blocks/inline elements do not break",
        R"html(<b>bold</b><i>it</i><span>sp</span><a href=x>link</a><em>e</em>)html",
        "bolditsplinke");
    row("blocks/dialog open only", R"html(<dialog>closed</dialog>|<dialog open>open</dialog>)html",
        "|\nopen");
    row("blocks/details closed shows summary",
        R"html(<details><summary>S</summary>body</details>)html", "S");
    row("blocks/details open", R"html(<details open><summary>S</summary>body</details>)html",
        "S\nbody");

    // Paragraphs: two line ends, an empty line between them.
    row("paragraphs/two", R"html(<p>one</p><p>two</p>)html", "one\n\ntwo");
    row("paragraphs/unclosed", R"html(<p>one<p>two<p>three)html", "one\n\ntwo\n\nthree");
    row("paragraphs/with div between", R"html(<p>a</p><div>b</div><p>c</p>)html", "a\n\nb\n\nc");
    row("paragraphs/empty p still separates", R"html(a<p></p>b)html", "a\n\nb");
    row("paragraphs/block inside p closes it", R"html(<p>a<div>b</div>c</p>)html", "a\n\nb\nc");
    row("paragraphs/heading then p", R"html(<h1>a</h1><p>b</p>)html", "a\n\nb");
    row("paragraphs/no break at the edges", R"html(<p>only</p>)html", "only");
    row("paragraphs/nbsp-only paragraph is text", R"html(<p>a</p>&nbsp;<p>b</p>)html",
        "a\n\n\u00a0\n\nb");

    // br: a forced line end, a string of its own.
    row("br/between text", R"html(a<br>b)html", "a\nb");
    row("br/spaces around are dropped", R"html(a <br> b)html", "a\nb");
    row("br/two give an empty line", R"html(a<br><br>b)html", "a\n\nb");
    row("br/at the start stays", R"html(<br>a)html", "\na");
    row("br/at the end stays", R"html(a<br>)html", "a\n");
    row("br/end of block adds to the block's break", R"html(<div>a<br></div>b)html", "a\n\nb");
    row("br/between blocks", R"html(<div>a</div><br><div>b</div>)html", "a\n\n\nb");
    row("br/end tag acts as br", R"html(a</br>b)html", "a\nb");

    // Lists.
    row("lists/items", R"html(<ul><li>one</li><li>two</li></ul>)html", "one\ntwo");
    row("lists/unclosed items", "<ul>\n <li>a\n <li>b\n</ul>", "a\nb");
    row("lists/nested", R"html(<ul><li>a<ul><li>b</ul><li>c</ul>)html", "a\nb\nc");
    row("lists/ordered has no numbers", R"html(<ol><li>a<li>b</ol>)html", "a\nb");
    row("lists/definition", R"html(<dl><dt>term<dd>meaning</dl>)html", "term\nmeaning");
    row("lists/menu and dir", R"html(<menu><li>m</menu><dir><li>d</dir>)html", "m\nd");

    // Tables: cells by tab, rows by line end, the table a block.
    row("tables/cells and rows",
        R"html(<table><tr><td>a</td><td>b</td></tr><tr><td>c</td><td>d</td></tr></table>)html",
        "a\tb\nc\td");
    row("tables/without tbody or closing tags", R"html(<table><tr><td>a<td>b<tr><td>c</table>)html",
        "a\tb\nc");
    row("tables/white space between parts makes nothing",
        "<table>\n<tr>\n<td> a </td>\n<td> b </td>\n</tr>\n</table>", "a\tb");
    row("tables/header cells", R"html(<table><tr><th>h1<th>h2<tr><td>1<td>2</table>)html",
        "h1\th2\n1\t2");
    row("tables/caption is a block", R"html(x<table><caption>cap</caption><tr><td>a</table>y)html",
        "x\ncap\na\ny");
    row("tables/row groups in document order",
        R"html(<table><tfoot><tr><td>f</tfoot><tbody><tr><td>b</tbody></table>)html", "f\nb");
    row("tables/rows across groups",
        R"html(<table><thead><tr><td>h</thead><tbody><tr><td>b</tbody><tfoot><tr><td>f</tfoot></table>)html",
        "h\nb\nf");
    row("tables/hidden last cell is not counted", R"html(<table><tr><td>a<td hidden>b</table>)html",
        "a");
    row("tables/empty last cell still gets its tab",
        R"html(<table><tr><td>a</td><td></td></tr></table>)html", "a\t");
    row("tables/paragraph in a cell", R"html(<table><tr><td><p>a</p></td><td>b</td></table>)html",
        "a\n\n\tb");
    row("tables/nested table",
        R"html(<table><tr><td>a<table><tr><td>n1<td>n2</table><td>b</table>)html",
        "a\nn1\tn2\n\tb");
    row("tables/text in a table is moved before it",
        R"html(<table>moved<tr><td>cell</td></tr></table>)html", "moved\ncell");

    // Preformatted text keeps its white space and line ends.
    row("pre/keeps spaces and line ends", "<pre>a  b\n  c</pre>", "a  b\n  c");
    row("pre/first line end dropped", "<pre>\n a  b\n</pre>", " a  b\n");
    row("pre/only the first line end dropped", "<pre>\n\n a</pre>", "\n a");
    row("pre/CR LF in the source", "<pre>a\r\nb</pre>", "a\nb");
    row("pre/tabs kept", "<pre>a\tb</pre>", "a\tb");
    row("pre/markup inside still parsed", "<pre><b>bold</b>  <i>it</i></pre>", "bold  it");
    row("pre/listing", "<listing>\n a  b</listing>", " a  b");
    row("pre/xmp shows tags as text", "<xmp> <b>x</b> </xmp>", " <b>x</b> ");
    row("pre/plaintext takes the rest", "x<plaintext>a<b>\n  c", "x\na<b>\n  c");
    row("pre/text area keeps white space", "x <textarea>\n a  b</textarea> y", "x  a  b y");
    row("pre/carriage return reference is a space", "<pre>a&#13;b&#13;&#10;c</pre>", "a b\nc");

    // Elements that are not rendered, and what never shows.
    row("hidden/head and title", R"html(<head><title>T</title></head><body>b)html", "b");
    row("hidden/script and style",
        R"html(a<script>var x = "<p>no</p>";</script><style>p{}</style>b)html", "ab");
    row("hidden/noscript as with scripts on", R"html(<noscript><p>ns</p></noscript>ok)html", "ok");
    row("hidden/noscript in head", R"html(<head><noscript><p>ns</p></noscript></head>ok)html",
        "ok");
    row("hidden/template", R"html(a<template><p>t</p></template>b)html", "ab");
    row("hidden/hidden attribute", R"html(a<div hidden>x</div> b<span hidden>s</span>c)html",
        "a bc");
    row("hidden/comments", R"html( a <!-- c --> b )html", "a b");
    row("hidden/input values", R"html(<input value=x>z<input type=hidden value=y>)html", "z");
    row("hidden/ruby parentheses", R"html(<ruby>kan<rp>(</rp><rt>K</rt><rp>)</rp></ruby>)html",
        "kanK");
    row("hidden/datalist, noembed, noframes",
        R"html(<datalist><option>d</datalist><noembed>e</noembed><noframes>f</noframes>x)html",
        "x");
    row("hidden/media fallback", R"html(<video>v</video><audio>a</audio><canvas>c</canvas>x)html",
        "x");
    row("hidden/audio without controls",
        R"html(a <audio>x</audio> b <audio controls>y</audio> c)html", "a b  c");
    row("hidden/iframe content", R"html(<iframe>if</iframe>x)html", "x");
    row("hidden/object fallback shows", R"html(<object>o</object>)html", "o");
    row("hidden/select shows its options",
        R"html(Choose <select><option>A<option>B</select> now)html", "Choose \nA\nB\n now");
    row("hidden/frameset page", R"html(<frameset><frame><noframes>nf</noframes></frameset>)html",
        "");
    row("hidden/hidden body gives all its text", R"html(<body hidden>a<div>b</div>)html", "ab");

    // Character references.
    row("entities/named", R"html(a &amp; b &lt;c&gt; &quot;d&quot; &copy;)html",
        "a & b <c> \"d\" \u00a9");
    row("entities/nbsp kept as U+00A0", R"html(a&nbsp;&nbsp;b &nbsp; c)html",
        "a\u00a0\u00a0b \u00a0 c");
    row("entities/numeric", R"html(&#8217;&#x2014;&#65;)html", "\u2019\u2014A");
    row("entities/without semicolon", R"html(&ampx &copy2)html", "&x \u00a92");
    row("entities/unknown stays", R"html(&nosuch; &)html", "&nosuch; &");
    row("entities/windows-1252 numeric range", R"html(&#150;&#128;)html", "\u2013\u20ac");
    row("entities/null and out of range", R"html(a&#0;b&#x110000;)html", "a\ufffdb\ufffd");
    row("entities/in attributes do not show", R"html(<a title="&amp;">x</a>)html", "x");

    // White space as CSS "white-space: normal" collapses it.
    row("white space/runs collapse", "a  \t\n  b", "a b");
    row("white space/across inline elements", "a\n  <b> b </b>\n c", "a b c");
    row("white space/empty inline between spaces", "a <b></b> b", "a b");
    row("white space/across spans", "<span>a </span><span> b</span>", "a b");
    row("white space/trimmed at block edges", "<div> a <span> </span> b </div>", "a b");
    row("white space/between blocks", "<div>a </div> <div> b</div>", "a\nb");
    row("white space/paragraphs in source lines", "<p> a </p>\n\n <p> b </p>", "a\n\nb");
    row("white space/line end is a space", "x\r\ny", "x y");
    row("white space/form feed is not collapsed", "a\fb", "a\fb");
    row("white space/ideographic space kept", "a\u3000b", "a\u3000b");
    row("white space/leading and trailing of the body", "  \n a \n ", "a");
    row("white space/space before an image stays", "a <img> b", "a  b");
    row("white space/button", "a <button> x </button> b", "a x b");

    // Malformed markup: the tree a browser builds.
    row("malformed/stray end tags", R"html(a</div></span>b</p>c)html", "ab\n\nc");
    row("malformed/misnested formatting", R"html(<p><b>1<i>2</b>3</i>4</p>)html", "1234");
    row("malformed/formatting across paragraphs", R"html(<b>a<p>b</b>c</p>)html", "a\n\nbc");
    row("malformed/unclosed comment", R"html(a<!-- never closed)html", "a");
    row("malformed/abrupt comments", R"html(a<!-->b<!--->c)html", "abc");
    row("malformed/unclosed tag at the end", R"html(a<div class="x)html", "a");
    row("malformed/less-than in text", R"html(1 < 2 and 3 <4> 5)html", "1 < 2 and 3 <4> 5");
    row("malformed/attribute with a greater-than", R"html(<a title="a>b">x</a>)html", "x");
    row("malformed/uppercase tags", R"html(<DIV>a</DIV><P>b)html", "a\n\nb");
    row("malformed/text before form end", R"html(<form><p>a</p> e1 </form> e2)html", "a\n\ne1\ne2");
    row("malformed/body text after html end", R"html(<html><body>a</body></html>b)html", "ab");
    row("malformed/doctype and processing instruction",
        R"html(<!DOCTYPE html><?php echo 1 ?>x)html", "x");
    row("malformed/script end inside a comment in script",
        R"html(<script><!-- <script>a</script> --></script>after)html", "after");
    row("malformed/script escape without double escape", R"html(<script><!-- a</script>after)html",
        "after");
    row("malformed/unclosed script eats the rest", R"html(a<script>b<p>c)html", "a");
    row("malformed/style end tag needs its name", R"html(<style>a</styles>b</style>c)html", "c");
    row("malformed/title in body", R"html(a<title>t<b></title>b)html", "ab");

    // SVG and MathML.
    row("foreign/svg text elements on lines",
        R"html(<svg><text>a</text><text>b</text><title>t</title>c</svg>d)html", "a\nb\nd");
    row("foreign/svg text with spans", R"html(<svg><text>a<tspan>b</tspan> c</text></svg>)html",
        "ab c");
    row("foreign/svg foreign object",
        R"html(<svg><foreignObject><p>fo</p></foreignObject></svg>)html", "fo");
    row("foreign/svg style is not raw text", R"html(<svg><style><p>x</p></style></svg>)html", "x");
    row("foreign/html inside svg leaves it", R"html(<svg><g>a</g><div>b</div></svg>)html", "b");
    row("foreign/math parts on lines", R"html(x <math><mi>a</mi><mo>+</mo></math> y)html",
        "x \na\n+\n y");
    row("foreign/math annotation hidden",
        R"html(<math><semantics><mi>a</mi><annotation>ann</annotation></semantics></math>)html",
        "a");
}

} // namespace Quillfen::Testing
