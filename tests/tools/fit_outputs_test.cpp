// The JSON and SVG writers on a small fit: numbers that read back to the same
// double, null for what is undefined, and the map's title, exaggeration and
// labels. tests/scripts/fit-outputs.sh parses the JSON and renders the map.
#include "tests/tools/fit_test_points.h"
#include "tools/fit/fit_json.h"
#include "tools/fit/residual_plot.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::string JsonOf(const FitJsonInput &input) {
    std::FILE *file = std::tmpfile();
    EXPECT_TRUE(WriteFitJson(file, input));
    std::string text(static_cast<std::size_t>(std::ftell(file)), '\0');
    std::rewind(file);
    EXPECT_EQ(std::fread(&text[0], 1, text.size(), file), text.size());
    std::fclose(file);
    return text;
}

// The number after "key": in text (the first one).
double NumberAfter(const std::string &text, const std::string &key) {
    const std::size_t at = text.find("\"" + key + "\":");
    EXPECT_NE(at, std::string::npos) << key;
    return std::strtod(text.c_str() + at + key.size() + 3, nullptr);
}

} // namespace

TEST(FitOutputs, NiceFloorRoundsDownToOneTwoOrFive) {
    const double rows[][2] = {{0.7, 0.5},    {1.0, 1.0},       {2.5, 2.0},    {9.99, 5.0},
                              {0.012, 0.01}, {1234.0, 1000.0}, {4.9e-7, 2e-7}};
    for (const auto &row : rows)
        EXPECT_DOUBLE_EQ(NiceFloor(row[0]), row[1]) << row[0];
}

TEST(FitOutputs, JsonKeepsEveryDigitAndWritesNullForTheUndefined) {
    PointSet set = ExactPoints(3, 8, 0.0, 0.0, 10.0, 5);
    set.XP[2] += 0.1 + 0.2;
    StableFit fit;
    FitStable(3, set.View(), &fit);
    FitDiagnostics d = DiagnoseFit(3, set.View(), fit.vx.data(), fit.vy.data(), true, &fit);
    d.meanError = std::nan("");
    d.points[0].studentized = 0.1 + 0.2;
    const ControlPointArrays view = set.View();
    const std::string text =
        JsonOf({&view, &d, fit.params, &fit.oldFrame, &fit.newFrame, fit.sdX, fit.sdY});
    EXPECT_EQ(text.front(), '{');
    EXPECT_EQ(text.substr(text.size() - 3), "]}\n");
    EXPECT_NE(text.find("\"mean_error\":null"), std::string::npos);
    EXPECT_NE(text.find("\"studentized\":0.30000000000000004"), std::string::npos);
    EXPECT_EQ(NumberAfter(text, "centre_x"), fit.oldFrame.centre_x);
    EXPECT_EQ(NumberAfter(text, "new_scale"), fit.newFrame.scale);
    EXPECT_EQ(NumberAfter(text, "x_new"), set.XP[0]);
    const std::size_t coefficients = text.find("\"coefficients\":[");
    ASSERT_NE(coefficients, std::string::npos);
    EXPECT_EQ(std::strtod(text.c_str() + coefficients + 16, nullptr), fit.params[0]);
    const std::string documented = JsonOf({&view, &d, fit.params, nullptr, nullptr, 0.0, 0.0});
    EXPECT_EQ(documented.find("normalisation"), std::string::npos);
}

TEST(FitOutputs, MapNamesTheFitAndLabelsFlaggedLines) {
    PointSet set = ExactPoints(3, 12, 500.0, 500.0, 100.0, 9);
    AddNoise(&set, 0.05, 10);
    set.YP[8] += 1.5;
    StableFit fit;
    FitStable(3, set.View(), &fit);
    const FitDiagnostics d = DiagnoseFit(3, set.View(), fit.vx.data(), fit.vy.data(), true, &fit);
    ASSERT_EQ(d.flaggedLines, std::vector<long>{9});
    const std::string svg = ResidualPlotSvg(set.View(), d);
    char title[160];
    std::snprintf(title, sizeof title,
                  "affine fit (stable) - N = 12, Total RMS %.4g, mean error %.4g", d.totalRms,
                  d.meanError);
    EXPECT_NE(svg.find(title), std::string::npos) << title;
    EXPECT_NE(svg.find(">line 9</text>"), std::string::npos);
    EXPECT_EQ(svg.find(">line 8</text>"), std::string::npos);
    EXPECT_NE(svg.find("flagged: line 9 "), std::string::npos);
    EXPECT_NE(svg.find("(arrows \xc3\x97"), std::string::npos);
    EXPECT_EQ(svg.substr(svg.size() - 7), "</svg>\n");
}
