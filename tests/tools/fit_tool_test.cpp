// ortk-fit beyond the library: exact recovery at UTM size where the normal
// equations fail and agreement where they do not, leave-one-out residuals
// against real refits, planted blunders found by their line and none on clean
// data, condition, redundancy and warnings, the JSON and the residual map.
// tests/scripts/fit-outputs.sh runs the tool, parses the JSON and renders the map.
#include "tools/fit/fit_diagnostics.h"
#include "tools/fit/fit_json.h"
#include "tools/fit/residual_plot.h"
#include "transform/models.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <random>
#include <regex>

namespace {

struct Points {
    std::vector<double> XI, YI, XP, YP;
    ControlPointArrays View() const {
        return {long(XI.size()), XI.data(), YI.data(), XP.data(), YP.data()};
    }
    void Add(double x, double y, double X, double Y) {
        XI.push_back(x), YI.push_back(y), XP.push_back(X), YP.push_back(Y);
    }
    Points Without(long k, long count = 1) const {
        Points out;
        for (long i = 0; i < long(XI.size()); ++i)
            if (i < k || i >= k + count)
                out.Add(XI[i], YI[i], XP[i], YP[i]);
        return out;
    }
};

// n random points (fixed by seed) of a sheet around (x0, y0), mapped by a
// shift, a rotation and a distortion of the model's own kind, plus noise.
Points Mapped(long model, long n, double x0, double y0, double half, double sigma = 0,
              unsigned seed = 7) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> spread(-half, half);
    std::normal_distribution<double> noise(0.0, 1.0);
    Points set;
    for (long k = 0; k < n; ++k) {
        const double u = spread(random), v = spread(random), a = u / 1e3, b = v / 1e3;
        const double aa = a * a, bb = b * b, ab = a * b, w = 1 + 4e-4 * a - 3e-4 * b;
        double du = 0.9998 * u - 0.0021 * v, dv = 0.0021 * u + 0.9998 * v;
        if (model == 1)
            du /= w, dv /= w;
        if (model == 3 || model == 4 || model == 6)
            du -= 4e-4 * v, dv += 5e-4 * v;
        if (model == 4 || model == 6)
            du += 0.3 * aa - 0.2 * bb + 0.1 * ab, dv += -0.15 * aa + 0.25 * bb + 0.05 * ab;
        if (model == 6)
            du += 0.02 * aa * a + 0.03 * a * bb, dv += -0.01 * aa * a + 0.03 * bb * b;
        if (model == 5)
            du += 0.3 * (aa - bb) - 0.4 * ab, dv += 0.2 * (aa - bb) + 0.6 * ab;
        const double ex = sigma * noise(random), ey = sigma * noise(random);
        set.Add(x0 + u, y0 + v, x0 + 120 + du + ex, y0 - 80 + dv + ey);
    }
    return set;
}

Points Example(const char *name) {
    std::ifstream file(std::string(ORTK_SOURCE_DIR) + "/examples/" + name);
    Points set;
    for (double x, y, X, Y; file >> x >> y >> X >> Y;)
        set.Add(x, y, X, Y);
    return set;
}

double Rms(const std::vector<double> &vx, const std::vector<double> &vy) {
    double sum = 0.0;
    for (std::size_t k = 0; k < vx.size(); ++k)
        sum += vx[k] * vx[k] + vy[k] * vy[k];
    return std::sqrt(sum / double(vx.size()));
}

// Both fits of the points, and the diagnostics of the one chosen by stable.
struct Fitted {
    StableFit s;
    double params[21] = {}, sdX = 0, sdY = 0; // the documented fit
    std::vector<double> vx, vy;
    FitDiagnostics d;
    Fitted(long model, const Points &set, bool stable) {
        const ControlPointArrays p = set.View();
        FitStable(model, p, &s);
        vx.resize(p.n), vy.resize(p.n);
        long count = 0, n = p.n;
        FitFunctionForType(model)(p.XP, p.YP, p.XI, p.YI, &n, params, &count, vx.data(), vy.data(),
                                  &sdX, &sdY);
        d = DiagnoseFit(model, p, stable ? s.vx.data() : vx.data(),
                        stable ? s.vy.data() : vy.data(), stable, stable ? &s : nullptr);
    }
};

