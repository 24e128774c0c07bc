#include "documents/html_text.h"

#include <gtest/gtest.h>
#include <string.h>

#include <string>

#include "documents/code_pages.h"
#include "documents/html_entities.h"

namespace {

class StringSink : public TextSink {
public:
    void Put(const char* pUtf8, size_t cbUtf8) override { text.append(pUtf8, cbUtf8); }
    std::string text;
};

// The page's text, or "!" and the reason it was refused.
std::string HtmlText(const std::string& page, int nFallbackCodePage = 0) {
    StringSink sink;
    DocumentText text(&sink);
    bool bRead = ReadHtmlText(reinterpret_cast<const unsigned char*>(page.data()), page.size(), nFallbackCodePage, &text);
    return bRead ? sink.text : "!" + std::string(text.Refusal() ? text.Refusal() : "refused without a reason");
}

// UTF-16 code units as bytes, with a byte-order mark.
std::string Utf16(const std::u16string& units, bool bBigEndian) {
    std::string bytes = bBigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char16_t unit : units) {
        char cHigh = static_cast<char>(unit >> 8), cLow = static_cast<char>(unit & 0xFF);
        bytes += bBigEndian ? std::string{cHigh, cLow} : std::string{cLow, cHigh};
    }
    return bytes;
}

struct PageCase {
    const char* szWhat;
    const char* szPage;
    const char* szText;
};

void ExpectTexts(const PageCase* pCases, size_t nCases) {
    for (size_t i = 0; i < nCases; ++i)
        EXPECT_EQ(pCases[i].szText, HtmlText(pCases[i].szPage)) << pCases[i].szWhat << ", page: " << pCases[i].szPage;
}

TEST(HtmlText, LaysOutWhiteSpaceBlocksAndBreaksAsBrowsersDo) {
    const PageCase kCases[] = {
        {"runs of white space", "<p>  a \t\n\r\n b \f </p>", "a b\r\n"},
        {"spaces across inline tags", "<p>a <b> b</b><i> </i> c</p>", "a b c\r\n"},
        {"nested blocks", "<div>a<div>b</div>c</div>", "a\r\nb\r\nc\r\n"},
        {"empty blocks", "<div><p> </p><div></div><h1>\n</h1></div>x", "x\r\n"},
        {"br", "<p>a<br>b<br><br>c<br></p><p>d</br>e</p>", "a\r\nb\r\n\r\nc\r\nd\r\ne\r\n"},
        {"inline text at body level", "<body>a <p>b</p> c<hr>d</body>", "a\r\nb\r\nc\r\nd\r\n"},
        {"cells and implied ends", "<table><tr><th>h<td>a</td><td>b<tr><td>c</table>", "h\r\na\r\nb\r\nc\r\n"},
        {"lists", "<ul><li>one<li>two <ol><li>2a</ol></ul><dl><dt>t<dd>d</dl>", "one\r\ntwo\r\n2a\r\nt\r\nd\r\n"},
        {"pre", "<p>x</p><pre>\n  a  b\n\n<b>c</b>  </pre>d", "x\r\n  a  b\r\n\r\nc  \r\nd\r\n"},
        {"only one newline after pre", "<pre>\n\na</pre>", "\r\na\r\n"},
        {"textarea", "<textarea>\n<b>x</b>  &amp;</textarea>", "<b>x</b>  &\r\n"},
        {"a lone <", "a < b <3 <>", "a < b <3 <>\r\n"},
    };
    ExpectTexts(kCases, sizeof(kCases) / sizeof(kCases[0]));
}

TEST(HtmlText, CountsTitleAltTitleAttributesAndMetaEachAsAParagraph) {
    const PageCase kCases[] = {
        {"title first, then the page in order",
         "<html><head><meta name=\"description\" content=\" About\n cats \"><meta name=KEYWORDS content='cats, dogs'>"
         "<meta name=author content=nobody><title> My &amp; page </title></head>"
         "<body><p>See <img src=a.png alt=\"a cat\"> here <abbr title=\"Hyper&shy;Text\">HTML</abbr>.</p></body></html>",
         "My & page\r\nAbout cats\r\ncats, dogs\r\nSee\r\na cat\r\nhere\r\nHyper\xC2\xADText\r\nHTML.\r\n"},
        {"a block's title attribute before its text", "<p title=tip>text</p><img alt=''><img alt>",
         "tip\r\ntext\r\n"},
        {"the first of two attributes of a name", "<img alt=one alt=two>", "one\r\n"},
    };
    ExpectTexts(kCases, sizeof(kCases) / sizeof(kCases[0]));
}

