// Locale names for the C runtime, built from a Windows locale identifier.
#ifndef ORTK232_TRANSFORM_TRANSFORM_LOCALE_H
#define ORTK232_TRANSFORM_TRANSFORM_LOCALE_H

#include <windows.h>

// Fills buffer (at least 381 bytes) with "language_country.codepage" in the
// English names the system gives for the locale, e.g. "English_United
// States.1252", and returns it. A failed query leaves its part empty; the
// "_" is always there, the "." only with a code page.
char *BuildLocaleName(LCID locale, char *buffer);

#endif
