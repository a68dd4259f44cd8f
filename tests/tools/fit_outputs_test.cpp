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
#include <regex>
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
    d.warnings = {"a \"quoted\" \\ text", "two"};
    d.points[0].studentized = 0.1 + 0.2;
    const ControlPointArrays view = set.View();
    const std::string text =
        JsonOf({&view, &d, fit.params, &fit.oldFrame, &fit.newFrame, fit.sdX, fit.sdY});
    EXPECT_EQ(text.front(), '{');
    EXPECT_EQ(text.substr(text.size() - 3), "]}\n");
    EXPECT_NE(text.find("\"mean_error\":null"), std::string::npos);
    EXPECT_NE(text.find("\"warnings\":[\"a \\\"quoted\\\" \\\\ text\",\"two\"]"),
              std::string::npos);
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

// Geometry of the map: every point inside the frame at one scale for both
// axes, the ring and the label on the flagged point, an arrow along its
// residual.
TEST(FitOutputs, MapPlacesPointsAndArrowsTrueToScale) {
    PointSet set = ExactPoints(3, 30, 510000.0, 5010000.0, 400.0, 21);
    AddNoise(&set, 0.05, 22);
    set.XP[4] += 2.0;
    set.YP[10] -= 2.0;
    StableFit fit;
    FitStable(3, set.View(), &fit);
    const FitDiagnostics d = DiagnoseFit(3, set.View(), fit.vx.data(), fit.vy.data(), true, &fit);
    ASSERT_EQ(d.flaggedLines, (std::vector<long>{5, 11}));
    const std::string svg = ResidualPlotSvg(set.View(), d);
    EXPECT_NE(svg.find("flagged: lines 5, 11 "), std::string::npos);
    const std::regex circle("<circle cx=\"([-0-9.]+)\" cy=\"([-0-9.]+)\" r=\"([0-9.]+)\"");
    std::vector<double> cx, cy, r;
    for (std::sregex_iterator it(svg.begin(), svg.end(), circle), end; it != end; ++it) {
        cx.push_back(std::stod((*it)[1]));
        cy.push_back(std::stod((*it)[2]));
        r.push_back(std::stod((*it)[3]));
    }
    ASSERT_EQ(cx.size(), 32u); // 30 points, then the rings of the 2 flagged ones
    for (std::size_t i = 0; i < 30; ++i) {
        EXPECT_TRUE(cx[i] > 96 && cx[i] < 930 && cy[i] > 84 && cy[i] < 700) << i;
        if (i == 0)
            continue;
        const double sx = (cx[i] - cx[0]) / (set.XI[i] - set.XI[0]);
        const double sy = -(cy[i] - cy[0]) / (set.YI[i] - set.YI[0]);
        EXPECT_NEAR(sx, sy, 0.05 * sx) << i; // one scale, y upwards (0.1 px rounding)
    }
    EXPECT_NEAR(cx[30], cx[4], 1e-9);
    EXPECT_NEAR(cy[30], cy[4], 1e-9);
    EXPECT_NEAR(cx[31], cx[10], 1e-9);
    EXPECT_NEAR(cy[31], cy[10], 1e-9);
    EXPECT_GT(r[30], r[4]);
    const std::regex label("<text x=\"([-0-9.]+)\" y=\"([-0-9.]+)\"[^>]*>line 5</text>");
    std::smatch m;
    ASSERT_TRUE(std::regex_search(svg, m, label));
    EXPECT_GT(std::stod(m[1]), cx[30] + r[30]);
    EXPECT_LT(std::stod(m[2]), cy[30]);
    // The arrow of line 5 points along +x, that of line 11 along -y (down the page).
    const std::regex arrow("<path d=\"M([-0-9.]+) ([-0-9.]+)L([-0-9.]+) ([-0-9.]+)\"");
    int checked = 0;
    for (std::sregex_iterator it(svg.begin(), svg.end(), arrow), end; it != end; ++it) {
        const double x0 = std::stod((*it)[1]), y0 = std::stod((*it)[2]);
        const double x1 = std::stod((*it)[3]), y1 = std::stod((*it)[4]);
        if (std::fabs(x0 - cx[4]) < 0.06 && std::fabs(y0 - cy[4]) < 0.06) {
            EXPECT_GT(x1 - x0, 5.0 * std::fabs(y1 - y0));
            ++checked;
        }
        if (std::fabs(x0 - cx[10]) < 0.06 && std::fabs(y0 - cy[10]) < 0.06) {
            EXPECT_GT(y1 - y0, 5.0 * std::fabs(x1 - x0));
            ++checked;
        }
    }
    EXPECT_EQ(checked, 2);
}
