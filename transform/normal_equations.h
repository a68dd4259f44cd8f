// Normal equations of unweighted least squares: accumulation of observation
// rows, in-place inversion and the product with the right-hand side. Matrices
// are m x m doubles stored column by column: element (i, j), counted from 1,
// lies at (i - 1) + (j - 1) * m. Every operation returns 0; with m below 1 it
// does nothing.
#ifndef ORTK232_TRANSFORM_NORMAL_EQUATIONS_H
#define ORTK232_TRANSFORM_NORMAL_EQUATIONS_H

// N(i, j) += a(i) * a(j) over the full square.
long AddToNormalMatrix(double *N, const double *a, const long *m);

// Gauss-Jordan inversion in place, pivots taken from the diagonal in order,
// no interchanges and no test of the pivot: a zero pivot gives infinities and
// NaNs under IEEE rules.
long InvertMatrix(const long *m, double *N);

// y(i) += A(i, 1) * x(1) + ... + A(i, m) * x(m), adding in ascending order.
long MultiplyMatrixVector(double *y, const double *A, const double *x, const long *m);

#endif
