// libFuzzer target for the control points reader and the number scanner.
// The reader gets the input as a file, with an allocation failure chosen by
// the first byte; the scanner must agree with the C library's strtod (C
// locale, correctly rounded in glibc) wherever their grammars meet.
#include "frame/messages.h"
#include "transform/allocation.h"
#include "transform/control_points.h"
#include "transform/number_scan.h"

#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

void ShowMessage(unsigned, unsigned, unsigned) {}
void ShowLineError(unsigned templateId, long number) {
    if (templateId < 2018 || templateId > 2024 || number < 1)
        std::abort();
}

namespace {

// strtod reads hexadecimal numbers, inf and nan; the scanner does not.
bool StrtodHasMore(const char *text) {
    const char *p = text;
    while (std::isspace(static_cast<unsigned char>(*p)))
        ++p;
    if (*p == '+' || *p == '-')
        ++p;
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X'))
        return true;
    const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(*p)));
    return c == 'i' || c == 'n';
}

void CheckScanner(const std::string &text) {
    char *expectedEnd = nullptr;
    const double expected = std::strtod(text.c_str(), &expectedEnd);
    double value = 0.0;
    const char *end = ScanNumber(text.c_str(), '.', &value);
    if (StrtodHasMore(text.c_str()))
        return;
    if (expectedEnd == text.c_str()) {
        if (end != nullptr)
            std::abort();
        return;
    }
    if (end != expectedEnd || std::memcmp(&value, &expected, sizeof value) != 0)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    static const std::string path = "/tmp/ortk_fuzz_points_" + std::to_string(getpid());
    const std::string text(reinterpret_cast<const char *>(data), size);
    CheckScanner(text.substr(0, 400).c_str());

    std::FILE *file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);
    FailWorkingAllocation(size > 0 && data[0] % 4 == 0 ? data[0] / 4 % 8 : 0);
    long n = -1;
    double *XI = nullptr, *YI = nullptr, *XP = nullptr, *YP = nullptr;
    const long result = ReadControlPoints(path.c_str(), &n, &XI, &YI, &XP, &YP, true);
    FailWorkingAllocation(0);
    if (result == 1) {
        if (n < 0 || static_cast<std::size_t>(n) > size)
            std::abort();
        double sum = 0;
        for (long i = 0; i < n; ++i)
            sum += XI[i] + YI[i] + XP[i] + YP[i];
        (void)sum;
        FreeCoordinateArrays(XP, YP, XI, YI);
    } else if (XI != nullptr || YI != nullptr || XP != nullptr || YP != nullptr) {
        std::abort();
    }
    return 0;
}
