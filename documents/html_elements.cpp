#include "documents/html_elements.h"

#include <stddef.h>
#include <string.h>

namespace {

const ElementInfo kElements[] = {
    {"address", kBlock, 0, kGroupP, 0}, {"area", kVoid, 0, 0, 0}, {"article", kBlock, 0, kGroupP, 0},
    {"aside", kBlock, 0, kGroupP, 0}, {"base", kVoid, 0, 0, 0}, {"blockquote", kBlock, 0, kGroupP, 0},
    {"body", kBlock, 0, 0, kAllGroups}, {"br", kVoid, 0, 0, 0}, {"button", 0, 0, 0, kAllGroups},
    {"caption", kBlock, 0, 0, kAllGroups}, {"center", kBlock, 0, kGroupP, 0}, {"col", kVoid, 0, 0, 0},
    {"dd", kBlock, kGroupDefinition, kGroupDefinition | kGroupP, 0}, {"details", kBlock, 0, kGroupP, 0},
    {"dialog", kBlock, 0, kGroupP, 0}, {"dir", kBlock, 0, kGroupP, kGroupLi}, {"div", kBlock, 0, kGroupP, 0},
    {"dl", kBlock, 0, kGroupP, kGroupDefinition}, {"dt", kBlock, kGroupDefinition, kGroupDefinition | kGroupP, 0},
    {"embed", kVoid, 0, 0, 0}, {"fieldset", kBlock, 0, kGroupP, 0}, {"figcaption", kBlock, 0, kGroupP, 0},
    {"figure", kBlock, 0, kGroupP, 0}, {"footer", kBlock, 0, kGroupP, 0}, {"form", kBlock, 0, kGroupP, 0},
    {"frameset", kBlock, 0, 0, 0}, {"h1", kBlock, 0, kGroupP, 0}, {"h2", kBlock, 0, kGroupP, 0},
    {"h3", kBlock, 0, kGroupP, 0}, {"h4", kBlock, 0, kGroupP, 0}, {"h5", kBlock, 0, kGroupP, 0},
    {"h6", kBlock, 0, kGroupP, 0}, {"head", kBlock, 0, 0, 0}, {"header", kBlock, 0, kGroupP, 0},
    {"hgroup", kBlock, 0, kGroupP, 0}, {"hr", kBlock | kVoid, 0, kGroupP, 0}, {"html", kBlock, 0, 0, kAllGroups},
    {"iframe", kRawText, 0, 0, 0}, {"img", kVoid, 0, 0, 0}, {"input", kVoid, 0, 0, 0},
    {"legend", kBlock, 0, 0, 0}, {"li", kBlock, kGroupLi, kGroupLi | kGroupP, 0}, {"link", kVoid, 0, 0, 0},
    {"listing", kBlock | kPreformatted, 0, kGroupP, 0}, {"main", kBlock, 0, kGroupP, 0},
    {"menu", kBlock, 0, kGroupP, kGroupLi}, {"meta", kVoid, 0, 0, 0}, {"nav", kBlock, 0, kGroupP, 0},
    {"noembed", kRawText, 0, 0, 0}, {"noframes", kRawText, 0, 0, 0},
    // With scripting on, as browsers run by default, noscript's content is text that is not shown.
    {"noscript", kRawText, 0, 0, 0}, {"object", 0, 0, 0, kAllGroups},
    {"ol", kBlock, 0, kGroupP, kGroupLi}, {"optgroup", kBlock, 0, kGroupOption, 0},
    {"option", kBlock, kGroupOption, kGroupOption, 0}, {"p", kBlock, kGroupP, kGroupP, 0},
    {"param", kVoid, 0, 0, 0}, {"plaintext", kBlock | kRawText | kShowRaw | kPreformatted | kToTheEnd, 0, kGroupP, 0},
    {"pre", kBlock | kPreformatted, 0, kGroupP, 0}, {"script", kRawText, 0, 0, 0}, {"search", kBlock, 0, kGroupP, 0},
    {"section", kBlock, 0, kGroupP, 0}, {"select", 0, 0, 0, kGroupOption}, {"source", kVoid, 0, 0, 0},
    {"style", kRawText, 0, 0, 0}, {"summary", kBlock, 0, kGroupP, 0}, {"svg", kForeign, 0, 0, 0},
    {"table", kBlock, 0, kGroupP, kAllGroups}, {"tbody", kBlock, 0, 0, kGroupRow | kGroupCell},
    {"td", kBlock, kGroupCell, kGroupCell, kGroupP | kGroupLi | kGroupDefinition | kGroupOption},
    {"template", kHidden, 0, 0, kAllGroups},
    {"textarea", kBlock | kEscapableRaw | kShowRaw | kPreformatted, 0, 0, 0},
    {"tfoot", kBlock, 0, 0, kGroupRow | kGroupCell},
    {"th", kBlock, kGroupCell, kGroupCell, kGroupP | kGroupLi | kGroupDefinition | kGroupOption},
    {"thead", kBlock, 0, 0, kGroupRow | kGroupCell}, {"title", kEscapableRaw, 0, 0, 0},
    {"tr", kBlock, kGroupRow, kGroupRow, kGroupCell}, {"track", kVoid, 0, 0, 0},
    {"ul", kBlock, 0, kGroupP, kGroupLi}, {"wbr", kVoid, 0, 0, 0},
    {"xmp", kBlock | kRawText | kShowRaw | kPreformatted, 0, kGroupP, 0},
};

// SVG's title and desc are its tooltip and its description for screen readers, never drawn (and,
// as foreignObject, hold HTML); its script and style are not drawn either.
const ElementInfo kForeignElements[] = {
    {"desc", kHidden | kIntegration, 0, 0, 0}, {"foreignobject", kIntegration, 0, 0, 0},
    {"script", kHidden, 0, 0, 0}, {"style", kHidden, 0, 0, 0}, {"svg", kForeign, 0, 0, 0},
    {"title", kHidden | kIntegration, 0, 0, 0},
};

template <size_t N>
const ElementInfo& FindIn(const ElementInfo (&elements)[N], const char* szName) {
    for (const ElementInfo& info : elements) {
        if (info.szName[0] == szName[0] && strcmp(info.szName, szName) == 0) return info;
    }
    return kUnknownElement;
}

}  // namespace

const ElementInfo kUnknownElement = {"", 0, 0, 0, 0};

const ElementInfo& FindElement(const char* szName) { return FindIn(kElements, szName); }

const ElementInfo& FindForeignElement(const char* szName) { return FindIn(kForeignElements, szName); }

bool EndsSvg(const char* szName) {
    static const char* const kNames[] = {
        "b", "big", "blockquote", "body", "br", "center", "code", "dd", "div", "dl", "dt", "em", "embed", "h1",
        "h2", "h3", "h4", "h5", "h6", "head", "hr", "i", "img", "li", "listing", "menu", "meta", "nobr", "ol",
        "p", "pre", "ruby", "s", "small", "span", "strong", "strike", "sub", "sup", "table", "tt", "u", "ul", "var"};
    for (const char* szEnds : kNames) {
        if (szEnds[0] == szName[0] && strcmp(szEnds, szName) == 0) return true;
    }
    return false;
}
