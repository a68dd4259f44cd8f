// Whether a face that the library's texts and dialogs ask for is drawn with a
// real font on this machine. Wine serves a face it does not know with its
// fallback sans-serif font, whose metrics differ: a test that measures text
// checks this first, so that a missing font package is named as the cause.
#ifndef ORTK232_TESTS_FRAME_INSTALLED_FONTS_H
#define ORTK232_TESTS_FRAME_INSTALLED_FONTS_H

#include <gtest/gtest.h>

// Succeeds when the face resolves to itself or to its metric-compatible
// stand-in; the failure names the face it resolved to and the Debian package
// that provides the missing font.
testing::AssertionResult FontInstalled(const char *face);

#endif
