// rv_encrypt and rv_decrypt: the scrambler over a caller's buffer.
#include "frame/export_guard.h"
#include "util/scramble.h"

// A null buffer with a positive length gives 0, a result that no valid call
// returns.
extern "C" long __cdecl rv_encrypt(unsigned char *buffer, long length) {
    return RunExport(0L, [&]() -> long {
        if (length < 1)
            return 1;
        if (buffer == nullptr)
            return 0;
        ScrambleBytes(buffer, length);
        return 1;
    });
}

extern "C" long __cdecl rv_decrypt(unsigned char *buffer, long length) {
    return RunExport(0L, [&]() -> long {
        if (length < 1)
            return 1;
        if (buffer == nullptr)
            return 0;
        return UnscrambleBytes(buffer, length);
    });
}