// Exact points of every model at UTM size over a 10 km sheet: the stable fit
// reproduces them and predicts a point outside the fit, the normal equations
// do not. On small coordinates both fits give the same residuals; the sheet's
// new coordinates are at UTM size, where the normal equations lose 6 to 11
// digits of 5e6 and their residuals carry errors of 1e-8 and more.
TEST(StableFit, RecoversExactUtmPointsAndAgreesWhereTheNormalEquationsHold) {
    std::printf("%-11s %22s %22s\n", "model", "documented Total RMS", "stable Total RMS");
    for (long model = 1; model <= 6; ++model) {
        const Points set = Mapped(model, 41, 510000.0, 5010000.0, 5000.0);
        const Fitted f(model, set.Without(40), true);
        std::printf("%-11s %22.6g %22.6g\n", ModelName(model), Rms(f.vx, f.vy),
                    Rms(f.s.vx, f.s.vy));
        EXPECT_TRUE(Rms(f.s.vx, f.s.vy) < 1e-6 && Rms(f.vx, f.vy) >= 1e-6) << model;
        EXPECT_TRUE(f.s.system.rank == f.s.system.columns && *ModelName(model)) << model;
        double v[2];
        ComputeResiduals(f.s.system, set.Without(0, 40).View(), f.s.params, v, v + 1);
        EXPECT_LT(std::hypot(v[0], v[1]), 1e-6) << model;
    }
    const Points sheet = Example("sheet-to-utm33.txt"), six = Example("affine-six.txt");
    const struct {
        long model;
        Points set;
        double tolerance;
    } rows[] = {
        {2, six, 1e-9},   {3, six, 1e-9},   {5, six, 1e-9},   {1, Mapped(1, 9, 0, 0, 90), 1e-9},
        {2, sheet, 2e-8}, {3, sheet, 2e-8}, {4, sheet, 2e-7}, {5, sheet, 5e-8}};
    for (const auto &row : rows) {
        const Fitted f(row.model, row.set, true);
        for (std::size_t k = 0; k < row.set.XI.size(); ++k)
            EXPECT_TRUE(std::fabs(f.s.vx[k] - f.vx[k]) <= row.tolerance &&
                        std::fabs(f.s.vy[k] - f.vy[k]) <= row.tolerance)
                << row.model << " " << k;
        EXPECT_TRUE(std::fabs(f.s.sdX - f.sdX) <= row.tolerance &&
                    std::fabs(f.s.sdY - f.sdY) <= row.tolerance);
        EXPECT_TRUE(row.model == 1 || (f.sdX != f.sdY && Rms(f.s.vx, f.s.vy) > 1e-3)) << row.model;
    }
}

// Normalisation: centre on the mean, root mean square of 1, scale 1 when the
// points do not spread; points that leave coefficients undetermined: the rank
// says so, those coefficients are 0 and the rest still fit.
TEST(StableFit, NormalisesAndLeavesUndeterminedCoefficientsAtZero) {
    const std::vector<double> x = {0, 2, 0, 2, 10, 14, 7, 7, 7}, y = {0, 0, 2, 2, 5, 5, -3, -3, -3};
    const double frames[4][5] = {
        {0, 4, 1, 1, 1}, {4, 2, 12, 5, std::sqrt(2.0)}, {6, 3, 7, -3, 1}, {0, 0, 0, 0, 1}};
    for (const auto &f : frames) {
        const Normalisation n = NormaliseCoordinates(long(f[1]), &x[long(f[0])], &y[long(f[0])]);
        EXPECT_TRUE(n.centre_x == f[2] && n.centre_y == f[3] && std::fabs(n.scale - f[4]) < 1e-15)
            << f[0];
    }
    Points line; // on a line the monomials reduce to powers of one variable
    for (int k = 0; k < 6; ++k)
        line.Add(k, 2.0 * k, 100.0 + 3.0 * k, 50.0 - k);
    const struct {
        long model, points, rank;
    } rows[] = {{3, 6, 2}, {4, 6, 3}, {6, 6, 4}, {5, 2, 4}, {2, 1, 2}, {3, 0, 0}};
    for (const auto &row : rows) {
        const Fitted f(row.model, line.Without(row.points, 6), true);
        long zeros = 0;
        for (long j = 0; j < CoefficientCount(row.model); ++j)
            zeros += std::isfinite(f.s.params[j]) ? f.s.params[j] == 0.0 : 100;
        EXPECT_TRUE(f.s.system.rank == row.rank &&
                    zeros >= (f.s.system.columns - row.rank) * f.s.system.rhs && zeros < 100)
            << row.model;
        EXPECT_TRUE(row.points == 0 || Rms(f.s.vx, f.s.vy) < 1e-9) << row.model;
    }
}

