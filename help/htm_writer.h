// Writes a parsed help source as one small HTML page, the guide for systems without the WinHelp
// viewer: every topic under an anchor of its own (its context ID in lower case, as IDs ignore
// letter case), the same links between topics, no scripts and nothing fetched from anywhere.
#ifndef TQ_HELP_HTM_WRITER_H
#define TQ_HELP_HTM_WRITER_H

#include <string>

#include "help/help_source.h"

// The anchor of a topic: its context ID in lower case.
std::string HelpAnchor(const std::string& contextId);

// Builds the whole page. The text stays Windows-1252, as the page says of itself.
std::string BuildHelpPage(const HelpSource& source, const std::string& pageTitle);

#endif  // TQ_HELP_HTM_WRITER_H
