// Reader of control points files: one point a line, four numbers x_old,
// y_old, x_new, y_new, anything after the fourth ignored. The first bad line
// stops the read with a message naming the line.
#ifndef ORTK232_TRANSFORM_CONTROL_POINTS_H
#define ORTK232_TRANSFORM_CONTROL_POINTS_H

#include <cstdio>

struct ControlPoint {
    double x_old, y_old, x_new, y_new;
};

// Records in file order, allocated in blocks that grow from 16 records up,
// the blocks linked in file order.
struct alignas(8) ControlPointBlock {
    ControlPointBlock *next;
    long capacity;
    long count;
    ControlPoint *Records() { return reinterpret_cast<ControlPoint *>(this + 1); }
};

// Longest read: a 1024-byte line buffer filled with a count of 1023 holds at
// most 1022 bytes, line end included. A longer line is split.
constexpr long kMaxLineBytes = 1022;

// Reads the file into four new arrays of n doubles: XI (x_old), YI (y_old),
// XP (x_new), YP (y_new), in file order; the caller releases them with
// FreeCoordinateArrays. The four array out-places must be null on entry.
// Returns 1, or 0 after showing the reason (when showMessages is set) with
// nothing left allocated; a null path fails as a missing file does. The
// decimal point is that of the C runtime's current locale.
long ReadControlPoints(const char *path, long *n, double **XI, double **YI, double **XP,
                       double **YP, bool showMessages);

// Releases every block from head on; null does nothing.
void FreeControlPointList(ControlPointBlock *head);

// Releases each of the four arrays that is not null.
void FreeCoordinateArrays(double *XP, double *YP, double *XI, double *YI);

// Reads at most kMaxLineBytes bytes up to and including a line end, the way
// fgets does, through a large buffer of its own.
class LineReader {
  public:
    explicit LineReader(std::FILE *file);
    ~LineReader();
    LineReader(const LineReader &) = delete;
    LineReader &operator=(const LineReader &) = delete;

    // The next line, NUL-terminated, valid until the next call; null at end
    // of file.
    const char *Next();

  private:
    std::FILE *file_;
    char *buffer_; // capacity_ bytes and a spare one for the NUL
    std::size_t capacity_;
    char fallback_[2 * kMaxLineBytes + 1]; // when the large buffer cannot be had
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
    bool atEnd_ = false;
    char *terminated_ = nullptr; // where Next put its NUL
    char saved_ = '\0';          // the byte it replaced
};

#endif
