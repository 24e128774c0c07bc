// The Windows-1252 fast path: every byte is one code point and none is a mark, so while no
// prepended mark is open each plain byte begins a character of its own, and a block of bytes
// becomes its class bytes by a table, ASCII copied as it is.
#pragma once
#include <stddef.h>

#include "measure/unicode_text.h"

// The class byte of each Windows-1252 byte that the fast path takes (ASCII as itself), or
// kWindows1252Stop for the scalar reference path: U+0000, joiners, ideographs, emoji marks, pictographs
// and every class but Other and the controls. Made from the character table at the first use.
enum { kWindows1252Stop = 0xFF };
const unsigned char* Windows1252FastPathBytes();

// Takes the leading plain bytes of p, writing one class byte each at *pq (up to 64 bytes past
// the last one taken while 64 remain) and moving *pq past them; returns how many it took (0 when
// the state lets none take this fast path).
size_t RunWindows1252(CharacterState* pState, const unsigned char* p, size_t n, unsigned char** pq);
