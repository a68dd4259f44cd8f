// GetLastModifiedDate and GetTimeNow: time stamps as text in the system's
// default locale, which stays the same whatever locale the user has chosen.
#include <windows.h>

#include <cstring>

#include "frame/export_guard.h"
#include "frame/handles.h"
#include "util/date_text.h"

namespace {

constexpr int kFormatBufferSize = 255;

// Last-write time of a file that nobody else has open, in local calendar
// fields. The open allows no sharing, so a file held open elsewhere fails.
bool ReadLastWriteTime(const char *path, SYSTEMTIME *local) {
    FILETIME lastWrite;
    {
        const ScopedHandle file(
            CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        if (!file)
            return false;
        if (!GetFileTime(file.get(), nullptr, nullptr, &lastWrite))
            return false;
    }
    // Uses the time-zone bias in force now, not the one at the file's date.
    FILETIME localFileTime;
    return FileTimeToLocalFileTime(&lastWrite, &localFileTime) &&
           FileTimeToSystemTime(&localFileTime, local);
}

bool FormatModifiedDate(const char *path, char *out) {
    SYSTEMTIME local;
    if (!ReadLastWriteTime(path, &local))
        return false;
    char time[kFormatBufferSize];
    if (GetTimeFormatA(LOCALE_SYSTEM_DEFAULT, 0, &local, nullptr, time, kFormatBufferSize) == 0)
        return false;
    char date[kFormatBufferSize];
    if (GetDateFormatA(LOCALE_SYSTEM_DEFAULT, 0, &local, "ddMMMyyyy", date, kFormatBufferSize) < 10)
        return false;
    return ComposeModifiedDate(date, time, out, kModifiedDateTextSize);
}

} // namespace

extern "C" long __cdecl GetLastModifiedDate(const char *path, char *out) {
    return RunExport(0L, [&]() -> long {
        if (out == nullptr)
            return 0;
        out[0] = '\0';
        if (path == nullptr || !FormatModifiedDate(path, out)) {
            out[0] = '\0';
            return 0;
        }
        return 1;
    });
}

extern "C" long __cdecl GetTimeNow(char *out) {
    return RunExport(0L, [&]() -> long {
        if (out == nullptr)
            return 0;
        out[0] = '\0';
        SYSTEMTIME now;
        GetLocalTime(&now);
        char time[kFormatBufferSize];
        if (GetTimeFormatA(LOCALE_SYSTEM_DEFAULT, 0, &now, nullptr, time, kFormatBufferSize) == 0)
            return 0;
        std::memcpy(out, time, std::strlen(time) + 1);
        return 1;
    });
}
