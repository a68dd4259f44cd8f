#include "tools/fit/model_compare.h"

#include "tools/fit/thin_plate_spline.h"
#include "tools/fit/points_file.h"
#include "transform/models.h"

#include <charconv>
#include <cmath>
#include <cstring>

namespace {

// The shortest text that reads back to the same double; null for NaN and
// infinities.
std::string JsonNumber(double value) {
    if (!std::isfinite(value))
        return "null";
    char digits[64];
    const std::to_chars_result r = std::to_chars(digits, digits + sizeof digits, value);
    return std::string(digits, r.ptr);
}

// A table cell: "-" where a value is undefined (the spline's mean error, which
// has no redundancy to divide by), so that the table reads the same on every
// platform instead of showing each runtime's own spelling of NaN.
std::string TableNumber(const char *format, double value) {
    if (!std::isfinite(value))
        return "-";
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

std::string LineList(const std::vector<long> &lines, const char *separator) {
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i)
        text += (i > 0 ? separator : "") + std::to_string(lines[i]);
    return text;
}

} // namespace

ModelRow RowFromDiagnostics(const FitDiagnostics &d) {
    ModelRow row;
    row.model = d.model;
    row.m = d.m;
    row.redundancy = d.redundancy;
    row.totalRms = d.totalRms;
    row.meanError = d.meanError;
    double sum = 0.0;
    for (const PointDiagnostics &p : d.points)
        sum += p.looVx * p.looVx + p.looVy * p.looVy;
    row.looRms = d.n > 0 ? std::sqrt(sum / static_cast<double>(d.n)) : std::nan("");
    row.condition = d.condition;
    row.digitsLost = d.digitsLost;
    row.flaggedLines = d.flaggedLines;
    return row;
}

long RecommendModel(const std::vector<ModelRow> &rows) {
    double lowest = HUGE_VAL;
    for (const ModelRow &row : rows)
        if (row.reason.empty() && row.looRms < lowest)
            lowest = row.looRms;
    const ModelRow *chosen = nullptr;
    for (const ModelRow &row : rows)
        if (row.reason.empty() && row.looRms <= kCompareTolerance * lowest &&
            (chosen == nullptr || row.m < chosen->m ||
             (row.m == chosen->m && row.looRms < chosen->looRms)))
            chosen = &row;
    return chosen != nullptr ? chosen->model : 0;
}

Comparison CompareModels(const ControlPointArrays &points, bool stable) {
    Comparison c;
    for (long model = 1; model <= 6; ++model) {
        ModelRow row;
        row.model = model;
        row.m = CoefficientCount(model);
        if (2 * points.n <= row.m) {
            row.reason = "too few points: " + std::to_string(points.n) + " for " +
                         std::to_string(row.m) + " coefficients, at least " +
                         std::to_string(row.m / 2 + 1) + " needed";
        } else if (!stable && points.n < row.m) {
            // The documented routine leaves every residual at 0 below m points.
            row.reason = "too few points for the documented fit: " + std::to_string(points.n) +
                         " for " + std::to_string(row.m) +
                         " coefficients, it computes no residuals below " + std::to_string(row.m) +
                         " (--stable does)";
        }
        if (!row.reason.empty()) {
            c.rows.push_back(row);
            continue;
        }
        std::vector<double> vx(static_cast<std::size_t>(points.n)), vy(vx.size());
        StableFit fit;
        if (stable) {
            FitStable(model, points, &fit);
        } else {
            double params[21] = {}, sdX = 0.0, sdY = 0.0;
            long count = 0, n = points.n;
            FitFunctionForType(model)(points.XP, points.YP, points.XI, points.YI, &n, params,
                                      &count, vx.data(), vy.data(), &sdX, &sdY);
        }
        c.rows.push_back(RowFromDiagnostics(DiagnoseFit(
            model, points, stable ? fit.vx.data() : vx.data(), stable ? fit.vy.data() : vy.data(),
            stable, stable ? &fit : nullptr, points.lines)));
    }
    ModelRow spline;
    spline.model = kSplineModel;
    spline.m = 2 * (points.n + 3);
    const SplineSolution solution =
        points.n >= 4 ? FitThinPlateSpline(points, points.lines) : SplineSolution();
    if (points.n < 4)
        spline.reason = "too few points: " + std::to_string(points.n) +
                        ", at least 4 needed (3 for the affine part, 1 to check it)";
    else if (!solution.solved)
        spline.reason = solution.error;
    c.rows.push_back(spline.reason.empty()
                         ? RowFromDiagnostics(DiagnoseSpline(points, solution, points.lines))
                         : spline);
    c.recommended = RecommendModel(c.rows);
    return c;
}

