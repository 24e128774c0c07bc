#include "help/htm_writer.h"

namespace {

// Text as HTML: the five characters that could end an element or an attribute are escaped.
void AppendEscaped(std::string* pPage, const std::string& text) {
    for (char c : text) {
        switch (c) {
        case '&': *pPage += "&amp;"; break;
        case '<': *pPage += "&lt;"; break;
        case '>': *pPage += "&gt;"; break;
        case '"': *pPage += "&quot;"; break;
        case '\'': *pPage += "&#39;"; break;
        default: *pPage += c; break;
        }
    }
}

void AppendSpans(std::string* pPage, const std::vector<HelpSpan>& spans) {
    for (const HelpSpan& span : spans) {
        switch (span.kind) {
        case HelpSpan::kText:
            AppendEscaped(pPage, span.text);
            break;
        case HelpSpan::kBold:
            *pPage += "<b>";
            AppendEscaped(pPage, span.text);
            *pPage += "</b>";
            break;
        case HelpSpan::kLink:
            *pPage += "<a href=\"#";
            AppendEscaped(pPage, HelpAnchor(span.target));
            *pPage += "\">";
            AppendEscaped(pPage, span.text);
            *pPage += "</a>";
            break;
        }
    }
}

const char kStyle[] =
    "body{font-family:Tahoma,Verdana,sans-serif;font-size:10pt;max-width:46em;margin:1em auto;padding:0 1em;"
    "color:#000;background:#fff}"
    "h1{font-size:15pt;border-bottom:1px solid #888}h2{font-size:12pt;margin-top:2em}"
    "a{color:#060}li{margin:.2em 0}";

}  // namespace

std::string HelpAnchor(const std::string& contextId) {
    std::string anchor = contextId;
    for (char& c : anchor) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return anchor;
}

std::string BuildHelpPage(const HelpSource& source, const std::string& pageTitle) {
    std::string page =
        "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"windows-1252\">\n<title>";
    AppendEscaped(&page, pageTitle);
    page += "</title>\n<style>";
    page += kStyle;
    page += "</style>\n</head>\n<body>\n<h1>";
    AppendEscaped(&page, pageTitle);
    page += "</h1>\n";
    for (const HelpTopic& topic : source.topics) {
        page += "\n<h2 id=\"";
        AppendEscaped(&page, HelpAnchor(topic.contextId));
        page += "\">";
        AppendEscaped(&page, topic.title);
        page += "</h2>\n";
        bool bInList = false;
        for (const HelpParagraph& paragraph : topic.paragraphs) {
            if (paragraph.bListItem != bInList) {
                page += paragraph.bListItem ? "<ul>\n" : "</ul>\n";
                bInList = paragraph.bListItem;
            }
            page += paragraph.bListItem ? "<li>" : "<p>";
            AppendSpans(&page, paragraph.spans);
            page += paragraph.bListItem ? "</li>\n" : "</p>\n";
        }
        if (bInList) page += "</ul>\n";
    }
    page += "</body>\n</html>\n";
    return page;
}
