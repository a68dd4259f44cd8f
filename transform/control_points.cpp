#include "transform/control_points.h"

#include "frame/messages.h"
#include "res/resource.h"
#include "transform/allocation.h"
#include "transform/number_scan.h"
#include "transform/platform_files.h"

#include <clocale>
#include <cstdlib>
#include <cstring>

namespace {

constexpr std::size_t kReadBufferBytes = 1 << 18;
constexpr long kFirstBlockRecords = 16;
constexpr long kLargestBlockRecords = 1 << 16;

ControlPointBlock *AllocateBlock(long capacity) {
    void *memory = AllocateWorkingMemory(sizeof(ControlPointBlock) +
                                         static_cast<std::size_t>(capacity) * sizeof(ControlPoint));
    if (memory == nullptr)
        return nullptr;
    ControlPointBlock *block = static_cast<ControlPointBlock *>(memory);
    block->next = nullptr;
    block->capacity = capacity;
    block->count = 0;
    return block;
}

class FileCloser {
  public:
    explicit FileCloser(std::FILE *file) : file_(file) {}
    ~FileCloser() { Close(); }
    FileCloser(const FileCloser &) = delete;
    FileCloser &operator=(const FileCloser &) = delete;
    void Close() {
        if (file_ != nullptr)
            std::fclose(file_);
        file_ = nullptr;
    }

  private:
    std::FILE *file_;
};

class BlockList {
  public:
    BlockList() = default;
    ~BlockList() { Release(); }
    BlockList(const BlockList &) = delete;
    BlockList &operator=(const BlockList &) = delete;

    ControlPointBlock *head = nullptr;
    ControlPointBlock *last = nullptr;

    void Release() {
        FreeControlPointList(head);
        head = last = nullptr;
    }
};

// The first failure of a line, as the message id of its template; 0 when the
// line holds a point.
unsigned ParseLine(const char *line, char decimalPoint, ControlPoint *point) {
    static const unsigned kFailures[7] = {
        IDS_LINE_MISSING_X_OLD, IDS_LINE_NO_Y_OLD, IDS_LINE_MISSING_Y_OLD, IDS_LINE_NO_X_NEW,
        IDS_LINE_MISSING_X_NEW, IDS_LINE_NO_Y_NEW, IDS_LINE_MISSING_Y_NEW};
    double values[4];
    const int failure = ScanLineNumbers(line, decimalPoint, values);
    if (failure != 0)
        return kFailures[failure - 1];
    *point = ControlPoint{values[0], values[1], values[2], values[3]};
    return 0;
}

} // namespace

LineReader::LineReader(std::FILE *file)
    : file_(file), buffer_(static_cast<char *>(std::malloc(kReadBufferBytes + 1))),
      capacity_(kReadBufferBytes) {
    if (buffer_ == nullptr) {
        buffer_ = fallback_;
        capacity_ = sizeof fallback_ - 1;
    }
}

LineReader::~LineReader() {
    if (buffer_ != fallback_)
        std::free(buffer_);
}

const char *LineReader::Next() {
    if (terminated_ != nullptr) {
        *terminated_ = saved_;
        terminated_ = nullptr;
    }
    const std::size_t longest = kMaxLineBytes;
    if (end_ - begin_ < longest && !atEnd_) {
        std::memmove(buffer_, buffer_ + begin_, end_ - begin_);
        end_ -= begin_;
        begin_ = 0;
        while (end_ < capacity_ && !atEnd_) {
            const std::size_t got = std::fread(buffer_ + end_, 1, capacity_ - end_, file_);
            end_ += got;
            if (got == 0)
                atEnd_ = true;
            else if (end_ - begin_ >= longest)
                break;
        }
    }
    std::size_t available = end_ - begin_;
    if (available == 0)
        return nullptr;
    if (available > longest)
        available = longest;
    char *start = buffer_ + begin_;
    const void *lineEnd = std::memchr(start, '\n', available);
    const std::size_t length =
        lineEnd != nullptr ? static_cast<const char *>(lineEnd) - start + 1 : available;
    // The byte after the line (the next line's first, or the spare byte at
    // the end of the buffer) holds the terminating NUL until the next call.
    char *after = start + length;
    begin_ += length;
    if (begin_ < end_) {
        terminated_ = after;
        saved_ = *after;
    }
    *after = '\0';
    return start;
}

