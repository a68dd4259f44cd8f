// libFuzzer target for the control points reader and the number scanner.
// The reader gets the input as a file, with an allocation failure chosen by
// the first byte; the scanner must agree with the C library's strtod (C
// locale, correctly rounded in glibc) wherever their grammars meet: strtod
// also reads hexadecimal numbers, inf and nan, which the scanner does not.
#include "frame/messages.h"
#include "transform/allocation.h"
#include "transform/control_points.h"
#include "transform/number_scan.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <regex>
#include <string>
#include <unistd.h>

void ShowMessage(unsigned, unsigned, unsigned) {}
void ShowLineError(unsigned templateId, long number) {
    if (templateId < 2018 || templateId > 2024 || number < 1)
        std::abort();
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    static const std::string path = "/tmp/ortk_fuzz_points_" + std::to_string(getpid());
    static const std::regex strtodOnly("^\\s*[-+]?(0[xX]|[iInN])");
    const std::string text(reinterpret_cast<const char *>(data), size > 400 ? 400 : size);
    char *expectedEnd = nullptr;
    const double expected = std::strtod(text.c_str(), &expectedEnd);
    double value = 0.0;
    const char *end = ScanNumber(text.c_str(), '.', &value);
    if (!std::regex_search(text.c_str(), strtodOnly) &&
        (expectedEnd == text.c_str()
             ? end != nullptr
             : end != expectedEnd || std::memcmp(&value, &expected, sizeof value)))
        std::abort();

    if (std::FILE *file = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, file);
        std::fclose(file);
    }
    FailWorkingAllocation(size > 0 && data[0] % 4 == 0 ? data[0] / 4 % 8 : 0);
    long n = -1;
    double *XI = nullptr, *YI = nullptr, *XP = nullptr, *YP = nullptr;
    const long result = ReadControlPoints(path.c_str(), &n, &XI, &YI, &XP, &YP, true);
    FailWorkingAllocation(0);
    if ((result == 1 && (n < 0 || std::size_t(n) > size)) ||
        (result != 1 && (XI != nullptr || YI != nullptr || XP != nullptr || YP != nullptr)))
        std::abort();
    // Every value is read, so that the sanitizers see the whole arrays.
    volatile double sum = 0;
    for (long i = 0; result == 1 && i < n; ++i)
        sum = sum + XI[i] + YI[i] + XP[i] + YP[i];
    FreeCoordinateArrays(XP, YP, XI, YI);
    return 0;
}
