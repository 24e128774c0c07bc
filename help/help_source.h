// The help text's source: topics of paragraphs with bold text and links, parsed from the small
// plain-text format that help/tallyq_help.txt describes at its top. Nothing here knows the help
// file's bytes; hlp_writer turns a parsed source into them.
#ifndef TQ_HELP_HELP_SOURCE_H
#define TQ_HELP_HELP_SOURCE_H

#include <string>
#include <vector>

// A run of text inside a paragraph. Text is Windows-1252 and never holds control bytes.
struct HelpSpan {
    enum Kind { kText, kBold, kLink };
    Kind kind;
    std::string text;
    std::string target;  // kLink only: the context ID of the linked topic, as the source spells it
};

struct HelpParagraph {
    bool bListItem;  // "* " lines: shown with a bullet and less space below
    int nLine;       // where it starts, for messages
    std::vector<HelpSpan> spans;
};

struct HelpTopic {
    std::string contextId;
    std::string title;
    int nLine;  // of its "#topic" line, for messages
    std::vector<HelpParagraph> paragraphs;
};

struct HelpSource {
    std::vector<HelpTopic> topics;  // the first one is the contents
};

// Parses and checks a whole source: every topic has a valid, unique ID (letter case does not tell
// IDs apart, as the viewer's lookup ignores it) and a title, every link names an existing topic,
// and there is at least one topic. Links written without text get the target's title. On failure
// returns false with a message that names the line.
bool ParseHelpSource(const std::string& text, HelpSource* pSource, std::string* pError);

// True when the ID is one the help file can hash: one or more of A-Z, a-z, 0-9, "." and "_".
bool IsValidContextId(const std::string& id);

// Case-insensitive equality of two IDs.
bool SameContextId(const std::string& a, const std::string& b);

#endif  // TQ_HELP_HELP_SOURCE_H
