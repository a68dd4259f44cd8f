// ortk-fit: fits a plane coordinate transformation to a control points file
// on the command line, with the library's own reader, models and report.
#include "frame/messages.h"
#include "frame/string_table.h"
#include "res/resource.h"
#include "tools/fit/fit_apply.h"
#include "tools/fit/fit_command.h"
#include "tools/fit/model_compare.h"
#include "tools/fit/plain_fit.h"
#include "tools/fit/points_file.h"
#include "tools/fit/thin_plate_spline.h"
#include "tools/fit/world_file.h"
#include "transform/fit_entry.h"

#include <clocale>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

const char *const kUsage =
    "usage: ortk-fit CPFILE --model MODEL [--report FILE] [--stable] [--robust]\n"
    "                [--diagnose] [--json FILE|-] [--plot FILE.svg]\n"
    "                [--world FILE] [--points-out FILE]\n"
    "       ortk-fit CPFILE --compare [--stable] [--json FILE|-]\n"
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
    "  tps         7  2(N + 3) coefficients (thin-plate spline through every point)\n"
    "\n"
    "Prints paramCount=m, then p1= ... pm=, sdX= and sdY=, one a line (%.17g).\n"
    "--report FILE also writes the residuals report, numbers in the locale's\n"
    "format. On failure the reason goes to standard error and the exit status\n"
    "is 1 (2 for a usage error). Warnings go to standard error on every fit:\n"
    "the normal equations losing more than 8 of 16 digits (naming --stable),\n"
    "fewer points than coefficients, no redundancy.\n"
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
    "            coordinates, residual arrows exaggerated, flagged lines named.\n"
    "\n"
    "--robust    finds gross blunders, leaves them out and fits the rest: a\n"
    "            minimal-sample consensus (least median of squares, fixed seed),\n"
    "            least-squares refits with a robust scale, then data snooping by\n"
    "            studentised residual: above 3 (more above 405 points) goes\n"
    "            out, within it comes back.\n"
    "            The fit printed is the ordinary one of the points kept; the\n"
    "            excluded lines follow on excluded_lines= (comma-separated), on\n"
    "            standard error, in the JSON (excluded_lines, excluded) and on\n"
    "            the map (grey crosses). No consensus, or too few points for a\n"
    "            sample: a message and exit status 1.\n"
    "--compare   fits every model to the points (the six by the documented fit,\n"
    "            or with --stable the stable one, and tps) and prints one row\n"
    "            each: m, redundancy, total_rms, mean_error, loo_rms (sqrt of the\n"
    "            sum of squared leave-one-out residuals over N), condition,\n"
    "            digits_lost, flagged lines; then the recommended model: the one\n"
    "            with the fewest coefficients whose loo_rms is within 5 % of the\n"
    "            lowest. --json writes {\"models\": [...], \"recommended\": NAME}.\n"
    "--model tps the thin-plate spline (r^2 ln r^2 and an affine part) in the\n"
    "            frame of --stable; its residuals are zero, its leave-one-out\n"
    "            residuals (exact, from the inverse of the interpolation matrix)\n"
    "            are its check. Prints the frame, then p1 ... p6 (the affine part\n"
    "            in the order of the affine model), then the weights of each\n"
    "            point, x and y. At most 2000 points.\n";

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
    "                  (dX, dY observed minus computed, residual their length);\n"
    "                  the rows --robust excluded get enable 0.\n"
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
    const char *names[7] = {"projective", "similarity", "affine", "poly2",
                            "conformal2", "poly3",      "tps"};
    for (long i = 0; i < 7; ++i)
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
    bool compare = false;
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
        } else if (std::strcmp(arg, "--robust") == 0) {
            checked.robust = true;
        } else if (std::strcmp(arg, "--compare") == 0) {
            compare = true;
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
    if (compare && (model != 0 || reportFile != nullptr || checked.robust || checked.diagnose ||
                    checked.plotFile != nullptr || checked.worldFile != nullptr ||
                    checked.pointsOutFile != nullptr)) {
        std::fputs("ortk-fit: --compare fits every model: it takes only --stable and --json\n",
                   stderr);
        return 2;
    }
    if (pointsFile == nullptr || (model == 0 && !compare)) {
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
    if (compare)
        return RunCompareCommand(pointsFile, checked.stable, checked.jsonFile);
    const ReportLocale locale = reportFile != nullptr
                                    ? ReportLocale{EnterUserLocale, LeaveUserLocale}
                                    : ReportLocale{StayInLocale, StayInLocale};
    if (checked.stable || checked.robust || checked.diagnose || checked.jsonFile != nullptr ||
        checked.plotFile != nullptr || checked.worldFile != nullptr ||
        checked.pointsOutFile != nullptr || model == kSplineModel || IsPointsFile(pointsFile)) {
        checked.pointsFile = pointsFile;
        checked.model = model;
        checked.reportFile = reportFile;
        checked.locale = locale;
        return RunFitCommand(checked);
    }
    return RunPlainFit(pointsFile, model, reportFile, locale);
}