// The leave-one-out residual of every point against a real refit without it:
// in the full fit's frame for the stable fit, by the library's routine for
// the documented one. The leverages sum to half the coefficients (the trace
// of the hat matrix, per axis).
TEST(FitDiagnostics, LeaveOneOutResidualsMatchRefitsWithoutThePoint) {
    for (const bool stable : {true, false}) {
        for (long model = 1; model <= 6; ++model) {
            const Points set = Mapped(model, 14, 200.0, 300.0, 100.0, 0.05, 3);
            const Fitted full(model, set, stable);
            double leverage = 0.0, params[21], vx, vy;
            for (long k = 0; k < 14 && (stable || model != 6); ++k) {
                const PointDiagnostics &p = full.d.points[k];
                const Points rest = set.Without(k), one = set.Without(0, k).Without(1, 14);
                const Normalisation o = stable ? full.s.oldFrame : Normalisation();
                const LeastSquaresSystem s = ReduceSystem(
                    model, rest.View(), o, stable ? full.s.newFrame : Normalisation(), 1e-10);
                const Fitted refit(model, rest, false);
                std::copy(refit.params, refit.params + 21, params);
                if (stable)
                    SolveSystem(s, params);
                ComputeResiduals(s, one.View(), params, &vx, &vy);
                EXPECT_TRUE(std::fabs(p.looVx - vx) <= 1e-7 * (1.0 + std::fabs(vx)) &&
                            std::fabs(p.looVy - vy) <= 1e-7 * (1.0 + std::fabs(vy)))
                    << model << " line " << p.line << ": " << p.looVx << " " << vx;
                EXPECT_TRUE(std::fabs(p.looVx) + std::fabs(p.looVy) > 1e-4 && p.line == k + 1);
                leverage += p.leverage;
            }
            EXPECT_TRUE(std::fabs(leverage - CoefficientCount(model) / 2.0) < 1e-9 ||
                        (!stable && model == 6));
        }
    }
    const struct {
        HatBlock h;
        double ex, ey, x, y;
    } rows[] = {{{0.5, 0.25, 0.5}, 1, 0, 8.0 / 3, 4.0 / 3},
                {{0.75, 0.0, 0.75}, 1, -2, 4, -8},
                {{1.0, 0.0, 1.0}, 1e-9, 0, NAN, NAN},
                {{0.5, 0.5, 0.5}, 1, 1, NAN, NAN}};
    for (const auto &row : rows) {
        double x, y;
        EXPECT_EQ(LeaveOneOut(row.h, row.ex, row.ey, &x, &y), !std::isnan(row.x));
        EXPECT_TRUE((std::isnan(row.x) && std::isnan(x) && std::isnan(y)) ||
                    (std::fabs(x - row.x) < 1e-12 && std::fabs(y - row.y) < 1e-12));
    }
}

