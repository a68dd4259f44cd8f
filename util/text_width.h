// GetTextWidth: the extent of a text in a font named by face, size and style.
#ifndef ORTK232_UTIL_TEXT_WIDTH_H
#define ORTK232_UTIL_TEXT_WIDTH_H

#include <windows.h>

// Creates the font that GetTextWidth measures with: CreateFontIndirectA
// unless a test has put its own function in place. The function must return a
// font that DeleteObject may delete, or null.
using TextFontFactory = HFONT(WINAPI *)(const LOGFONTA *font);

// Puts factory in place (null restores CreateFontIndirectA) and returns the
// function that was in place before.
TextFontFactory SetTextFontFactory(TextFontFactory factory);

// Copies face into the LOGFONTA face-name field: at most 31 characters and the
// terminating zero. A longer name is cut, never in the middle of a double-byte
// character of the ANSI code page, whose lead bytes isLeadByte tells (a test
// gives a double-byte code page's).
void CopyFaceName(const char *face, char (&field)[LF_FACESIZE],
                  BOOL(WINAPI *isLeadByte)(BYTE) = IsDBCSLeadByte);

#endif
