// Writes a parsed help source as a WinHelp (.hlp) file: uncompressed 4096-byte topic blocks, no
// phrase compression, no pictures and single-page B+ trees, the one layout that has been checked
// against the viewer. The internal files are |CONTEXT, |FONT, |SYSTEM, |TOPIC and |TTLBTREE.
#ifndef TQ_HELP_HLP_WRITER_H
#define TQ_HELP_HLP_WRITER_H

#include <stdint.h>

#include <string>
#include <vector>

#include "help/help_source.h"

typedef std::vector<uint8_t> HlpBytes;

// The context-ID hash that links and the |CONTEXT table use (letter case is ignored). Only valid
// IDs (IsValidContextId) are meant: other characters would hash differently in different viewers.
uint32_t HelpContextHash(const std::string& id);

// Builds the whole file in memory. szFileTitle is the |SYSTEM title that the viewer's caption
// shows. Fails, with a message, when two IDs share a hash, when a paragraph is too long for one
// record, or when the topics or titles do not fit the single-page tables.
bool BuildHelpFile(const HelpSource& source, const std::string& fileTitle, HlpBytes* pFile, std::string* pError);

#endif  // TQ_HELP_HLP_WRITER_H