// A blunder planted in a known line is flagged, named in a warning, and
// nothing else is; clean data, few points and exact points flag nothing.
TEST(FitDiagnostics, FlagsAPlantedBlunderByItsLineAndNothingOnCleanData) {
    // model, stable, n, x0, half, sigma, line (0: clean), dx, dy
    const double rows[][9] = {{3, 1, 30, 5e5, 5000, 0.05, 17, 1.0, 0.0},
                              {2, 1, 12, 0, 100, 0.1, 3, -1.5, 1.0},
                              {6, 1, 60, 5e5, 5000, 0.02, 41, 0.0, 0.3},
                              {1, 1, 25, 5e5, 5000, 0.05, 1, 0.8, 0.8},
                              {5, 0, 20, 0, 300, 0.05, 20, 0.6, 0.0},
                              {4, 0, 30, 100, 80, 0.01, 9, 0.1, -0.1},
                              // Four points leave 2 degrees of freedom: chance alone must not
                              // flag; rounding of exact points is not mistaken for a blunder.
                              {2, 1, 4, 0, 10, 0.02, 4, 5.0, 0.0},
                              {4, 1, 30, 5e5, 5000, 0.0, 12, 0.01, 0.0},
                              {3, 1, 6, 0, 10, 0.02, 0, 0, 0}};
    for (const auto &row : rows) {
        for (const bool clean : {false, true}) {
            const long model = long(row[0]), line = clean ? 0 : long(row[6]);
            Points set = Mapped(model, long(row[2]), row[3], 10 * row[3], row[4], row[5], 11);
            if (line > 0)
                set.XP[line - 1] += row[7], set.YP[line - 1] += row[8];
            const FitDiagnostics d = Fitted(model, set, row[1] != 0).d;
            EXPECT_EQ(d.flaggedLines, line ? std::vector<long>{line} : std::vector<long>{})
                << model;
            const std::string last = d.warnings.empty() ? "" : d.warnings.back();
            EXPECT_EQ(last.find(" line " + std::to_string(line)) != std::string::npos, line > 0)
                << last;
            for (const PointDiagnostics &p : d.points)
                EXPECT_EQ(p.flagged, p.line == line);
        }
    }
}

// The condition of the documented normal equations, the redundancy, the
// mean error beside the Total RMS, and the warnings they call for.
TEST(FitDiagnostics, ConditionRedundancyMeanErrorAndWarnings) {
    Points sets[5]; // a unit square, a cross, six points on a line, the sheet, UTM-sized affine
    for (int k = 0; k < 6; ++k)
        sets[2].Add(k, 2.0 * k, 100.0 + 3.0 * k, 50.0 - k);
    for (int k = 0; k < 4; ++k) {
        sets[0].Add(k % 2, k / 2, 1 + k % 2, 1 + k / 2);
        const double x = k < 2 ? 1 - 2 * k : 0, y = k < 2 ? 0 : 5 - 2 * k;
        sets[1].Add(x, y, x, y);
    }
    sets[3] = Example("sheet-to-utm33.txt");
    sets[4] = Mapped(3, 20, 510000, 5010000, 5000);
    // Parts of each expected warning, in order, separated by '|'.
    const struct {
        long model, set, points;
        bool stable;
        long redundancy;
        double condition; // 0: not checked
        const char *warnings;
    } rows[] = {
        {3, 0, 4, false, 2, (7 + std::sqrt(33.0)) / (7 - std::sqrt(33.0)),
         "only 4 points for the 6"},
        {2, 1, 4, false, 4, 1, ""},
        {3, 1, 4, false, 2, 2, "only 4 points for the 6"},
        {3, 3, 16, true, 26, 0, ""},
        {6, 3, 16, false, 12, 0,
         "(17.2 digits): all 16 significant|only 16 points for the 20 "
         "coefficients of this model: the report shows zero"},
        {6, 3, 16, true, 12, 0, "only 16 points for the 20 coefficients of this model: the fit "},
        {2, 2, 2, true, 0, 0, "only 2 points for the 4|no redundancy (2N - m = 0)"},
        {2, 2, 1, true, -2, 0, "only 1 point for the 4|(2N - m = -2)|do not determine 2 of the 4"},
        {3, 4, 20, false, 34, 0, "fit with --stable"},
        {3, 4, 20, true, 34, 0, ""},
        {3, 2, 6, true, 6, 0, "do not determine 2 of the 6"}};
    for (const auto &row : rows) {
        const Fitted f(row.model, sets[row.set].Without(row.points, 99), row.stable);
        const std::vector<double> &vx = row.stable ? f.s.vx : f.vx,
                                  &vy = row.stable ? f.s.vy : f.vy;
        std::vector<std::string> parts;
        for (const char *p = row.warnings; *p; p += *p == '|')
            parts.emplace_back(p, p + std::strcspn(p, "|")), p += parts.back().size();
        ASSERT_EQ(f.d.warnings.size(), parts.size()) << row.model << " " << row.set;
        for (std::size_t i = 0; i < parts.size(); ++i)
            EXPECT_NE(f.d.warnings[i].find(parts[i]), std::string::npos) << f.d.warnings[i];
        EXPECT_EQ(f.d.redundancy, row.redundancy);
        EXPECT_DOUBLE_EQ(f.d.totalRms, Rms(vx, vy));
        const double mean = Rms(vx, vy) * std::sqrt(double(vx.size()) / row.redundancy);
        EXPECT_TRUE(row.redundancy > 0 ? std::fabs(f.d.meanError - mean) <= 1e-12 * mean
                                       : std::isnan(f.d.meanError));
        EXPECT_TRUE(!row.condition ||
                    (std::fabs(f.d.condition / row.condition - 1) < 1e-12 &&
                     std::fabs(f.d.digitsLost - std::log10(row.condition)) < 1e-12));
    }
}