void FreeControlPointList(ControlPointBlock *head) {
    while (head != nullptr) {
        ControlPointBlock *next = head->next;
        std::free(head);
        head = next;
    }
}

void FreeCoordinateArrays(double *XP, double *YP, double *XI, double *YI) {
    std::free(XP);
    std::free(YP);
    std::free(XI);
    std::free(YI);
}

long ReadControlPoints(const char *path, long *n, double **XI, double **YI, double **XP,
                       double **YP, bool showMessages) {
    // A null path names nothing, like a name that matches no entry.
    if (path == nullptr || !ControlPointsPathExists(path)) {
        if (showMessages)
            ShowMessage(IDS_CANNOT_LOCATE_CP_FILE, IDS_READ_CONTROL_POINTS, kMessageErrorIcon);
        return 0;
    }
    std::FILE *file = OpenControlPointsFile(path);
    if (file == nullptr) {
        if (showMessages)
            ShowMessage(IDS_CANNOT_OPEN_CP_FILE, IDS_READ_CONTROL_POINTS, kMessageErrorIcon);
        return 0;
    }
    FileCloser closer(file);
    BlockList list;

    // Shows a message after the file was closed and the records released.
    auto fail = [&](unsigned textId) -> long {
        closer.Close();
        list.Release();
        if (showMessages)
            ShowMessage(textId, IDS_READ_CONTROL_POINTS, kMessageErrorIcon);
        return 0;
    };

    list.head = list.last = AllocateBlock(kFirstBlockRecords);
    if (list.head == nullptr)
        return fail(IDS_NO_CONTROL_POINT);

    // The runtime's decimal point at the time of the read.
    const char decimalPoint = *std::localeconv()->decimal_point;
    long count = 0;
    long lineNumber = 0;
    LineReader reader(file);
    while (const char *line = reader.Next()) {
        ++lineNumber;
        ControlPoint point;
        const unsigned error = ParseLine(line, decimalPoint, &point);
        if (error != 0) {
            closer.Close();
            list.Release();
            if (showMessages)
                ShowLineError(error, lineNumber);
            return 0;
        }
        ControlPointBlock *block = list.last;
        if (block->count == block->capacity) {
            const long capacity =
                block->capacity < kLargestBlockRecords ? block->capacity * 2 : block->capacity;
            block = AllocateBlock(capacity);
            if (block == nullptr)
                return fail(IDS_NO_CONTROL_POINT);
            list.last->next = block;
            list.last = block;
        }
        block->Records()[block->count++] = point;
        ++count;
    }

    const std::size_t bytes = static_cast<std::size_t>(count) * sizeof(double);
    double *arrays[4] = {};
    const unsigned arrayMessages[4] = {IDS_NO_XP_ARRAY, IDS_NO_YP_ARRAY, IDS_NO_XI_ARRAY,
                                       IDS_NO_YI_ARRAY};
    for (int a = 0; a < 4; ++a) {
        arrays[a] = static_cast<double *>(AllocateWorkingMemory(bytes));
        if (arrays[a] == nullptr) {
            closer.Close();
            list.Release();
            FreeCoordinateArrays(arrays[0], arrays[1], arrays[2], arrays[3]);
            if (showMessages)
                ShowMessage(arrayMessages[a], IDS_READ_CONTROL_POINTS, kMessageErrorIcon);
            return 0;
        }
    }
    double *xp = arrays[0], *yp = arrays[1], *xi = arrays[2], *yi = arrays[3];
    long i = 0;
    // Each block is released as soon as it was copied: the memory it gives
    // back serves the arrays' pages still to be touched.
    while (ControlPointBlock *block = list.head) {
        const ControlPoint *records = block->Records();
        for (long r = 0; r < block->count; ++r, ++i) {
            xi[i] = records[r].x_old;
            yi[i] = records[r].y_old;
            xp[i] = records[r].x_new;
            yp[i] = records[r].y_new;
        }
        list.head = block->next;
        std::free(block);
    }
    list.last = nullptr;
    closer.Close();
    *n = count;
    *XI = xi;
    *YI = yi;
    *XP = xp;
    *YP = yp;
    return 1;
}
