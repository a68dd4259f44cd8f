#include "tools/fit/fit_command.h"

#include "frame/messages.h"
#include "res/resource.h"
#include "tools/fit/fit_diagnostics.h"
#include "tools/fit/fit_json.h"
#include "tools/fit/points_file.h"
#include "tools/fit/residual_plot.h"
#include "tools/fit/robust_fit.h"
#include "tools/fit/thin_plate_spline.h"
#include "tools/fit/world_file.h"
#include "transform/models.h"
#include "transform/residuals.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <set>
#include <vector>

namespace {

struct FileCloser {
    void operator()(std::FILE *file) const { std::fclose(file); }
};

void PrintDiagnostics(std::FILE *out, const FitDiagnostics &d) {
    std::fprintf(out, "n=%ld\nredundancy=%ld\ntotal_rms=%.17g\nmean_error=%.17g\n", d.n,
                 d.redundancy, d.totalRms, d.meanError);
    std::fprintf(out, "condition=%.17g\ndigits_lost=%.17g\nflagged=%zu\n", d.condition,
                 d.digitsLost, d.flaggedLines.size());
    std::fprintf(out, "%6s %13s %13s %9s %13s %13s %11s\n", "line", "vx", "vy", "leverage",
                 "loo_vx", "loo_vy", "studentized");
    for (const PointDiagnostics &p : d.points)
        std::fprintf(out, "%6ld %13.6g %13.6g %9.4f %13.6g %13.6g %11.3f%s\n", p.line, p.vx, p.vy,
                     p.leverage, p.looVx, p.looVy, p.studentized, p.flagged ? "  flagged" : "");
}

std::string LineList(const std::vector<long> &lines) {
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i)
        text += (i > 0 ? "," : "") + std::to_string(lines[i]);
    return text;
}

std::string ExcludedText(const std::vector<long> &lines, long n) {
    if (lines.empty())
        return "no point of " + std::to_string(n);
    std::string text = std::to_string(lines.size()) + " of " + std::to_string(n) + " points, line" +
                       (lines.size() > 1 ? "s " : " ");
    for (std::size_t i = 0; i < lines.size() && i < 50; ++i)
        text += (i > 0 ? ", " : "") + std::to_string(lines[i]);
    if (lines.size() > 50)
        text += " and " + std::to_string(lines.size() - 50) + " more";
    return text;
}

// The points --robust left out, with their residuals against the fit of the
// others (observed minus computed by the printed model; for the projective
// model its quotient form).
std::vector<ExcludedPoint> ExcludedResiduals(long model, const PointSubset &excluded,
                                             const double *params, const Normalisation *oldFrame,
                                             const Normalisation *newFrame, const TpsFit *spline) {
    std::vector<ExcludedPoint> out;
    const ControlPointArrays p = excluded.View();
    for (long k = 0; k < p.n; ++k) {
        double X = 0.0, Y = 0.0;
        if (spline != nullptr) {
            EvaluateThinPlateSpline(*spline, p.XI[k], p.YI[k], &X, &Y);
        } else if (oldFrame != nullptr) {
            EvaluateModel(model, params, (p.XI[k] - oldFrame->centre_x) / oldFrame->scale,
                          (p.YI[k] - oldFrame->centre_y) / oldFrame->scale, &X, &Y);
            X = newFrame->centre_x + newFrame->scale * X;
            Y = newFrame->centre_y + newFrame->scale * Y;
        } else {
            EvaluateModel(model, params, p.XI[k], p.YI[k], &X, &Y);
        }
        out.push_back(
            {excluded.lines[k], p.XI[k], p.YI[k], p.XP[k], p.YP[k], p.XP[k] - X, p.YP[k] - Y});
    }
    return out;
}

} // namespace