// JSON: numbers that read back to the same double, null for the undefined,
// escaped texts, the normalisation only for the stable fit.
TEST(FitOutputs, JsonKeepsEveryDigitAndWritesNullForTheUndefined) {
    Points set = Mapped(3, 8, 0.0, 0.0, 10.0);
    set.XP[2] += 0.1 + 0.2;
    const Fitted f(3, set, true);
    FitDiagnostics d = f.d;
    d.meanError = std::nan("");
    d.warnings = {"a \"quoted\" \\ text\n", "two"};
    d.points[0].studentized = 0.1 + 0.2;
    const ControlPointArrays view = set.View();
    for (const bool stable : {true, false}) {
        std::FILE *file = std::tmpfile();
        EXPECT_TRUE(WriteFitJson(file, {&view, &d, f.s.params, stable ? &f.s.oldFrame : nullptr,
                                        stable ? &f.s.newFrame : nullptr, f.s.sdX, f.s.sdY}));
        std::string text(std::size_t(std::ftell(file)), '\0');
        std::rewind(file);
        EXPECT_EQ(std::fread(&text[0], 1, text.size(), file), text.size());
        std::fclose(file);
        const auto number = [&](const std::string &key) {
            const std::size_t at = text.find("\"" + key + "\":");
            return at == std::string::npos ? NAN
                                           : std::strtod(text.c_str() + at + key.size() + 3 +
                                                             (text[at + key.size() + 3] == '['),
                                                         nullptr);
        };
        EXPECT_EQ(text.find("\"normalisation\":{\"centre_x\":") != std::string::npos, stable);
        EXPECT_TRUE(!stable || (number("centre_x") == f.s.oldFrame.centre_x &&
                                number("new_scale") == f.s.newFrame.scale));
        EXPECT_TRUE(number("x_new") == set.XP[0] && number("coefficients") == f.s.params[0] &&
                    number("sd_y") == f.s.sdY && number("m") == 6 && number("n") == 8);
        for (const char *part :
             {"{\"model\":\"affine\",", "\"mean_error\":null",
              "\"studentized\":0.30000000000000004",
              "\"warnings\":[\"a \\\"quoted\\\" \\\\ text\\u000a\",\"two\"]", "]}\n"})
            EXPECT_NE(text.find(part), std::string::npos) << part;
    }
}

