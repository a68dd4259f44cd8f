// --compare: on data made by each model the rule recommends that model (with
// the documented fit where its normal equations hold, and with the stable
// one at UTM size); the rule itself on rows of known leave-one-out RMS; rows
// that have too few points give the reason.
#include "tests/tools/planted_points.h"
#include "tools/fit/model_compare.h"
#include "tools/fit/thin_plate_spline.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(ModelCompare, RecommendsTheModelThatMadeTheData) {
    for (const bool stable : {false, true})
        for (long model = 1; model <= 7; ++model) {
            const double x0 = stable ? 5e5 : 0;
            const Comparison c = CompareModels(
                Plant(model, 120, 0.05, 0, 1, 1, 21, x0, 10 * x0, 2000).View(), stable);
            ASSERT_EQ(c.rows.size(), 7u);
            EXPECT_EQ(c.recommended, model) << model << (stable ? " stable" : "");
            for (const ModelRow &r : c.rows)
                EXPECT_TRUE(r.reason.empty() && r.looRms >= r.totalRms) << ModelName(r.model);
        }
}

TEST(ModelCompare, TheRule) {
    const double nan = std::nan("");
    const struct {
        double loo[7]; // projective ... tps; negative: a reason instead
        long recommended;
    } rows[] = {{{1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0}, 2},
                {{0.96, 1.2, 1.01, 0.97, 1.5, 0.96, 0.5}, 7},
                {{0.96, 1.2, 1.01, 0.97, 1.5, 0.96, 0.95}, 1},
                {{0.99, 1.2, 1.009, 0.97, 1.008, 0.98, 0.97}, 5},
                {{1.0, 1.05, 2.0, 2.0, 2.0, 2.0, 2.0}, 2},
                {{1.0, 1.0500001, 2.0, 2.0, 2.0, 2.0, 2.0}, 1},
                {{nan, -1, nan, 2.0, -1, 1.0, -1}, 6},
                {{nan, -1, -1, -1, -1, -1, -1}, 0}};
    const long m[7] = {8, 4, 6, 12, 6, 20, 30};
    for (const auto &row : rows) {
        std::vector<ModelRow> models(7);
        for (long i = 0; i < 7; ++i) {
            models[i].model = i + 1, models[i].m = m[i], models[i].looRms = row.loo[i];
            if (row.loo[i] < 0)
                models[i].reason = "too few";
        }
        EXPECT_EQ(RecommendModel(models), row.recommended) << row.loo[0] << " " << row.loo[1];
    }
}

// Without --stable the documented routine gives no residuals below m points.
TEST(ModelCompare, TooFewPointsGiveTheReason) {
    const struct {
        long n;
        bool stable;
        const char *reasons; // one letter a model: r reason, - numbers
    } rows[] = {{3, true, "r-rrrrr"},  {4, true, "r--r-r-"},  {7, true, "-----r-"},
                {5, false, "r-rrrr-"}, {7, false, "r--r-r-"}, {19, false, "-----r-"}};
    for (const auto &row : rows) {
        const Comparison c = CompareModels(Plant(4, row.n, 0.1, 0, 1, 1, 5).View(), row.stable);
        for (long i = 0; i < 7; ++i)
            EXPECT_EQ(c.rows[i].reason.empty(), row.reasons[i] == '-')
                << row.n << " " << ModelName(i + 1) << ": " << c.rows[i].reason;
    }
    const ModelRow spline = CompareModels(Plant(3, 3, 0.1).View(), false).rows[6];
    EXPECT_EQ(spline.reason,
              "too few points: 3, at least 4 needed (3 for the affine part, 1 to check it)");
    EXPECT_EQ(spline.m, 12);
}

} // namespace
