#include "tools/fit/fit_apply.h"

#include "transform/number_scan.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>

const char *const kApplyUsage =
    "usage: ortk-fit apply FIT.json [POINTS|-] [--inverse]\n"
    "\n"
    "Applies the fit that --json saved in FIT.json to the points of POINTS (or\n"
    "standard input): each line holds x y, separated as in control point files,\n"
    "anything after the second number ignored. Prints X Y for each line (%.17g).\n"
    "--inverse maps new coordinates back to old ones: exactly for the\n"
    "similarity, affine and projective models; for the others by Newton's\n"
    "iteration from the model's affine part, which stops when the point's image\n"
    "lies within 1e-10 of the spread of the fit's new coordinates (their root\n"
    "mean square distance from their mean) of the given point. A point where it\n"
    "does not converge, or where the fit folds over, lies outside the area where\n"
    "the fit is one-to-one: its line is named and the exit status is 1.\n";

namespace {

using Json = nlohmann::json;

struct FileCloser {
    void operator()(std::FILE *file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// a x + b y = e, c x + d y = f; false when the system is singular.
bool Solve2(double a, double b, double c, double d, double e, double f, double *x, double *y) {
    const double det = a * d - b * c;
    if (det == 0.0 || !std::isfinite(det))
        return false;
    *x = (e * d - b * f) / det;
    *y = (a * f - c * e) / det;
    return std::isfinite(*x) && std::isfinite(*y);
}

std::string Format(const char *format, double value) {
    char text[256];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

bool Fail(std::string *error, const std::string &reason) {
    *error = reason;
    return false;
}

// Newton's iteration in the fit's frame from the preimage under the affine
// part, each step halved until the image comes closer. The derivatives are
// central differences, which serve any model that can be evaluated.
bool NewtonInverse(const FitMap &m, double U, double V, double *u, double *v, std::string *error) {
    const double *a = m.affine;
    double pu = 0.0, pv = 0.0;
    if (!Solve2(a[1], a[2], a[4], a[5], U - a[0], V - a[3], &pu, &pv))
        return Fail(error, "the fit's affine part has no inverse: there is nowhere to start");
    const double orientation = a[1] * a[5] - a[2] * a[4];
    const double tolerance = kInverseTolerance * m.newSpread, h = 1e-5 * m.oldSpread;
    double fu = 0.0, fv = 0.0;
    m.evaluate(pu, pv, &fu, &fv);
    double ru = fu - U, rv = fv - V, r = Length(ru, rv);
    for (int step = 0; step <= kInverseIterations; ++step) {
        double J[4], plus[2], minus[2];
        m.evaluate(pu + h, pv, &plus[0], &plus[1]);
        m.evaluate(pu - h, pv, &minus[0], &minus[1]);
        J[0] = (plus[0] - minus[0]) / (2.0 * h);
        J[2] = (plus[1] - minus[1]) / (2.0 * h);
        m.evaluate(pu, pv + h, &plus[0], &plus[1]);
        m.evaluate(pu, pv - h, &minus[0], &minus[1]);
        J[1] = (plus[0] - minus[0]) / (2.0 * h);
        J[3] = (plus[1] - minus[1]) / (2.0 * h);
        double du = 0.0, dv = 0.0;
        const bool solved = Solve2(J[0], J[1], J[2], J[3], -ru, -rv, &du, &dv);
        if (r <= tolerance) {
            if ((J[0] * J[3] - J[1] * J[2]) * orientation <= 0.0)
                return Fail(error, "the fit folds over at this point: it lies outside the area "
                                   "where the fit is one-to-one");
            // One more step takes the estimate to the rounding of the model,
            // unless it is already there.
            m.evaluate(pu + du, pv + dv, &fu, &fv);
            const bool closer = solved && Length(fu - U, fv - V) < r;
            *u = closer ? pu + du : pu;
            *v = closer ? pv + dv : pv;
            return true;
        }
        if (step == kInverseIterations || !solved)
            break;
        bool closer = false;
        for (double share = 1.0; !closer && share > 1e-12; share *= 0.5) {
            const double qu = pu + share * du, qv = pv + share * dv;
            m.evaluate(qu, qv, &fu, &fv);
            const double q = Length(fu - U, fv - V);
            if (q < r) {
                pu = qu, pv = qv, ru = fu - U, rv = fv - V, r = q;
                closer = true;
            }
        }
        if (!closer)
            break;
    }
    return Fail(error, Format("the inverse does not converge (its best estimate maps %.3g away "
                              "from the point): the point lies outside the area where the fit "
                              "is one-to-one",
                              r * m.newFrame.scale));
}

bool IsNumber(const Json &value) {
    return value.is_number() && std::isfinite(value.get<double>());
}

bool ReadNumber(const Json &object, const char *key, double *value) {
    const auto found = object.find(key);
    if (found == object.end() || !IsNumber(*found))
        return false;
    *value = found->get<double>();
    return true;
}

// The coordinates of the fit's points, kept as they are parsed: the objects
// themselves are dropped, since a fit of a million points would take
// gigabytes as a tree.
// Only the points of the fit count, not those --robust excluded.
struct FitCoordinates {
    std::vector<double> values[4]; // x_old, y_old, x_new, y_new
    bool inPoints = false;
    bool Keep(int depth, Json::parse_event_t event, Json &parsed) {
        if (depth == 1 && event == Json::parse_event_t::key)
            inPoints = parsed == "points";
        if (depth != 2 || event != Json::parse_event_t::object_end || !parsed.contains("x_old"))
            return true;
        double xyXY[4];
        if (inPoints && ReadNumber(parsed, "x_old", &xyXY[0]) &&
            ReadNumber(parsed, "y_old", &xyXY[1]) && ReadNumber(parsed, "x_new", &xyXY[2]) &&
            ReadNumber(parsed, "y_new", &xyXY[3]))
            for (int i = 0; i < 4; ++i)
                values[i].push_back(xyXY[i]);
        return false;
    }
};

// The frames of a normalised fit: false with the reason when one is missing.
bool ReadFrames(const Json &fit, Normalisation frames[2], std::string *error) {
    const auto n = fit.find("normalisation");
    const char *keys[6] = {"centre_x",     "centre_y",     "scale",
                           "new_centre_x", "new_centre_y", "new_scale"};
    double *values[6] = {&frames[0].centre_x, &frames[0].centre_y, &frames[0].scale,
                         &frames[1].centre_x, &frames[1].centre_y, &frames[1].scale};
    for (int i = 0; i < 6; ++i)
        if (n == fit.end() || !n->is_object() || !ReadNumber(*n, keys[i], values[i]))
            return Fail(error,
                        std::string("a normalised fit without the normalisation's ") + keys[i]);
    if (!(frames[0].scale > 0.0 && frames[1].scale > 0.0))
        return Fail(error, "a normalisation scale is not positive");
    return true;
}

// The type and m a fit states, where it states them, must be the model's.
bool CheckTypeAndM(const Json &fit, long model, long m, const std::string &name,
                   std::string *error) {
    double value = 0.0;
    if ((fit.contains("type") && !(ReadNumber(fit, "type", &value) && value == model)) ||
        (fit.contains("m") && !(ReadNumber(fit, "m", &value) && value == m)))
        return Fail(error, "its type or m does not match the model " + name);
    return true;
}

// A fit of one of the six models: its coefficients, the frames of a stable
// fit, and the points, whose spread sets the scale of the inverse.
bool ReadCoefficientModel(const Json &fit, const FitCoordinates &c, long model, FitMap *map,
                          std::string *error) {
    const long m = CoefficientCount(model);
    if (!CheckTypeAndM(fit, model, m, map->model, error))
        return false;
    const auto coefficients = fit.find("coefficients");
    if (coefficients == fit.end() || !coefficients->is_array() ||
        coefficients->size() != static_cast<std::size_t>(m))
        return Fail(error, "it does not have the " + std::to_string(m) + " coefficients of the " +
                               map->model + " model");
    double params[20];
    for (long j = 0; j < m; ++j) {
        if (!IsNumber((*coefficients)[j]))
            return Fail(error,
                        "coefficient p" + std::to_string(j + 1) + " is undefined: the fit failed");
        params[j] = (*coefficients)[j].get<double>();
    }
    const auto stable = fit.find("stable");
    if (stable != fit.end() && !stable->is_boolean())
        return Fail(error, "its stable is not true or false");
    Normalisation frames[2];
    const bool normalised = stable != fit.end() && stable->get<bool>();
    if (normalised && !ReadFrames(fit, frames, error))
        return false;
    const ControlPointArrays spread = {static_cast<long>(c.values[0].size()), c.values[0].data(),
                                       c.values[1].data(), c.values[2].data(), c.values[3].data()};
    *map = MakeFitMap(model, params, normalised ? &frames[0] : nullptr,
                      normalised ? &frames[1] : nullptr, &spread);
    return true;
}

// A spline: its frames and the block that holds its affine part and nodes.
bool ReadSplineModel(const Json &fit, FitMap *map, std::string *error) {
    TpsFit f;
    Normalisation frames[2];
    if (!ReadFrames(fit, frames, error))
        return false;
    f.oldFrame = frames[0];
    f.newFrame = frames[1];
    const auto block = fit.find("spline");
    if (block == fit.end() || !block->is_object())
        return Fail(error, "a spline without its spline block");
    const char *parts[2] = {"affine_x", "affine_y"};
    double *affine[2] = {f.affineX, f.affineY};
    for (int i = 0; i < 2; ++i) {
        const auto found = block->find(parts[i]);
        if (found == block->end() || !found->is_array() || found->size() != 3 ||
            !IsNumber((*found)[0]) || !IsNumber((*found)[1]) || !IsNumber((*found)[2]))
            return Fail(error, std::string("the spline's ") + parts[i] + " is not 3 numbers");
        for (int j = 0; j < 3; ++j)
            affine[i][j] = (*found)[j].get<double>();
    }
    const auto nodes = block->find("nodes");
    if (nodes == block->end() || !nodes->is_array() || nodes->empty())
        return Fail(error, "a spline without nodes");
    std::vector<double> *columns[4] = {&f.nodeX, &f.nodeY, &f.weightX, &f.weightY};
    for (std::size_t j = 0; j < nodes->size(); ++j) {
        const Json &node = (*nodes)[j];
        if (!node.is_array() || node.size() != 4 || !IsNumber(node[0]) || !IsNumber(node[1]) ||
            !IsNumber(node[2]) || !IsNumber(node[3]))
            return Fail(error, "spline node " + std::to_string(j + 1) +
                                   " is not 4 numbers (x, y and the two weights)");
        for (int i = 0; i < 4; ++i)
            columns[i]->push_back(node[i].get<double>());
    }
    const long n = static_cast<long>(nodes->size());
    if (!CheckTypeAndM(fit, kSplineModel, 2 * (n + 3), map->model, error))
        return false;
    *map = MakeSplineMap(f);
    return true;
}

// The one place that knows the models a fit may name: each reads its own
// fields into the map.
bool ReadModelFields(const Json &fit, const FitCoordinates &points, const std::string &name,
                     FitMap *map, std::string *error) {
    map->model = name;
    for (long model = 1; model <= 6; ++model)
        if (name == ModelName(model))
            return ReadCoefficientModel(fit, points, model, map, error);
    if (name == ModelName(kSplineModel))
        return ReadSplineModel(fit, map, error);
    return Fail(error, "it names the unknown model \"" + name + "\"");
}

// One line of any length; false at the end of the file.
bool ReadLine(std::FILE *in, std::string *line) {
    line->clear();
    char chunk[4096];
    while (std::fgets(chunk, sizeof chunk, in) != nullptr) {
        *line += chunk;
        if (!line->empty() && line->back() == '\n')
            return true;
    }
    return !line->empty();
}

// x and y as a control points line holds its numbers.
bool ScanPoint(const char *text, double *x, double *y) {
    while (*text == ' ' || *text == '\t')
        ++text;
    const char *end = ScanNumber(text, '.', x);
    const char *next = end != nullptr ? FindNumberStart(end) : nullptr;
    return next != nullptr && ScanNumber(next, '.', y) != nullptr;
}

bool ReadWholeFile(const char *path, std::string *text) {
    File file(std::fopen(path, "rb"));
    if (!file)
        return false;
    char chunk[65536];
    std::size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0)
        text->append(chunk, got);
    return std::ferror(file.get()) == 0;
}

} // namespace

FitMap MakeFitMap(long model, const double *params, const Normalisation *oldFrame,
                  const Normalisation *newFrame, const ControlPointArrays *points) {
    FitMap map;
    map.model = ModelName(model);
    const std::vector<double> p(params, params + CoefficientCount(model));
    map.evaluate = [model, p](double u, double v, double *U, double *V) {
        EvaluateModel(model, p.data(), u, v, U, V);
    };
    // The terms of degree 0 and 1, and for the projective model the
    // numerator's; the conformal model's share p3 and p4 as the similarity's
    // do, with the sign of p4 turned.
    double *a = map.affine;
    a[0] = p[0], a[1] = p[2], a[3] = p[1];
    if (model == 2 || model == 5)
        a[2] = model == 2 ? -p[3] : p[3], a[4] = model == 2 ? p[3] : -p[3], a[5] = p[2];
    else
        a[2] = p[4], a[4] = p[3], a[5] = p[5];
    if (model == 1) {
        // X (1 + p7 u + p8 v) = p1 + p3 u + p5 v, Y likewise: linear in u, v.
        map.invert = [p](double U, double V, double *u, double *v) {
            return Solve2(p[2] - p[6] * U, p[4] - p[7] * U, p[3] - p[6] * V, p[5] - p[7] * V,
                          U - p[0], V - p[1], u, v);
        };
    } else if (model == 2 || model == 3) {
        const std::vector<double> b(map.affine, map.affine + 6);
        map.invert = [b](double U, double V, double *u, double *v) {
            return Solve2(b[1], b[2], b[4], b[5], U - b[0], V - b[3], u, v);
        };
    }
    if (oldFrame != nullptr && newFrame != nullptr) {
        map.oldFrame = *oldFrame;
        map.newFrame = *newFrame;
    } else if (points != nullptr) {
        map.oldSpread = NormaliseCoordinates(points->n, points->XI, points->YI).scale;
        map.newSpread = NormaliseCoordinates(points->n, points->XP, points->YP).scale;
    }
    return map;
}

FitMap MakeSplineMap(const TpsFit &fit) {
    FitMap map;
    map.model = ModelName(kSplineModel);
    // The spline maps raw coordinates itself: the map's frames stay the
    // identity, so that applying it at a node gives what the fit computed.
    map.evaluate = [fit](double x, double y, double *X, double *Y) {
        EvaluateThinPlateSpline(fit, x, y, X, Y);
    };
    // Its affine part out of the frames: X = cX + sX (a0 + a1 (x - cx) / s
    // + a2 (y - cy) / s), Y likewise.
    const Normalisation &o = fit.oldFrame, &w = fit.newFrame;
    const double *parts[2] = {fit.affineX, fit.affineY};
    const double centres[2] = {w.centre_x, w.centre_y};
    for (int i = 0; i < 2; ++i) {
        const double *a = parts[i];
        const double b1 = w.scale * a[1] / o.scale, b2 = w.scale * a[2] / o.scale;
        map.affine[3 * i] = centres[i] + w.scale * a[0] - b1 * o.centre_x - b2 * o.centre_y;
        map.affine[3 * i + 1] = b1;
        map.affine[3 * i + 2] = b2;
    }
    // The frames are the nodes' own normalisation: their scales are the
    // spreads of the points.
    map.oldSpread = o.scale;
    map.newSpread = w.scale;
    return map;
}

bool ReadFitJson(const std::string &text, FitMap *map, std::string *error) {
    try {
        FitCoordinates points;
        const Json fit = Json::parse(
            text,
            [&points](int depth, Json::parse_event_t event, Json &parsed) {
                return points.Keep(depth, event, parsed);
            },
            false);
        if (fit.is_discarded())
            return Fail(error, "it is not JSON");
        const auto model = fit.is_object() ? fit.find("model") : fit.end();
        if (!fit.is_object() || model == fit.end() || !model->is_string())
            return Fail(error, "it names no model");
        return ReadModelFields(fit, points, model->get<std::string>(), map, error);
    } catch (const Json::exception &e) {
        return Fail(error, e.what());
    }
}

void MapForward(const FitMap &map, double x, double y, double *X, double *Y) {
    const double inverse = 1.0 / map.oldFrame.scale;
    double U = 0.0, V = 0.0;
    map.evaluate((x - map.oldFrame.centre_x) * inverse, (y - map.oldFrame.centre_y) * inverse, &U,
                 &V);
    *X = map.newFrame.centre_x + map.newFrame.scale * U;
    *Y = map.newFrame.centre_y + map.newFrame.scale * V;
}

bool MapInverse(const FitMap &map, double X, double Y, double *x, double *y, std::string *error) {
    const double inverse = 1.0 / map.newFrame.scale;
    const double U = (X - map.newFrame.centre_x) * inverse,
                 V = (Y - map.newFrame.centre_y) * inverse;
    double u = 0.0, v = 0.0;
    if (map.invert) {
        if (!map.invert(U, V, &u, &v))
            return Fail(error, map.model == "projective"
                                   ? "the point has no preimage: it lies where the projective "
                                     "fit maps its horizon"
                                   : "the fit has no inverse: it maps the plane onto a line");
    } else if (!NewtonInverse(map, U, V, &u, &v, error)) {
        return false;
    }
    *x = map.oldFrame.centre_x + map.oldFrame.scale * u;
    *y = map.oldFrame.centre_y + map.oldFrame.scale * v;
    return true;
}

int RunApplyCommand(int argc, char **argv) {
    const char *fitFile = nullptr, *pointsFile = nullptr;
    bool inverse = false;
    for (int i = 0; i < argc; ++i) {
        const char *arg = argv[i];
        if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
            std::fputs(kApplyUsage, stdout);
            return 0;
        }
        if (std::strcmp(arg, "--inverse") == 0) {
            inverse = true;
        } else if ((arg[0] != '-' || std::strcmp(arg, "-") == 0) && pointsFile == nullptr) {
            (fitFile == nullptr ? fitFile : pointsFile) = arg;
        } else {
            std::fputs(kApplyUsage, stderr);
            return 2;
        }
    }
    if (fitFile == nullptr) {
        std::fputs(kApplyUsage, stderr);
        return 2;
    }
    std::string text, error;
    FitMap map;
    if (!ReadWholeFile(fitFile, &text)) {
        std::fprintf(stderr, "ortk-fit: cannot read %s\n", fitFile);
        return 1;
    }
    if (!ReadFitJson(text, &map, &error)) {
        std::fprintf(stderr, "ortk-fit: %s is not a fit of ortk-fit --json: %s\n", fitFile,
                     error.c_str());
        return 1;
    }
    const bool fromFile = pointsFile != nullptr && std::strcmp(pointsFile, "-") != 0;
    File opened(fromFile ? std::fopen(pointsFile, "rb") : nullptr);
    if (fromFile && !opened) {
        std::fprintf(stderr, "ortk-fit: cannot read %s\n", pointsFile);
        return 1;
    }
    std::FILE *in = fromFile ? opened.get() : stdin;
    const char *name = fromFile ? pointsFile : "standard input";
    std::string line;
    for (long number = 1; ReadLine(in, &line); ++number) {
        double x = 0.0, y = 0.0, X = 0.0, Y = 0.0;
        if (!ScanPoint(line.c_str(), &x, &y)) {
            std::fprintf(stderr, "ortk-fit: %s line %ld: not a point (two numbers, x y)\n", name,
                         number);
            return 1;
        }
        if (!inverse)
            MapForward(map, x, y, &X, &Y);
        else if (!MapInverse(map, x, y, &X, &Y, &error)) {
            std::fprintf(stderr, "ortk-fit: %s line %ld: %s\n", name, number, error.c_str());
            return 1;
        }
        if (!std::isfinite(X) || !std::isfinite(Y)) {
            std::fprintf(stderr,
                         "ortk-fit: %s line %ld: the fit maps the point to no finite "
                         "position\n",
                         name, number);
            return 1;
        }
        std::printf("%.17g %.17g\n", X, Y);
    }
    if (std::ferror(in) != 0) {
        std::fprintf(stderr, "ortk-fit: cannot read %s\n", name);
        return 1;
    }
    if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
        std::fprintf(stderr, "ortk-fit: cannot write standard output\n");
        return 1;
    }
    return 0;
}
