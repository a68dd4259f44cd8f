#include "tools/fit/fit_command.h"

#include "frame/messages.h"
#include "res/resource.h"
#include "tools/fit/fit_diagnostics.h"
#include "tools/fit/fit_json.h"
#include "tools/fit/points_file.h"
#include "tools/fit/residual_plot.h"
#include "tools/fit/world_file.h"
#include "transform/models.h"
#include "transform/residuals.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
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

} // namespace

int RunFitCommand(const FitCommand &command) {
    FitPoints read;
    if (!ReadFitPoints(command.pointsFile, &read))
        return 1;
    const ControlPointArrays points = read.View();
    long n = points.n;
    const long m = CoefficientCount(command.model);

    // The fit: the library's model routine, or the stable one.
    double params[21] = {};
    long paramCount = 0;
    double sdX = 0.0, sdY = 0.0;
    StableFit stable;
    std::vector<double> &vx = stable.vx, &vy = stable.vy;
    if (command.stable) {
        FitStable(command.model, points, &stable);
        std::copy(stable.params, stable.params + m, params);
        paramCount = m;
        sdX = stable.sdX;
        sdY = stable.sdY;
    } else {
        // The documented fit's residuals take the place of the stable ones.
        vx.resize(static_cast<std::size_t>(n));
        vy.resize(static_cast<std::size_t>(n));
        FitFunctionForType(command.model)(points.XP, points.YP, points.XI, points.YI, &n, params,
                                          &paramCount, vx.data(), vy.data(), &sdX, &sdY);
    }

    if (command.reportFile != nullptr) {
        command.locale.enterUserLocale();
        const long written =
            WriteResiduals(n, vx.data(), vy.data(), command.reportFile, true, sdX, sdY);
        command.locale.leaveUserLocale();
        if (written == 0) {
            ShowMessage(IDS_CANNOT_STORE_RESIDUALS, IDS_CALCULATE_TRANSFORM_PARAMS,
                        kMessageErrorIcon);
            return 1;
        }
    }

    const FitDiagnostics diagnostics =
        DiagnoseFit(command.model, points, vx.data(), vy.data(), command.stable,
                    command.stable ? &stable : nullptr);
    for (const std::string &warning : diagnostics.warnings)
        std::fprintf(stderr, "ortk-fit: warning: %s\n", warning.c_str());

    const bool jsonToStdout =
        command.jsonFile != nullptr && std::strcmp(command.jsonFile, "-") == 0;
    if (!jsonToStdout) {
        std::printf("paramCount=%ld\n", paramCount);
        if (command.stable) {
            std::printf("centre_x=%.17g\ncentre_y=%.17g\nscale=%.17g\n", stable.oldFrame.centre_x,
                        stable.oldFrame.centre_y, stable.oldFrame.scale);
            std::printf("new_centre_x=%.17g\nnew_centre_y=%.17g\nnew_scale=%.17g\n",
                        stable.newFrame.centre_x, stable.newFrame.centre_y, stable.newFrame.scale);
        }
        for (long i = 0; i < paramCount; ++i)
            std::printf("p%ld=%.17g\n", i + 1, params[i]);
        std::printf("sdX=%.17g\nsdY=%.17g\n", sdX, sdY);
        if (command.diagnose)
            PrintDiagnostics(stdout, diagnostics);
    }

    if (command.jsonFile != nullptr) {
        FitJsonInput input = {&points,
                              &diagnostics,
                              params,
                              command.stable ? &stable.oldFrame : nullptr,
                              command.stable ? &stable.newFrame : nullptr,
                              sdX,
                              sdY};
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
    if (command.plotFile != nullptr && !WriteResidualPlot(command.plotFile, points, diagnostics)) {
        std::fprintf(stderr, "ortk-fit: cannot write %s\n", command.plotFile);
        return 1;
    }
    const FitMap map =
        MakeFitMap(command.model, params, command.stable ? &stable.oldFrame : nullptr,
                   command.stable ? &stable.newFrame : nullptr, &points);
    const char *failed =
        command.worldFile != nullptr && !WriteWorldFile(command.worldFile, map) ? command.worldFile
        : command.pointsOutFile != nullptr && !WritePointsFile(command.pointsOutFile, read, map, {})
            ? command.pointsOutFile
            : nullptr;
    if (failed != nullptr) {
        std::fprintf(stderr, "ortk-fit: cannot write %s\n", failed);
        return 1;
    }
    return 0;
}
