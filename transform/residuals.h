// The residuals report: count, one line per point with its x and y residual
// and their length, a total, and the standard deviations in x and y.
#ifndef ORTK232_TRANSFORM_RESIDUALS_H
#define ORTK232_TRANSFORM_RESIDUALS_H

#include <cstddef>

// Writes the report to path (created or truncated, text mode). The point
// values and the total are rounded to float before formatting; the total is
// sqrt(sum of TX[i]^2 + TY[i]^2 over all points / n), 0 for no points.
// Returns 1 when every line was written, else 0 after showing the reason
// (when showMessages is set). Numbers use the decimal point of the C
// runtime's current locale.
long WriteResiduals(long n, const double *TX, const double *TY, const char *path, bool showMessages,
                    double sdX, double sdY);

// Formats value as "%.6f" would, with decimalPoint as the separator, into out
// (at least 400 bytes); returns the length. Exact for every double.
std::size_t FormatFixed6(double value, char decimalPoint, char *out);

// The total of the report line "Total RMS", before its rounding to float.
double TotalRms(long n, const double *TX, const double *TY);

#endif
