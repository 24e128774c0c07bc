#include "help/help_source.h"

#include <stdio.h>

namespace {

const char kTopicDirective[] = "#topic";

std::string AtLine(int nLine, const std::string& message) {
    char szPrefix[32];
    snprintf(szPrefix, sizeof(szPrefix), "line %d: ", nLine);
    return szPrefix + message;
}

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool IsBlank(const std::string& line) {
    for (char c : line)
        if (c != ' ' && c != '\t') return false;
    return true;
}

std::string Trim(const std::string& text) {
    size_t nBegin = text.find_first_not_of(" \t");
    if (nBegin == std::string::npos) return std::string();
    size_t nEnd = text.find_last_not_of(" \t");
    return text.substr(nBegin, nEnd - nBegin + 1);
}

// A UTF-8 multi-byte sequence would come out as two or three wrong characters in the viewer, and a
// source saved as UTF-8 by mistake is far more likely than Windows-1252 text that happens to look
// like one. Returns true when a well-formed sequence starts at position i.
bool StartsUtf8Sequence(const std::string& line, size_t i) {
    unsigned char c = static_cast<unsigned char>(line[i]);
    int nFollowing = (c >= 0xC2 && c <= 0xDF) ? 1 : (c >= 0xE0 && c <= 0xEF) ? 2 : (c >= 0xF0 && c <= 0xF4) ? 3 : 0;
    if (nFollowing == 0) return false;
    for (int k = 1; k <= nFollowing; ++k) {
        if (i + k >= line.size()) return false;
        unsigned char d = static_cast<unsigned char>(line[i + k]);
        if (d < 0x80 || d > 0xBF) return false;
    }
    return true;
}

// Tabs become blanks (the help text has no tab stops); other control bytes, and text saved as
// UTF-8, are refused so that nothing invisible or garbled reaches the viewer.
bool CleanLine(std::string* pLine, int nLine, std::string* pError) {
    std::string& line = *pLine;
    if (!line.empty() && line[line.size() - 1] == '\r') line.erase(line.size() - 1);
    for (size_t i = 0; i < line.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(line[i]);
        if (c == '\t') {
            line[i] = ' ';
        } else if (c < 0x20 || c == 0x7F) {
            *pError = AtLine(nLine, "control character in the text");
            return false;
        } else if (StartsUtf8Sequence(line, i)) {
            *pError = AtLine(nLine, "the text looks like UTF-8; save the source as Windows-1252");
            return false;
        }
    }
    return true;
}

void AddSpan(std::vector<HelpSpan>* pSpans, HelpSpan::Kind kind, const std::string& text,
             const std::string& target = std::string()) {
    if (text.empty() && kind != HelpSpan::kLink) return;
    if (kind != HelpSpan::kLink && !pSpans->empty() && pSpans->back().kind == kind) {
        pSpans->back().text += text;  // lines of one paragraph join into one run
        return;
    }
    HelpSpan span;
    span.kind = kind;
    span.text = text;
    span.target = target;
    pSpans->push_back(span);
}

// Splits a paragraph's joined text into plain, bold and link runs. Links are not allowed inside
// "**": the viewer colours a link itself, and one font change per run keeps the records simple.
bool ParseInline(const std::string& text, int nLine, std::vector<HelpSpan>* pSpans, std::string* pError) {
    bool bBold = false;
    std::string run;
    size_t i = 0;
    while (i < text.size()) {
        if (text.compare(i, 2, "**") == 0) {
            AddSpan(pSpans, bBold ? HelpSpan::kBold : HelpSpan::kText, run);
            run.clear();
            bBold = !bBold;
            i += 2;
        } else if (text.compare(i, 2, "[[") == 0) {
            if (bBold) {
                *pError = AtLine(nLine, "a link cannot be inside bold text");
                return false;
            }
            size_t nClose = text.find("]]", i + 2);
            if (nClose == std::string::npos) {
                *pError = AtLine(nLine, "\"[[\" without \"]]\"");
                return false;
            }
            std::string inner = text.substr(i + 2, nClose - i - 2);
            std::string target = inner, label;
            size_t nBar = inner.find('|');
            bool bHasLabel = nBar != std::string::npos;
            if (bHasLabel) {
                target = inner.substr(0, nBar);
                label = Trim(inner.substr(nBar + 1));
            }
            target = Trim(target);
            if (!IsValidContextId(target)) {
                *pError = AtLine(nLine, "bad link target \"" + target + "\"");
                return false;
            }
            if (bHasLabel && label.empty()) {
                *pError = AtLine(nLine, "empty link text for \"" + target + "\"");
                return false;
            }
            AddSpan(pSpans, HelpSpan::kText, run);
            run.clear();
            AddSpan(pSpans, HelpSpan::kLink, label, target);
            i = nClose + 2;
        } else {
            run += text[i];
            ++i;
        }
    }
    if (bBold) {
        *pError = AtLine(nLine, "\"**\" is not closed in this paragraph");
        return false;
    }
    AddSpan(pSpans, HelpSpan::kText, run);
    return true;
}

struct PendingParagraph {
    bool bOpen = false;
    bool bListItem = false;
    int nLine = 0;
    std::string text;
};

bool FlushParagraph(PendingParagraph* pPending, HelpSource* pSource, std::string* pError) {
    if (!pPending->bOpen) return true;
    HelpParagraph paragraph;
    paragraph.bListItem = pPending->bListItem;
    paragraph.nLine = pPending->nLine;
    if (!ParseInline(pPending->text, pPending->nLine, &paragraph.spans, pError)) return false;
    if (!paragraph.spans.empty()) pSource->topics.back().paragraphs.push_back(paragraph);
    *pPending = PendingParagraph();
    return true;
}

bool ParseTopicLine(const std::string& line, int nLine, HelpTopic* pTopic, std::string* pError) {
    std::string rest = line.substr(sizeof(kTopicDirective) - 1);
    if (!rest.empty() && rest[0] != ' ') {
        *pError = AtLine(nLine, "unknown directive (only \"#topic ID Title\" is known)");
        return false;
    }
    rest = Trim(rest);
    size_t nSpace = rest.find(' ');
    pTopic->contextId = rest.substr(0, nSpace);
    pTopic->title = nSpace == std::string::npos ? std::string() : Trim(rest.substr(nSpace));
    pTopic->nLine = nLine;
    if (!IsValidContextId(pTopic->contextId)) {
        *pError = AtLine(nLine, "bad context ID \"" + pTopic->contextId + "\" (use A-Z, a-z, 0-9, \".\", \"_\")");
        return false;
    }
    if (pTopic->title.empty()) {
        *pError = AtLine(nLine, "topic \"" + pTopic->contextId + "\" has no title");
        return false;
    }
    return true;
}

const HelpTopic* FindTopic(const HelpSource& source, const std::string& id) {
    for (const HelpTopic& topic : source.topics)
        if (SameContextId(topic.contextId, id)) return &topic;
    return nullptr;
}

// IDs must be unique and links must lead somewhere; a link without text shows its target's title.
bool ResolveLinks(HelpSource* pSource, std::string* pError) {
    for (size_t i = 0; i < pSource->topics.size(); ++i) {
        for (size_t j = 0; j < i; ++j) {
            if (SameContextId(pSource->topics[i].contextId, pSource->topics[j].contextId)) {
                char szLine[16];
                snprintf(szLine, sizeof(szLine), "%d", pSource->topics[j].nLine);
                *pError = AtLine(pSource->topics[i].nLine, "duplicate context ID \"" + pSource->topics[i].contextId +
                                                               "\" (first used on line " + szLine + ")");
                return false;
            }
        }
    }
    for (HelpTopic& topic : pSource->topics) {
        for (HelpParagraph& paragraph : topic.paragraphs) {
            for (HelpSpan& span : paragraph.spans) {
                if (span.kind != HelpSpan::kLink) continue;
                const HelpTopic* pTarget = FindTopic(*pSource, span.target);
                if (pTarget == nullptr) {
                    *pError = AtLine(paragraph.nLine, "link to unknown context ID \"" + span.target + "\"");
                    return false;
                }
                if (span.text.empty()) span.text = pTarget->title;
            }
        }
    }
    return true;
}

}  // namespace

