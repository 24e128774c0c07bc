// The text of a subtitle file (SubRip .srt, WebVTT .vtt): the cues' lines, without their numbers,
// times, settings, formatting tags and the file's other blocks.
#pragma once
#include <stddef.h>

#include "documents/document_text.h"

enum class SubtitleKind { kSrt, kVtt };

// Reads the cue text into pText, each cue line ending with CR LF; false when refused (pText->Refusal()
// says why). The encoding: a byte-order mark, else nFallbackCodePage (kCodePageUtf8 or a code page
// FindCodePage knows), else the text-file rule.
bool ReadSubtitleText(const unsigned char* pData, size_t cbData, SubtitleKind kind, int nFallbackCodePage,
                      DocumentText* pText);
