// ortk-fit apply and the georeferencer's files: every model, documented and
// stable, read back from its JSON, against the exact map that made its points,
// at its own control points and inverted (the spline: in its own tests); JSON
// that is no fit; .points texts of both headers. tests/scripts/fit-apply.sh
// checks the world file with GDAL, and the .points files ortk-fit writes.
#include "tests/tools/planted_points.h"
#include "tools/fit/fit_apply.h"
#include "tools/fit/fit_json.h"
#include "tools/fit/points_file.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

namespace {

// Fitted on 28 exact points, the map read back from its JSON gives the
// observed values less the residuals at the points (to the bit for the
// documented fit, whose projective residual is scaled by its denominator).
// tests/scripts/fit-apply.sh inverts every model's map.
TEST(FitApply, EveryModelMatchesItsPoints) {
    for (long model = 1; model <= 6; ++model)
        for (const bool stable : {false, true}) {
            SCOPED_TRACE(std::to_string(model) + (stable ? " stable" : ""));
            const PlantedPoints all = Plant(model, 28, 0, 0, 1, 1, 3, 0, 0, 500);
            const ControlPointArrays points = all.View();
            const Fitted f(model, all, stable);
            const double *p = stable ? f.s.params : f.params;
            // Written as ortk-fit --json writes it, and read back.
            std::FILE *file = std::tmpfile();
            ASSERT_TRUE(WriteFitJson(file, {&points, &f.d, p, stable ? &f.s.oldFrame : nullptr,
                                            stable ? &f.s.newFrame : nullptr, 0, 0}));
            std::string json(std::ftell(file), '\0'), error;
            std::rewind(file);
            json.resize(std::fread(&json[0], 1, json.size(), file));
            std::fclose(file);
            FitMap map;
            ASSERT_TRUE(ReadFitJson(json, &map, &error)) << error;
            for (int k = 0; k < 28; ++k) {
                const double x = all.XI[k], y = all.YI[k], vx = stable ? f.s.vx[k] : f.vx[k],
                             vy = stable ? f.s.vy[k] : f.vy[k],
                             w = model == 1 && !stable ? 1 + p[6] * x + p[7] * y : 1;
                double X, Y;
                MapForward(map, x, y, &X, &Y);
                EXPECT_TRUE(model == 1 || stable ? std::hypot(X - (all.XP[k] - vx / w),
                                                              Y - (all.YP[k] - vy / w)) < 1e-8
                                                 : X == all.XP[k] - vx && Y == all.YP[k] - vy)
                    << k << " " << X - (all.XP[k] - vx / w);
            }
        }
}

// Where Newton's iteration has no point to find, or finds it beyond a fold,
// the inverse fails and says why.
TEST(FitApply, InverseFailsOutsideTheOneToOneArea) {
    // X = x - x^3 / 3, Y = y folds at x = 1 and x = -1; the X of a projective
    // fit is infinite on the line x = 1; X = 0.01 x^2 - y, Y = x turns.
    const double cubic[20] = {0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 0, -1.0 / 3},
                 turn[12] = {0, 0, 0, 1, -1, 0, 0.01}, projective[8] = {0, 0, 1, 0, 0, 1, -1, 0},
                 line[6] = {0, 0, 1, 2, 2, 4};
    const struct {
        long model;
        const double *params;
        double X, Y;
        const char *reason; // null: a point comes back
    } rows[] = {{6, cubic, 0.5, 3, nullptr},       {4, turn, 1, 2, nullptr},
                {6, cubic, -2, 0, "folds over"},   {6, cubic, 0.7, 0, "does not converge"},
                {1, projective, -1, 0, "horizon"}, {3, line, 1, 2, "has no inverse"}};
    for (const auto &row : rows) {
        const FitMap map = MakeFitMap(row.model, row.params, nullptr, nullptr);
        double x = 0, y = 0, X = 0, Y = 0;
        std::string error;
        const bool back = MapInverse(map, row.X, row.Y, &x, &y, &error);
        MapForward(map, x, y, &X, &Y);
        EXPECT_TRUE(row.reason ? !back && error.find(row.reason) != std::string::npos
                               : back && std::hypot(X - row.X, Y - row.Y) < 1e-12)
            << row.model << " " << row.X << ": " << error;
    }
}

TEST(FitApply, RejectsJsonThatIsNoFit) {
    const char *const affine = R"("model":"affine","coefficients":[1,2,3,4,5,6])";
    const std::string spline = R"({"model":"tps","normalisation":{"centre_x":0,"centre_y":0,)"
                               R"("scale":1,"new_centre_x":0,"new_centre_y":0,"new_scale":1})",
                      nodes = R"(,"spline":{"affine_x":[0,1,0],"affine_y":[0,0,1],)"
                              R"("nodes":[[0,0,1,1],)";
    const struct {
        std::string text, reason;
    } rows[] = {{"{\"model\":\"affine\",", "not JSON"},
                {"[1, 2]", "names no model"},
                {R"({"model":"tpz"})", "unknown model \"tpz\""},
                {spline + "}", "without its spline block"},
                {spline + R"(,"spline":{"affine_x":[0,1],"affine_y":[0,0,1]}})", "affine_x is not"},
                {spline + nodes + "[1,2,3]]}}", "node 2 is not 4 numbers"},
                {spline + nodes + R"([1,2,3,4]]},"m":12})", "does not match"},
                {spline + nodes + R"([1,2,3,4]]},"m":10})", ""},
                {R"({"model":"poly2","coefficients":[1,2,3,4,5,6]})", "the 12 coefficients"},
                {R"({"model":"affine","coefficients":[1,2,3,null,5,6]})", "p4 is undefined"},
                {std::string("{") + affine + R"(,"type":2})", "does not match"},
                {std::string("{") + affine + R"(,"stable":1})", "not true or false"},
                {std::string("{") + affine + R"(,"stable":true})", "normalisation's centre_x"},
                {std::string("{") + affine + "}", ""}};
    for (const auto &row : rows) {
        FitMap map;
        std::string error;
        EXPECT_EQ(ReadFitJson(row.text, &map, &error), row.reason.empty()) << row.text;
        EXPECT_NE(error.find(row.reason), std::string::npos) << row.text << ": " << error;
    }
}

// Both headers in any column order, a #CRS line, blank lines and CR LF: the
// enabled rows with their own line numbers; faults named by their line.
// tests/scripts/fit-apply.sh reads disabled rows.
TEST(PointsFile, ReadsBothHeadersAndNamesFaultyLines) {
    const struct {
        const char *text;
        std::vector<long> lines; // of the enabled rows
        const char *crs, *error;
    } rows[] = {
        {"\xEF\xBB\xBF#CRS: x\r\nmapY,enable,pixelY,mapX,pixelX\r\n 20 ,1,2, "
         "10,1\r\n\n-22,2,-60,12.5,5\n",
         {3, 5},
         "#CRS: x",
         nullptr},
        {"#CRS: \nmapX,mapY,sourceX,enable\n", {}, "", "line 2: the header names no sourceY"},
        {"mapX,mapY,sourceX,sourceY,enable\n1,2,3\n", {}, "", "line 2: the sourceY"},
        {"mapX,mapY,sourceX,sourceY,enable\n1,2,3,4,\n", {}, "", "line 2: the enable"},
        {"#CRS: x\n", {}, "", "no header line"}};
    for (const auto &row : rows) {
        FitPoints points;
        std::string error;
        const bool read = ParsePointsText(row.text, &points, &error);
        EXPECT_TRUE(LooksLikePointsFile(row.text)) << row.text;
        EXPECT_TRUE(read ? !row.error : row.error && error.find(row.error) == 0)
            << row.text << ": " << error;
        if (!read)
            continue;
        EXPECT_EQ(points.lines, row.lines) << row.text;
        EXPECT_EQ(points.crs, row.crs);
        EXPECT_TRUE(points.XI == std::vector<double>({1, 5}) && points.YI[1] == -60 &&
                    points.XP[1] == 12.5 && points.YP == std::vector<double>({20, -22}))
            << row.text;
    }
}

} // namespace