TEST(HtmlText, LeavesOutScriptStyleTemplateCommentsAndDeclarations) {
    const PageCase kCases[] = {
        {"raw text ends only at its own end tag",
         "<!DOCTYPE html><?php x ?>a<script>if (a</b) x = '</SCRIPTX>';</SCRIPT >b<style>p{}</style>c", "abc\r\n"},
        {"template content is parsed but not shown", "a<template><p>t<template>u</template></p>v</template>b", "ab\r\n"},
        {"noscript, shown only with scripting off", "a<noscript><p>Enable scripts</p></noscript>b", "ab\r\n"},
        {"noscript in the head holds no title",
         "<head><noscript><title>N</title><meta name=description content=D></noscript><title>T</title></head>x",
         "T\r\nx\r\n"},
        {"comments", "a<!-- <p>no</p> -- --!>b<!-->c<!--->d<!-- never closed <p>e", "abcd\r\n"},
        {"frames' content", "<iframe><p>f</p></iframe><noembed>g</noembed>h", "h\r\n"},
        {"a tag the end cuts", "a<p title='x", "a\r\n"},
    };
    ExpectTexts(kCases, sizeof(kCases) / sizeof(kCases[0]));
}

TEST(HtmlText, LeavesOutInlineSvgsTitleAndDescription) {
    const PageCase kCases[] = {
        {"title and desc, not what is drawn",
         "<title>T</title><p>x <svg><title>tip</title><desc>about <b>it</b></desc><text>drawn</text></svg> y</p>",
         "T\r\nx drawn y\r\n"},
        {"without a body tag, an svg's title is not the page's", "<svg><title>tip</title></svg><p>x</p>", "x\r\n"},
        {"self-closing elements", "<p>a<svg><svg/><title/><text>b</text><desc/></svg>c</p>", "abc\r\n"},
        {"title attributes and alt text stay", "<svg><g title=\"g tip\"><text>t</text></g></svg><img alt=pic>",
         "g tip\r\nt\r\npic\r\n"},
        {"HTML again in a foreignObject, and SVG after it",
         "<svg><foreignObject><p>para</p></foreignObject><title>s</title></svg><p>x</p>", "para\r\nx\r\n"},
        {"the page's own title elsewhere", "<p>x</p><svg></svg><title>T</title>", "T\r\nx\r\n"},
        {"an svg left open ends at HTML's own elements", "<p>a<svg><text>b<p>c<title>T</title>", "T\r\nab\r\nc\r\n"},
    };
    ExpectTexts(kCases, sizeof(kCases) / sizeof(kCases[0]));
}

TEST(HtmlText, DecodesCharacterReferences) {
    const PageCase kCases[] = {
        {"named", "&amp;&lt;&gt;&quot;&nbsp;&eacute;&Eacute;&NotEqualTilde;&fjlig;",
         "&<>\"\xC2\xA0\xC3\xA9\xC3\x89\xE2\x89\x82\xCC\xB8" "fj\r\n"},
        {"legacy names without ';'", "&copy 2024 &copyx &notin; &notit; &AMP", "\xC2\xA9 2024 \xC2\xA9x \xE2\x88\x89 \xC2\xACit; &\r\n"},
        {"unknown names stay", "&unknown; &; & &Amp; &#; &#x;", "&unknown; &; & &Amp; &#; &#x;\r\n"},
        {"numeric edge cases", "&#0;|&#x110000;|&#xD800;|&#128;&#x9F;|&#65&#x42;|&#99999999999;|&#x1F600;",
         "\xEF\xBF\xBD|\xEF\xBF\xBD|\xEF\xBF\xBD|\xE2\x82\xAC\xC5\xB8|AB|\xEF\xBF\xBD|\xF0\x9F\x98\x80\r\n"},
        {"in attributes, legacy names before = or a letter stay", "<img alt=\"&copy=x &copyx &copy;x &copy.\">",
         "&copy=x &copyx \xC2\xA9x \xC2\xA9.\r\n"},
        {"a reference to white space collapses", "a&#32;&#10; b", "a b\r\n"},
    };
    ExpectTexts(kCases, sizeof(kCases) / sizeof(kCases[0]));
}

TEST(HtmlText, TheNamedReferencesTableIsWholeSortedAndFound) {
    struct Case {
        const char* szName;
        uint32_t nFirst, nSecond;
    };
    const Case kCases[] = {{"AElig", 0xC6, 0},  // the first
                           {"zwnj;", 0x200C, 0},  // the last
                           {"CounterClockwiseContourIntegral;", 0x2233, 0},  // the longest
                           {"Afr;", 0x1D504, 0},  // past 16 bits
                           {"fjlig;", 'f', 'j'},
                           {"ThickSpace;", 0x205F, 0x200A},
                           {"bne;", '=', 0x20E5}};
    for (const Case& c : kCases) {
        uint32_t nFirst = 0, nSecond = 0;
        EXPECT_TRUE(FindHtmlEntity(c.szName, strlen(c.szName), &nFirst, &nSecond)) << c.szName;
        EXPECT_EQ(c.nFirst, nFirst) << c.szName;
        EXPECT_EQ(c.nSecond, nSecond) << c.szName;
    }
    ASSERT_EQ(2231u, kHtmlEntityCount) << "HTML's list of names";
    std::string before;
    for (size_t i = 0; i < kHtmlEntityCount; ++i) {
        std::string name(achHtmlEntityNames + aHtmlEntities[i].offName,
                         aHtmlEntities[i + 1].offName - aHtmlEntities[i].offName);
        EXPECT_LT(before, name) << "sorted bytewise at " << i;
        uint32_t nFirst = 0, nSecond = 0;
        EXPECT_TRUE(FindHtmlEntity(name.data(), name.size(), &nFirst, &nSecond)) << name;
        EXPECT_EQ(aHtmlEntities[i].nFirst, nFirst) << name;
        EXPECT_EQ(aHtmlEntities[i].nSecond, nSecond) << name;
        before = name;
    }
}

