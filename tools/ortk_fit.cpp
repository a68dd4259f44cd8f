// ortk-fit: fits a plane coordinate transformation to a control points file
// on the command line, with the library's own reader, models and report.
#include "frame/messages.h"
#include "frame/string_table.h"
#include "res/resource.h"
#include "tools/fit/fit_apply.h"
#include "tools/fit/fit_command.h"
#include "tools/fit/points_file.h"
#include "tools/fit/world_file.h"
#include "transform/fit_entry.h"

#include <clocale>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

const char *const kUsage =
    "usage: ortk-fit CPFILE --model MODEL [--report FILE] [--stable] [--diagnose]\n"
    "                [--json FILE|-] [--plot FILE.svg]\n"
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
    "is 1 (2 for a usage error).\n"
    "\n"
    "--stable fits the same model on normalised coordinates, solved by\n"
    "orthogonal (Householder) transformations instead of normal equations:\n"
    "  u = (x - centre_x) / scale,      v = (y - centre_y) / scale\n"
    "  U = (X - new_centre_x) / new_scale, V = (Y - new_centre_y) / new_scale\n"
    "  (U, V) = MODEL(p1 ... pm; u, v), the formulas of MODEL with u, v, U, V\n"
    "  in place of x, y, X, Y. Centres are the means; a scale makes the centred\n"
    "  coordinates' root mean square 1 (one scale per pair). A point maps to\n"
    "  X = new_centre_x + new_scale * U, Y = new_centre_y + new_scale * V.\n"
    "Prints paramCount=, centre_x=, centre_y=, scale=, new_centre_x=,\n"
    "new_centre_y=, new_scale=, then p1= ... pm= of the normalised model, sdX=\n"
    "and sdY=. The report lists the residuals of the normalised model, in the\n"
    "units of the new coordinates.\n"
    "\n"
    "With --stable, --diagnose, --json or --plot the fit is also diagnosed, and\n"
    "warnings go to standard error: the condition of the normal equations that\n"
    "the documented fit solves (above 8 of 16 digits lost), fewer points than\n"
    "coefficients or no redundancy (2N - m), and points whose studentised\n"
    "residual exceeds 3, named by their line number.\n"
    "--diagnose  adds n=, redundancy=, total_rms=, mean_error= (sqrt of the sum\n"
    "            of squared residuals over 2N - m), condition=, digits_lost=,\n"
    "            flagged= and a table per point: line, vx, vy, leverage,\n"
    "            leave-one-out residuals loo_vx, loo_vy, studentized.\n"
    "--json FILE writes all of it as JSON; FILE - writes it to standard output,\n"
    "            in place of the lines above.\n"
    "--plot FILE writes the residual map (SVG): the points at their old\n"
    "            coordinates, residual arrows exaggerated, flagged lines named.\n";

// The georeferencer's files, and the fit put to use.
const char *const kFilesUsage =
    "\n"
    "CPFILE may also be a .points file of a desktop georeferencer: an optional\n"
    "#CRS: line, a header mapX,mapY,sourceX,sourceY,enable (or pixelX,pixelY;\n"
    "more columns ignored), then one point a row, source = old, map = new.\n"
    "Rows with enable 0 are skipped; lines are named by the file's own numbers.\n"
    "--world FILE      writes the world file of a similarity or affine fit of\n"
    "                  pixel positions (x from the image's left edge, y minus the\n"
    "                  distance from its top edge, 0,0 its top-left corner): A, D,\n"
    "                  B, E, C, F one a line (%.17g), C, F the map position of\n"
    "                  the centre of the top-left pixel.\n"
    "--points-out FILE writes the points as a .points file with their residuals\n"
    "                  (dX, dY observed minus computed, residual their length).\n"
    "\n";

void PrintUsage(std::FILE *out) {
    std::fputs(kUsage, out);
    std::fputs(kFilesUsage, out);
    std::fputs(kApplyUsage, out);
}

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
    if (argc > 1 && std::strcmp(argv[1], "apply") == 0)
        return RunApplyCommand(argc - 2, argv + 2);
    const char *pointsFile = nullptr;
    const char *reportFile = nullptr;
    long model = 0;
    FitCommand checked;
    for (int i = 1; i < argc; ++i) {
        const char *arg = argv[i];
        if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
            PrintUsage(stdout);
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
        } else if (std::strcmp(arg, "--stable") == 0) {
            checked.stable = true;
        } else if (std::strcmp(arg, "--diagnose") == 0) {
            checked.diagnose = true;
        } else if (std::strcmp(arg, "--json") == 0 && i + 1 < argc) {
            checked.jsonFile = argv[++i];
        } else if (std::strcmp(arg, "--plot") == 0 && i + 1 < argc) {
            checked.plotFile = argv[++i];
        } else if (std::strcmp(arg, "--world") == 0 && i + 1 < argc) {
            checked.worldFile = argv[++i];
        } else if (std::strcmp(arg, "--points-out") == 0 && i + 1 < argc) {
            checked.pointsOutFile = argv[++i];
        } else if (arg[0] != '-' && pointsFile == nullptr) {
            pointsFile = arg;
        } else {
            PrintUsage(stderr);
            return 2;
        }
    }
    if (pointsFile == nullptr || model == 0) {
        PrintUsage(stderr);
        return 2;
    }
    if (checked.worldFile != nullptr && !HasWorldFile(model)) {
        std::fprintf(stderr,
                     "ortk-fit: --world needs a similarity or affine fit: a world file holds an "
                     "affine map, and the %s model is not one\n",
                     ModelName(model));
        return 2;
    }
    std::setlocale(LC_NUMERIC, "C");
    const ReportLocale locale = reportFile != nullptr
                                    ? ReportLocale{EnterUserLocale, LeaveUserLocale}
                                    : ReportLocale{StayInLocale, StayInLocale};
    if (checked.stable || checked.diagnose || checked.jsonFile != nullptr ||
        checked.plotFile != nullptr || checked.worldFile != nullptr ||
        checked.pointsOutFile != nullptr || IsPointsFile(pointsFile)) {
        checked.pointsFile = pointsFile;
        checked.model = model;
        checked.reportFile = reportFile;
        checked.locale = locale;
        return RunFitCommand(checked);
    }
    long paramCount = 0;
    double params[21];
    FitDeviations deviations = {0.0, 0.0};
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
