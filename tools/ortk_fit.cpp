// ortk-fit: fits a plane coordinate transformation to a control points file
// on the command line, with the library's own reader, models and report.
#include "frame/messages.h"
#include "frame/string_table.h"
#include "res/resource.h"
#include "transform/fit_entry.h"

#include <clocale>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

const char *const kUsage =
    "usage: ortk-fit CPFILE --model MODEL [--report FILE]\n"
    "\n"
    "Fits a plane coordinate transformation to the control points in CPFILE by\n"
    "unweighted least squares. Each line of CPFILE holds one point: x_old y_old\n"
    "x_new y_new, separated by any characters other than digits, signs and\n"
    "points; anything after the fourth number is ignored.\n"
    "\n"
    "MODEL is one of (name or type code):\n"
    "  projective  1   8 coefficients\n"
    "  similarity  2   4 coefficients\n"
    "  affine      3   6 coefficients\n"
    "  poly2       4  12 coefficients (second-order polynomial)\n"
    "  conformal2  5   6 coefficients (second-order conformal)\n"
    "  poly3       6  20 coefficients (third-order polynomial)\n"
    "\n"
    "Prints paramCount=m, then p1= ... pm=, sdX= and sdY=, one a line (%.17g).\n"
    "--report FILE also writes the residuals report, numbers in the locale's\n"
    "format. On failure the reason goes to standard error and the exit status\n"
    "is 1 (2 for a usage error).\n";

// Messages of the library go to standard error, in its own words.
void PrintLibraryText(const std::string &text) {
    std::fprintf(stderr, "ortk-fit: %s\n", text.c_str());
}

long ModelCode(const char *name) {
    const char *names[6] = {"projective", "similarity", "affine", "poly2", "conformal2", "poly3"};
    for (long i = 0; i < 6; ++i)
        if (std::strcmp(name, names[i]) == 0 ||
            (name[0] == static_cast<char>('1' + i) && name[1] == '\0'))
            return i + 1;
    return 0;
}

void StayInLocale() {}

// Points are read with a full stop; the report follows the user's locale.
void EnterUserLocale() {
    std::setlocale(LC_NUMERIC, "");
}
void LeaveUserLocale() {
    std::setlocale(LC_NUMERIC, "C");
}

} // namespace

void ShowMessage(unsigned textId, unsigned, unsigned) {
    PrintLibraryText(LibraryString(textId));
}

void ShowLineError(unsigned templateId, long number) {
    std::string text = LibraryString(templateId);
    const std::size_t at = text.find("%li");
    if (at != std::string::npos)
        text.replace(at, 3, std::to_string(number));
    PrintLibraryText(text);
}

int main(int argc, char **argv) {
    const char *pointsFile = nullptr;
    const char *reportFile = nullptr;
    long model = 0;
    for (int i = 1; i < argc; ++i) {
        const char *arg = argv[i];
        if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (std::strcmp(arg, "--model") == 0 && i + 1 < argc) {
            model = ModelCode(argv[++i]);
            if (model == 0) {
                std::fprintf(stderr, "ortk-fit: unknown model %s\n", argv[i]);
                return 2;
            }
        } else if (std::strcmp(arg, "--report") == 0 && i + 1 < argc) {
            reportFile = argv[++i];
        } else if (arg[0] != '-' && pointsFile == nullptr) {
            pointsFile = arg;
        } else {
            std::fputs(kUsage, stderr);
            return 2;
        }
    }
    if (pointsFile == nullptr || model == 0) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    std::setlocale(LC_NUMERIC, "C");
    long paramCount = 0;
    double params[21];
    FitDeviations deviations = {0.0, 0.0};
    const ReportLocale locale = reportFile != nullptr
                                    ? ReportLocale{EnterUserLocale, LeaveUserLocale}
                                    : ReportLocale{StayInLocale, StayInLocale};
    const long result = RunTransformFit(pointsFile, model, &paramCount, params, reportFile, true,
                                        locale, &deviations);
    if (result == 0)
        return 1;
    std::printf("paramCount=%ld\n", paramCount);
    for (long i = 0; i < paramCount; ++i)
        std::printf("p%ld=%.17g\n", i + 1, params[i]);
    std::printf("sdX=%.17g\nsdY=%.17g\n", deviations.sdX, deviations.sdY);
    return 0;
}
