// Layout of the modification time text: "DD Mon YYYY time".
#ifndef ORTK232_UTIL_DATE_TEXT_H
#define ORTK232_UTIL_DATE_TEXT_H

#include <cstddef>

// Room the caller of GetLastModifiedDate must provide: 12 characters of date
// and blanks, a time text of at most 254 characters, and the terminating zero.
constexpr std::size_t kModifiedDateTextSize = 12 + 254 + 1;

// Builds "DD Mon YYYY time" from a date formatted with the picture
// "ddMMMyyyy" and a time text. The day is the first two characters and the
// year the last four; the month name is everything between them, so a locale
// whose abbreviations are not three characters long ("März", "Dez.", "sept.")
// keeps its whole month name and a correct year. Returns false, leaving out as
// an empty text, when the date is shorter than nine characters or the result
// would not fit in outSize bytes with its terminating zero.
bool ComposeModifiedDate(const char *date, const char *time, char *out, std::size_t outSize);

#endif