int RunFitCommand(const FitCommand &command) {
    FitPoints read;
    if (!ReadFitPoints(command.pointsFile, &read))
        return 1;
    const ControlPointArrays all = read.View();

    // --robust: the points it excludes take no part in what follows.
    RobustOutcome robust;
    if (command.robust) {
        robust = FindBlunders(command.model, all);
        if (!robust.found) {
            std::fprintf(stderr, "ortk-fit: %s\n", robust.error.c_str());
            return 1;
        }
    }
    const PointSubset kept(all, robust.kept);
    const PointSubset excluded(all, robust.excluded);
    const ControlPointArrays points = command.robust ? kept.View() : all;
    const long *lines = command.robust ? kept.lines.data() : read.lines.data();
    const bool spline = command.model == kSplineModel;
    const long m = spline ? 2 * (points.n + 3) : CoefficientCount(command.model);

    // The fit: the library's model routine, the stable one, or the spline.
    std::vector<double> params(static_cast<std::size_t>(std::max(m, 21L)), 0.0);
    long paramCount = 0;
    double sdX = 0.0, sdY = 0.0;
    StableFit stable;
    SplineSolution tps;
    std::vector<double> &vx = spline ? tps.vx : stable.vx, &vy = spline ? tps.vy : stable.vy;
    long n = points.n;
    if (spline) {
        tps = FitThinPlateSpline(points, lines);
        if (!tps.solved) {
            std::fprintf(stderr, "ortk-fit: %s\n", tps.error.c_str());
            return 1;
        }
        params = SplineCoefficients(tps.fit);
        paramCount = m;
        for (long k = 0; k < n; ++k) {
            sdX += vx[k] * vx[k];
            sdY += vy[k] * vy[k];
        }
        sdX = sdX == 0.0 ? 0.0 : std::sqrt(sdX / static_cast<double>(n));
        sdY = sdY == 0.0 ? 0.0 : std::sqrt(sdY / static_cast<double>(n));
    } else if (command.stable) {
        FitStable(command.model, points, &stable);
        std::copy(stable.params, stable.params + m, params.begin());
        paramCount = m;
        sdX = stable.sdX;
        sdY = stable.sdY;
    } else {
        // The documented fit's residuals take the place of the stable ones.
        vx.resize(static_cast<std::size_t>(n));
        vy.resize(static_cast<std::size_t>(n));
        FitFunctionForType(command.model)(points.XP, points.YP, points.XI, points.YI, &n,
                                          params.data(), &paramCount, vx.data(), vy.data(), &sdX,
                                          &sdY);
    }

    if (command.reportFile != nullptr) {
        command.locale.enterUserLocale();
        const long written =
            WriteResiduals(points.n, vx.data(), vy.data(), command.reportFile, true, sdX, sdY);
        command.locale.leaveUserLocale();
        if (written == 0) {
            ShowMessage(IDS_CANNOT_STORE_RESIDUALS, IDS_CALCULATE_TRANSFORM_PARAMS,
                        kMessageErrorIcon);
            return 1;
        }
    }

    FitDiagnostics diagnostics =
        spline ? DiagnoseSpline(points, tps, lines)
               : DiagnoseFit(command.model, points, vx.data(), vy.data(), command.stable,
                             command.stable ? &stable : nullptr, lines);
    if (command.robust) {
        diagnostics.warnings.insert(diagnostics.warnings.begin(), robust.warnings.begin(),
                                    robust.warnings.end());
        std::fprintf(stderr, "ortk-fit: --robust excluded %s\n",
                     ExcludedText(excluded.lines, all.n).c_str());
    }
    for (const std::string &warning : diagnostics.warnings)
        std::fprintf(stderr, "ortk-fit: warning: %s\n", warning.c_str());

    const bool jsonToStdout =
        command.jsonFile != nullptr && std::strcmp(command.jsonFile, "-") == 0;
    if (!jsonToStdout) {
        std::printf("paramCount=%ld\n", paramCount);
        if (command.stable || spline) {
            const Normalisation &oldFrame = spline ? tps.fit.oldFrame : stable.oldFrame;
            const Normalisation &newFrame = spline ? tps.fit.newFrame : stable.newFrame;
            std::printf("centre_x=%.17g\ncentre_y=%.17g\nscale=%.17g\n", oldFrame.centre_x,
                        oldFrame.centre_y, oldFrame.scale);
            std::printf("new_centre_x=%.17g\nnew_centre_y=%.17g\nnew_scale=%.17g\n",
                        newFrame.centre_x, newFrame.centre_y, newFrame.scale);
        }
        for (long i = 0; i < paramCount; ++i)
            std::printf("p%ld=%.17g\n", i + 1, params[i]);
        std::printf("sdX=%.17g\nsdY=%.17g\n", sdX, sdY);
        if (command.robust)
            std::printf("excluded_lines=%s\n", LineList(excluded.lines).c_str());
        if (command.diagnose)
            PrintDiagnostics(stdout, diagnostics);
    }

    const bool framed = command.stable || spline;
    const Normalisation *oldFrame =
        framed ? (spline ? &tps.fit.oldFrame : &stable.oldFrame) : nullptr;
    const Normalisation *newFrame =
        framed ? (spline ? &tps.fit.newFrame : &stable.newFrame) : nullptr;
    const std::vector<ExcludedPoint> left = ExcludedResiduals(
        command.model, excluded, params.data(), oldFrame, newFrame, spline ? &tps.fit : nullptr);
    if (command.jsonFile != nullptr) {
        FitJsonInput input = {&points, &diagnostics, params.data(), oldFrame, newFrame, sdX, sdY};
        input.excluded = command.robust ? &left : nullptr;
        input.spline = spline ? &tps.fit : nullptr;
        bool written = false;
        if (jsonToStdout) {
            written = WriteFitJson(stdout, input);
        } else if (std::unique_ptr<std::FILE, FileCloser> file{
                       std::fopen(command.jsonFile, "wb")}) {
            written = WriteFitJson(file.get(), input);
        }
        if (!written) {
            std::fprintf(stderr, "ortk-fit: cannot write %s\n", command.jsonFile);
            return 1;
        }
    }
    if (command.plotFile != nullptr && !WriteResidualPlot(command.plotFile, points, diagnostics,
                                                          command.robust ? &left : nullptr)) {
        std::fprintf(stderr, "ortk-fit: cannot write %s\n", command.plotFile);
        return 1;
    }
    const FitMap map = spline
                           ? MakeSplineMap(tps.fit)
                           : MakeFitMap(command.model, params.data(), oldFrame, newFrame, &points);
    const std::set<long> excludedLines(excluded.lines.begin(), excluded.lines.end());
    const char *failed = command.worldFile != nullptr && !WriteWorldFile(command.worldFile, map)
                             ? command.worldFile
                         : command.pointsOutFile != nullptr &&
                                 !WritePointsFile(command.pointsOutFile, read, map, excludedLines)
                             ? command.pointsOutFile
                             : nullptr;
    if (failed != nullptr) {
        std::fprintf(stderr, "ortk-fit: cannot write %s\n", failed);
        return 1;
    }
    return 0;
}
