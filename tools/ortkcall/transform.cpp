// ortkcall sub-command for the transform fitting export.
#include "tools/ortkcall/ortkcall.h"

#include <cstdio>

namespace {

using CalculateTransformParamsFn = long(__cdecl *)(HWND, const char *, long, long *, double *,
                                                   const char *, long);

// Room for the largest model and more, so that a preset count above 20 shows
// what the library copies.
constexpr long kParamSlots = 21;

int RunCalculateTransformParams(int argc, char **argv) {
    long paramCount = argc > 4 ? ParseLong(argv[4]) : 0;
    double params[kParamSlots];
    for (double &p : params)
        p = 0.0;
    const long result = Export<CalculateTransformParamsFn>("CalculateTransformParams")(
        HostWindow(), argv[0], ParseLong(argv[1]), &paramCount, params, argv[2],
        ParseLong(argv[3]));
    PrintLong("result", result);
    PrintLong("paramCount", paramCount);
    for (long i = 0; i < paramCount && i < kParamSlots; ++i) {
        char name[24];
        std::snprintf(name, sizeof name, "params[%ld]", i);
        PrintDouble(name, params[i]);
    }
    return 0;
}

const CommandRegistrar calculateTransformParams(
    {"calculatetransformparams", "<cpfile> <type> <reportfile> <showMessages> [presetParamCount]",
     4, 5, RunCalculateTransformParams});

} // namespace