void PrintComparison(std::FILE *out, const Comparison &c) {
    std::fprintf(out, "%-11s %5s %10s %13s %13s %13s %10s %11s  %s\n", "model", "m", "redundancy",
                 "total_rms", "mean_error", "loo_rms", "condition", "digits_lost", "flagged_lines");
    for (const ModelRow &row : c.rows) {
        if (!row.reason.empty()) {
            std::fprintf(out, "%-11s %5ld  %s\n", ModelName(row.model), row.m, row.reason.c_str());
            continue;
        }
        const std::string flagged = LineList(row.flaggedLines, ",");
        std::fprintf(
            out, "%-11s %5ld %10ld %13s %13s %13s %10s %11s  %s\n", ModelName(row.model), row.m,
            row.redundancy, TableNumber("%.6g", row.totalRms).c_str(),
            TableNumber("%.6g", row.meanError).c_str(), TableNumber("%.6g", row.looRms).c_str(),
            TableNumber("%.3g", row.condition).c_str(), TableNumber("%.1f", row.digitsLost).c_str(),
            flagged.empty() ? "-" : flagged.c_str());
    }
    if (c.recommended == 0) {
        std::fprintf(out, "recommended: none (no model has a leave-one-out RMS)\n");
        return;
    }
    double lowest = HUGE_VAL;
    for (const ModelRow &row : c.rows)
        if (row.reason.empty() && row.looRms < lowest)
            lowest = row.looRms;
    std::fprintf(out,
                 "recommended: %s (the fewest coefficients with a leave-one-out RMS within 5 %% "
                 "of the lowest, %.6g)\n",
                 ModelName(c.recommended), lowest);
}

bool WriteComparisonJson(std::FILE *out, const Comparison &c) {
    std::string text = "{\"models\":[";
    for (std::size_t i = 0; i < c.rows.size(); ++i) {
        const ModelRow &row = c.rows[i];
        text += i > 0 ? ",\n{" : "\n{";
        text += "\"model\":\"" + std::string(ModelName(row.model)) +
                "\",\"m\":" + std::to_string(row.m);
        if (!row.reason.empty()) {
            text += ",\"reason\":\"" + row.reason + "\"}";
            continue;
        }
        text += ",\"redundancy\":" + std::to_string(row.redundancy);
        text += ",\"total_rms\":" + JsonNumber(row.totalRms);
        text += ",\"mean_error\":" + JsonNumber(row.meanError);
        text += ",\"loo_rms\":" + JsonNumber(row.looRms);
        text += ",\"condition\":" + JsonNumber(row.condition);
        text += ",\"digits_lost\":" + JsonNumber(row.digitsLost);
        text += ",\"flagged_lines\":[" + LineList(row.flaggedLines, ",") + "]}";
    }
    text += "],\"recommended\":";
    text += c.recommended != 0 ? "\"" + std::string(ModelName(c.recommended)) + "\"" : "null";
    text += "}\n";
    return std::fwrite(text.data(), 1, text.size(), out) == text.size() && std::fflush(out) == 0;
}

int RunCompareCommand(const char *pointsFile, bool stable, const char *jsonFile) {
    FitPoints read;
    if (!ReadFitPoints(pointsFile, &read))
        return 1;
    const Comparison c = CompareModels(read.View(), stable);
    if (jsonFile == nullptr) {
        PrintComparison(stdout, c);
        return 0;
    }
    bool written = false;
    if (std::strcmp(jsonFile, "-") == 0) {
        written = WriteComparisonJson(stdout, c);
    } else if (std::FILE *file = std::fopen(jsonFile, "wb")) {
        written = WriteComparisonJson(file, c);
        written = std::fclose(file) == 0 && written;
    }
    if (!written)
        std::fprintf(stderr, "ortk-fit: cannot write %s\n", jsonFile);
    return written ? 0 : 1;
}
