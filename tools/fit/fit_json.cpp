#include "tools/fit/fit_json.h"

#include <charconv>
#include <cmath>
#include <string>

namespace {

// Collects the text in a buffer and hands it to the stream in large pieces:
// a million points make some 250 MB of JSON.
class JsonOut {
  public:
    explicit JsonOut(std::FILE *out) : out_(out) { text_.reserve(kFlushAt + 4096); }
    ~JsonOut() { Flush(); }
    JsonOut(const JsonOut &) = delete;
    JsonOut &operator=(const JsonOut &) = delete;

    JsonOut &Raw(const char *text) {
        text_ += text;
        if (text_.size() >= kFlushAt)
            Flush();
        return *this;
    }
    JsonOut &Number(double value) {
        if (!std::isfinite(value))
            return Raw("null");
        char digits[64];
        const std::to_chars_result r = std::to_chars(digits, digits + sizeof digits - 1, value);
        *r.ptr = '\0';
        return Raw(digits);
    }
    JsonOut &Integer(long value) { return Raw(std::to_string(value).c_str()); }
    JsonOut &Bool(bool value) { return Raw(value ? "true" : "false"); }
    JsonOut &String(const std::string &value) {
        text_ += '"';
        for (const char c : value) {
            if (c == '"' || c == '\\') {
                text_ += '\\';
                text_ += c;
            } else if (static_cast<unsigned char>(c) < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                text_ += escaped;
            } else {
                text_ += c;
            }
        }
        text_ += '"';
        return *this;
    }
    // "name": at the start of a member, with a comma before all but the first.
    JsonOut &Key(const char *name, bool first = false) {
        if (!first)
            text_ += ',';
        text_ += '"';
        text_ += name;
        return Raw("\":");
    }
    bool Flush() {
        if (!text_.empty() && std::fwrite(text_.data(), 1, text_.size(), out_) != text_.size())
            failed_ = true;
        text_.clear();
        return !failed_;
    }

  private:
    static constexpr std::size_t kFlushAt = 1 << 20;
    std::FILE *out_;
    std::string text_;
    bool failed_ = false;
};

} // namespace

bool WriteFitJson(std::FILE *out, const FitJsonInput &input) {
    const FitDiagnostics &d = *input.diagnostics;
    const ControlPointArrays &points = *input.points;
    JsonOut json(out);
    json.Raw("{").Key("model", true).String(ModelName(d.model));
    json.Key("type").Integer(d.model).Key("m").Integer(d.m).Key("stable").Bool(d.stable);
    json.Key("coefficients").Raw("[");
    for (long j = 0; j < d.m; ++j)
        (j > 0 ? json.Raw(",") : json).Number(input.params[j]);
    json.Raw("]");
    if (input.oldFrame != nullptr && input.newFrame != nullptr) {
        json.Key("normalisation").Raw("{").Key("centre_x", true).Number(input.oldFrame->centre_x);
        json.Key("centre_y").Number(input.oldFrame->centre_y);
        json.Key("scale").Number(input.oldFrame->scale);
        json.Key("new_centre_x").Number(input.newFrame->centre_x);
        json.Key("new_centre_y").Number(input.newFrame->centre_y);
        json.Key("new_scale").Number(input.newFrame->scale).Raw("}");
    }
    json.Key("n").Integer(d.n).Key("total_rms").Number(d.totalRms);
    json.Key("mean_error").Number(d.meanError).Key("sd_x").Number(input.sdX);
    json.Key("sd_y").Number(input.sdY).Key("redundancy").Integer(d.redundancy);
    json.Key("rank").Integer(d.rank).Key("condition").Number(d.condition);
    json.Key("digits_lost").Number(d.digitsLost);
    json.Key("warnings").Raw("[");
    for (std::size_t i = 0; i < d.warnings.size(); ++i)
        (i > 0 ? json.Raw(",") : json).String(d.warnings[i]);
    json.Raw("]").Key("flagged_lines").Raw("[");
    for (std::size_t i = 0; i < d.flaggedLines.size(); ++i)
        (i > 0 ? json.Raw(",") : json).Integer(d.flaggedLines[i]);
    json.Raw("]");
    if (input.excluded != nullptr) {
        json.Key("excluded_lines").Raw("[");
        for (std::size_t i = 0; i < input.excluded->size(); ++i)
            (i > 0 ? json.Raw(",") : json).Integer((*input.excluded)[i].line);
        json.Raw("]").Key("excluded").Raw("[");
        for (std::size_t i = 0; i < input.excluded->size(); ++i) {
            const ExcludedPoint &e = (*input.excluded)[i];
            json.Raw(i > 0 ? ",\n{" : "\n{").Key("line", true).Integer(e.line);
            json.Key("x_old").Number(e.x_old).Key("y_old").Number(e.y_old);
            json.Key("x_new").Number(e.x_new).Key("y_new").Number(e.y_new);
            json.Key("vx").Number(e.vx).Key("vy").Number(e.vy).Raw("}");
        }
        json.Raw("]");
    }
    if (input.spline != nullptr) {
        // Everything EvaluateThinPlateSpline needs, by name.
        const TpsFit &f = *input.spline;
        json.Key("spline").Raw("{").Key("kernel", true).String("r^2 ln r^2");
        json.Key("affine_x").Raw("[").Number(f.affineX[0]).Raw(",").Number(f.affineX[1]);
        json.Raw(",").Number(f.affineX[2]).Raw("]");
        json.Key("affine_y").Raw("[").Number(f.affineY[0]).Raw(",").Number(f.affineY[1]);
        json.Raw(",").Number(f.affineY[2]).Raw("]").Key("nodes").Raw("[");
        for (std::size_t j = 0; j < f.nodeX.size(); ++j) {
            (j > 0 ? json.Raw(",\n[") : json.Raw("\n[")).Number(f.nodeX[j]).Raw(",");
            json.Number(f.nodeY[j]).Raw(",").Number(f.weightX[j]).Raw(",");
            json.Number(f.weightY[j]).Raw("]");
        }
        json.Raw("]}");
    }
    json.Key("points").Raw("[");
    for (std::size_t i = 0; i < d.points.size(); ++i) {
        const PointDiagnostics &p = d.points[i];
        json.Raw(i > 0 ? ",\n{" : "\n{").Key("line", true).Integer(p.line);
        json.Key("x_old").Number(points.XI[i]).Key("y_old").Number(points.YI[i]);
        json.Key("x_new").Number(points.XP[i]).Key("y_new").Number(points.YP[i]);
        json.Key("vx").Number(p.vx).Key("vy").Number(p.vy);
        json.Key("leverage").Number(p.leverage);
        json.Key("loo_vx").Number(p.looVx).Key("loo_vy").Number(p.looVy);
        json.Key("studentized").Number(p.studentized).Key("flagged").Bool(p.flagged).Raw("}");
    }
    json.Raw("]}\n");
    return json.Flush() && std::fflush(out) == 0;
}