bool IsValidContextId(const std::string& id) {
    if (id.empty()) return false;
    for (char c : id) {
        bool bAllowed = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' || c == '_';
        if (!bAllowed) return false;
    }
    return true;
}

bool SameContextId(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    return true;
}

bool ParseHelpSource(const std::string& text, HelpSource* pSource, std::string* pError) {
    pSource->topics.clear();
    PendingParagraph pending;
    size_t nPos = 0;
    int nLine = 0;
    while (nPos < text.size()) {
        size_t nEnd = text.find('\n', nPos);
        if (nEnd == std::string::npos) nEnd = text.size();
        std::string line = text.substr(nPos, nEnd - nPos);
        nPos = nEnd + 1;
        ++nLine;
        if (!line.empty() && line[0] == ';') continue;
        if (!CleanLine(&line, nLine, pError)) return false;

        if (line.compare(0, sizeof(kTopicDirective) - 1, kTopicDirective) == 0) {
            if (!FlushParagraph(&pending, pSource, pError)) return false;
            HelpTopic topic;
            if (!ParseTopicLine(line, nLine, &topic, pError)) return false;
            pSource->topics.push_back(topic);
            continue;
        }
        if (!line.empty() && line[0] == '#') {
            *pError = AtLine(nLine, "unknown directive (only \"#topic ID Title\" is known)");
            return false;
        }
        if (IsBlank(line)) {
            if (!FlushParagraph(&pending, pSource, pError)) return false;
            continue;
        }
        if (pSource->topics.empty()) {
            *pError = AtLine(nLine, "text before the first \"#topic\" line");
            return false;
        }
        bool bListItem = line.compare(0, 2, "* ") == 0;
        if (bListItem && !FlushParagraph(&pending, pSource, pError)) return false;
        std::string content = Trim(bListItem ? line.substr(2) : line);
        if (!pending.bOpen) {
            pending.bOpen = true;
            pending.bListItem = bListItem;
            pending.nLine = nLine;
            pending.text = content;
        } else {
            pending.text += " " + content;
        }
    }
    if (!FlushParagraph(&pending, pSource, pError)) return false;
    if (pSource->topics.empty()) {
        *pError = "no topics (a topic starts with a line \"#topic ID Title\")";
        return false;
    }
    return ResolveLinks(pSource, pError);
}