TEST(HtmlText, ReadsTheEncodingFromTheMarkThenTheDeclarationThenTheFallback) {
    EXPECT_EQ("\xC3\xA9 \xF0\x9F\x98\x80\r\n", HtmlText(Utf16(u"<p>\u00E9 \U0001F600</p>", false))) << "UTF-16LE";
    EXPECT_EQ("\xC3\xA9 \xEF\xBF\xBD\r\n", HtmlText(Utf16(u"<p>\u00E9 \xD800</p>", true))) << "UTF-16BE, lone surrogate";
    EXPECT_EQ("\xD0\x9F\xD1\x80\xD0\xB8\r\n", HtmlText("<meta charset=\"windows-1251\"><p>\xCF\xF0\xE8</p>"))
        << "meta charset";
    EXPECT_EQ("\xE2\x82\xAC\r\n",
              HtmlText("<!-- <meta charset=koi8-r> --><META HTTP-EQUIV='Content-Type' CONTENT='text/html; charset=iso-8859-1'>\x80"))
        << "http-equiv after a comment";
    EXPECT_EQ("\xD0\x9F\xD1\x80\xD0\xB8\r\n", HtmlText("<meta charset=\"KOI8-R\"><p>\xF0\xD2\xC9</p>")) << "KOI8-R";
    EXPECT_EQ("\xE6\x97\xA5\r\n", HtmlText("<meta http-equiv=content-type content='text/html; charset=shift_jis'>\x93\xFA"))
        << "Shift_JIS";
    EXPECT_EQ("\xC3\xA9\r\n", HtmlText("<meta charset=\"unicode\"><p>\xC3\xA9</p>"))
        << "a label no browser knows is ignored: the text-file rule gives UTF-8";
    EXPECT_EQ("\xC3\xA9\r\n", HtmlText("\xEF\xBB\xBF<meta charset=koi8-r>\xC3\xA9")) << "the mark wins";
    EXPECT_EQ("\xD0\x9F\r\n", HtmlText("<p>\xCF</p>", 1251)) << "fallback code page";
    EXPECT_EQ("\xC3\x8F\r\n", HtmlText(std::string(1100, ' ') + "<meta charset=windows-1251>\xCF"))
        << "a declaration past 1,024 bytes is not read: the text-file rule gives Windows-1252";
    EXPECT_EQ("\xC3\xA9\r\n", HtmlText("<p>\xC3\xA9</p>")) << "the text-file rule: UTF-8";
}

TEST(HtmlText, TheTextFileRuleLooksAtTheFirst64KB) {
    std::string a(65536 - 4, 'a');
    // A Windows-1252 byte inside the first 64 KB makes the page Windows-1252.
    std::string text = HtmlText("<p>" + std::string(100, 'a') + "\xE9" + a + "</p>");
    EXPECT_EQ("a\xC3\xA9" "a", text.substr(99, 4)) << "within 64 KB";
    // Past them it is ill-formed UTF-8; a sequence the edge cuts (C3 A9 at 65,535) is read whole.
    text = HtmlText("<p>" + a.substr(0, 65535 - 3) + "\xC3\xA9" + a + "\xE9</p>");
    EXPECT_EQ("a\xC3\xA9" "a", text.substr(65531, 4)) << "cut at the edge";
    EXPECT_EQ("a\xEF\xBF\xBD\r\n", text.substr(text.size() - 6)) << "past 64 KB";
}

TEST(HtmlText, DeepNestingIsReadWithoutLosingTheTreeAfterIt) {
    std::string page;
    for (int i = 0; i < 3000; ++i) page += "<div><b>";
    page += "deep";
    for (int i = 0; i < 3000; ++i) page += "</b></div>";
    page += "<pre>a  b</pre><template>t</template>c";
    for (int i = 0; i < 100000; ++i) page += "<p>x<li>";
    std::string text = HtmlText(page);
    EXPECT_EQ("deep\r\na  b\r\nc\r\nx\r\nx\r\n", text.substr(0, 21)) << "start of the text";
    EXPECT_EQ(15u + 100000u * 3, text.size()) << "every x a paragraph";
}

}  // namespace