// The map: title, exaggeration, flagged lines labelled, every point inside
// the frame at one scale for both axes (y upwards), the rings on the flagged
// points and the arrows along their residuals.
TEST(FitOutputs, MapPlacesPointsArrowsAndLabelsTrueToScale) {
    const double rows[][2] = {{0.7, 0.5},  {1.0, 1.0},    {2.5, 2.0},
                              {9.99, 5.0}, {0.012, 0.01}, {1234, 1000}};
    for (const auto &row : rows)
        EXPECT_DOUBLE_EQ(NiceFloor(row[0]), row[1]) << row[0];
    Points set = Mapped(3, 30, 510000.0, 5010000.0, 400.0, 0.05, 21);
    set.XP[4] += 2.0, set.YP[10] -= 2.0;
    const FitDiagnostics d = Fitted(3, set, true).d;
    ASSERT_EQ(d.flaggedLines, (std::vector<long>{5, 11}));
    const std::string svg = ResidualPlotSvg(set.View(), d);
    char title[160];
    std::snprintf(title, sizeof title,
                  "affine fit (stable) - N = 30, Total RMS %.4g, mean error %.4g", d.totalRms,
                  d.meanError);
    for (const char *part : {static_cast<const char *>(title), ">line 5</text>",
                             "flagged: lines 5, 11 ", "(arrows \xc3\x97", "</svg>\n"})
        EXPECT_NE(svg.find(part), std::string::npos) << part;
    EXPECT_EQ(svg.find(">line 6</text>"), std::string::npos);
    std::vector<double> cx, cy, r, arrows;
    const std::regex circle("<circle cx=\"([-0-9.]+)\" cy=\"([-0-9.]+)\" r=\"([0-9.]+)\""),
        arrow("<path d=\"M([-0-9.]+) ([-0-9.]+)L([-0-9.]+) ([-0-9.]+)\"");
    for (std::sregex_iterator it(svg.begin(), svg.end(), circle), end; it != end; ++it)
        cx.push_back(std::stod((*it)[1])), cy.push_back(std::stod((*it)[2])),
            r.push_back(std::stod((*it)[3]));
    for (std::sregex_iterator it(svg.begin(), svg.end(), arrow), end; it != end; ++it)
        for (int i = 1; i <= 4; ++i)
            arrows.push_back(std::stod((*it)[i]));
    ASSERT_EQ(cx.size(), 32u); // 30 points, then the rings of the 2 flagged ones
    // The exaggeration follows the ordinary residuals: every point has its arrow.
    EXPECT_EQ(arrows.size(), 4 * 30u);
    for (std::size_t i = 1; i < 30; ++i) {
        EXPECT_TRUE(cx[i] > 96 && cx[i] < 930 && cy[i] > 84 && cy[i] < 700) << i;
        const double sx = (cx[i] - cx[0]) / (set.XI[i] - set.XI[0]),
                     sy = (cy[0] - cy[i]) / (set.YI[i] - set.YI[0]);
        EXPECT_NEAR(sx, sy, 0.05 * sx) << i; // 0.1 px rounding
    }
    EXPECT_TRUE(cx[30] == cx[4] && cy[30] == cy[4] && cx[31] == cx[10] && cy[31] == cy[10] &&
                r[30] > r[4]);
    // The arrow of line 5 points along +x, that of line 11 along -y (down the page).
    int checked = 0;
    for (std::size_t a = 0; a + 3 < arrows.size(); a += 4) {
        const double dx = arrows[a + 2] - arrows[a], dy = arrows[a + 3] - arrows[a + 1];
        if (std::hypot(arrows[a] - cx[4], arrows[a + 1] - cy[4]) < 0.1)
            checked += dx > 5.0 * std::fabs(dy);
        if (std::hypot(arrows[a] - cx[10], arrows[a + 1] - cy[10]) < 0.1)
            checked += dy > 5.0 * std::fabs(dx);
    }
    EXPECT_EQ(checked, 2);
}

} // namespace
