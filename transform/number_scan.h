// Number scanning for control point lines: the extent of a number follows one
// fixed grammar (optional leading white space, optional sign, digits with an
// optional decimal point and fraction, optional exponent), and the value is
// the correctly rounded double of that text.
#ifndef ORTK232_TRANSFORM_NUMBER_SCAN_H
#define ORTK232_TRANSFORM_NUMBER_SCAN_H

// Converts the number at the start of text, with decimalPoint as the decimal
// separator. Returns the first character after it, or null when no number
// begins there (nothing converted). Values beyond the double range give an
// infinity of the number's sign, values below it a zero of that sign.
// Hexadecimal numbers, "inf" and "nan" are not numbers here: "0x10" converts
// as 0 and ends before the x.
const char *ScanNumber(const char *text, char decimalPoint, double *value);

// The first character of text that may start a number ("+-0123456789."), or
// null when there is none before the terminating NUL.
const char *FindNumberStart(const char *text);

// Scans the four numbers of a control point line: the first after any spaces
// and tabs, each further one from the next character that may start a
// number, as ScanNumber and FindNumberStart do. Returns 0 when all four were
// converted into values; otherwise the first step that failed: 2k + 1 when
// number k (counted from 0) could not be converted, 2k when no character
// could start it.
int ScanLineNumbers(const char *line, char decimalPoint, double values[4]);

#endif
