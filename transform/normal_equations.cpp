#include "transform/normal_equations.h"

long AddToNormalMatrix(double *N, const double *a, const long *m) {
    const long n = *m;
    for (long i = 0; i < n; ++i)
        for (long j = 0; j < n; ++j)
            N[i + j * n] += a[j] * a[i];
    return 0;
}

long InvertMatrix(const long *m, double *N) {
    const long n = *m;
    for (long k = 0; k < n; ++k) {
        double &pivot = N[k + k * n];
        for (long j = 0; j < n; ++j)
            if (j != k)
                N[k + j * n] = N[k + j * n] / pivot;
        pivot = 1.0 / pivot;
        for (long i = 0; i < n; ++i) {
            if (i == k)
                continue;
            const double factor = N[i + k * n];
            for (long j = 0; j < n; ++j)
                if (j != k)
                    N[i + j * n] = N[i + j * n] - factor * N[k + j * n];
            N[i + k * n] = -(factor * pivot);
        }
    }
    return 0;
}

long MultiplyMatrixVector(double *y, const double *A, const double *x, const long *m) {
    const long n = *m;
    for (long i = 0; i < n; ++i)
        for (long j = 0; j < n; ++j)
            y[i] += A[i + j * n] * x[j];
    return 0;
}
