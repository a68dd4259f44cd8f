#include "tools/fit/residual_plot.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <vector>

namespace {

constexpr double kWidth = 960, kHeight = 820;
constexpr double kLeft = 96, kRight = 930, kTop = 84, kBottom = 700;

void Append(std::string *svg, const char *format, ...) {
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    *svg += text;
}

// Blue for the shortest residuals through yellow to red for the longest.
void RampColour(double t, char (&out)[8]) {
    static const double stops[3][3] = {{44, 123, 182}, {235, 190, 30}, {215, 25, 28}};
    t = std::min(1.0, std::max(0.0, t));
    const int i = t < 0.5 ? 0 : 1;
    const double f = t < 0.5 ? t * 2.0 : (t - 0.5) * 2.0;
    int rgb[3];
    for (int c = 0; c < 3; ++c)
        rgb[c] = static_cast<int>(std::lround(stops[i][c] + f * (stops[i + 1][c] - stops[i][c])));
    std::snprintf(out, sizeof out, "#%02x%02x%02x", rgb[0], rgb[1], rgb[2]);
}

// Tick positions of an axis from lo to hi, about count of them.
std::vector<double> Ticks(double lo, double hi, int count, int *decimals) {
    const double step = NiceFloor((hi - lo) / count);
    *decimals = std::max(0, static_cast<int>(-std::floor(std::log10(step) + 1e-9)));
    std::vector<double> ticks;
    for (double t = std::ceil(lo / step) * step; t <= hi + step * 1e-9; t += step)
        ticks.push_back(std::fabs(t) < step * 1e-9 ? 0.0 : t);
    return ticks;
}

// Shows a length with four significant digits, as the title does.
std::string Short(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.4g", value);
    return text;
}

} // namespace

double NiceFloor(double value) {
    const double power = std::pow(10.0, std::floor(std::log10(value)));
    const double mantissa = value / power;
    return (mantissa >= 5.0 ? 5.0 : mantissa >= 2.0 ? 2.0 : 1.0) * power;
}

std::string ResidualPlotSvg(const ControlPointArrays &points, const FitDiagnostics &d,
                            const std::vector<ExcludedPoint> *excluded) {
    const long n = points.n;
    const std::vector<ExcludedPoint> none;
    const std::vector<ExcludedPoint> &left = excluded != nullptr ? *excluded : none;
    // The spline's own residuals are zero: its map shows the leave-one-out ones.
    const bool spline = d.model == 7;
    auto arrowX = [spline](const PointDiagnostics &p) { return spline ? p.looVx : p.vx; };
    auto arrowY = [spline](const PointDiagnostics &p) { return spline ? p.looVy : p.vy; };
    std::string svg;
    svg.reserve(static_cast<std::size_t>(std::min(n, kMaxPlottedPoints)) * 260 + 8000);
    Append(&svg,
           "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%.0f\" height=\"%.0f\" "
           "viewBox=\"0 0 %.0f %.0f\" font-family=\"DejaVu Sans, Arial, sans-serif\">\n"
           "<rect width=\"100%%\" height=\"100%%\" fill=\"white\"/>\n",
           kWidth, kHeight, kWidth, kHeight);

    // Title: what was fitted and how well.
    const std::string meanError = std::isfinite(d.meanError) ? Short(d.meanError) : "undefined";
    Append(&svg,
           "<text x=\"%.0f\" y=\"30\" font-size=\"19\" font-weight=\"bold\">%s of the %s "
           "fit (%s) - N = %ld, Total RMS %s, mean error %s</text>\n",
           kLeft - 60, spline ? "Leave-one-out residuals" : "Residuals", ModelName(d.model),
           spline     ? "spline"
           : d.stable ? "stable"
                      : "documented",
           n, Short(d.totalRms).c_str(), meanError.c_str());

    // Old coordinates to the page, one scale for both axes so that the
    // directions of the arrows are true.
    double xmin = 0, xmax = 1, ymin = 0, ymax = 1;
    if (n > 0) {
        xmin = *std::min_element(points.XI, points.XI + n);
        xmax = *std::max_element(points.XI, points.XI + n);
        ymin = *std::min_element(points.YI, points.YI + n);
        ymax = *std::max_element(points.YI, points.YI + n);
    }
    for (const ExcludedPoint &e : left) {
        xmin = std::min(xmin, e.x_old), xmax = std::max(xmax, e.x_old);
        ymin = std::min(ymin, e.y_old), ymax = std::max(ymax, e.y_old);
    }
    double span = std::max(xmax - xmin, ymax - ymin);
    if (!(span > 0.0))
        span = std::max(1.0, std::fabs(xmin) * 1e-3);
    const double pad = 0.08 * span;
    const double k =
        std::min((kRight - kLeft) / (xmax - xmin + 2 * pad + (xmax == xmin ? span : 0)),
                 (kBottom - kTop) / (ymax - ymin + 2 * pad + (ymax == ymin ? span : 0)));
    const double cx = 0.5 * (xmin + xmax), cy = 0.5 * (ymin + ymax);
    const double pcx = 0.5 * (kLeft + kRight), pcy = 0.5 * (kTop + kBottom);
    auto px = [&](double x) { return pcx + (x - cx) * k; };
    auto py = [&](double y) { return pcy - (y - cy) * k; };

    // Axes with grid lines and coordinates.
    const double x0 = cx - (pcx - kLeft) / k, x1 = cx + (kRight - pcx) / k;
    const double y0 = cy - (kBottom - pcy) / k, y1 = cy + (pcy - kTop) / k;
    Append(&svg, "<g stroke=\"#e4e4e4\" stroke-width=\"1\">\n");
    int xd = 0, yd = 0;
    const std::vector<double> xt = Ticks(x0, x1, 6, &xd), yt = Ticks(y0, y1, 6, &yd);
    for (double t : xt)
        Append(&svg, "<line x1=\"%.1f\" y1=\"%.0f\" x2=\"%.1f\" y2=\"%.0f\"/>\n", px(t), kTop,
               px(t), kBottom);
    for (double t : yt)
        Append(&svg, "<line x1=\"%.0f\" y1=\"%.1f\" x2=\"%.0f\" y2=\"%.1f\"/>\n", kLeft, py(t),
               kRight, py(t));
    Append(&svg,
           "</g>\n<rect x=\"%.0f\" y=\"%.0f\" width=\"%.0f\" height=\"%.0f\" fill=\"none\" "
           "stroke=\"#444\"/>\n<g font-size=\"12\" fill=\"#333\">\n",
           kLeft, kTop, kRight - kLeft, kBottom - kTop);
    for (double t : xt)
        Append(&svg, "<text x=\"%.1f\" y=\"%.0f\" text-anchor=\"middle\">%.*f</text>\n", px(t),
               kBottom + 17, xd, t);
    for (double t : yt)
        Append(&svg, "<text x=\"%.0f\" y=\"%.1f\" text-anchor=\"end\">%.*f</text>\n", kLeft - 6,
               py(t) + 4, yd, t);
    Append(&svg,
           "<text x=\"%.0f\" y=\"%.0f\" text-anchor=\"middle\" font-size=\"13\">x_old</text>\n"
           "<text x=\"%.0f\" y=\"%.0f\" text-anchor=\"middle\" font-size=\"13\" "
           "transform=\"rotate(-90 %.0f %.0f)\">y_old</text>\n</g>\n",
           pcx, kBottom + 36, kLeft - 80, pcy, kLeft - 80, pcy);

    // Exaggeration: the longest ordinary residual (the 95th percentile when
    // there are many) becomes an arrow of a length that the spacing of the
    // points allows, rounded down to 1, 2 or 5 times a power of ten.
    std::vector<double> lengths;
    lengths.reserve(static_cast<std::size_t>(n));
    for (const PointDiagnostics &p : d.points)
        if (!p.flagged && std::isfinite(arrowX(p)) && std::isfinite(arrowY(p)))
            lengths.push_back(std::hypot(arrowX(p), arrowY(p)));
    // The colours span all ordinary residuals, from 0 to the longest.
    double reference = 0.0, longest = 0.0;
    if (!lengths.empty()) {
        const std::size_t at =
            lengths.size() <= 40 ? lengths.size() - 1 : lengths.size() * 95 / 100;
        std::nth_element(lengths.begin(), lengths.begin() + at, lengths.end());
        reference = lengths[at];
        longest = *std::max_element(lengths.begin() + at, lengths.end());
    }
    const double spacing = std::sqrt((kRight - kLeft) * (kBottom - kTop) / std::max(1L, n));
    const double target = std::min(90.0, std::max(14.0, 1.1 * spacing));
    const double exaggeration = reference > 0.0 ? NiceFloor(target / (reference * k)) : 1.0;
    const double arrowScale = exaggeration * k; // pixels per unit of residual

    const double radius = n <= 100 ? 4.5 : n <= 2500 ? 2.2 : 1.2;
    const double width = n <= 100 ? 2.0 : n <= 2500 ? 1.2 : 0.7;
    const long stride = n > kMaxPlottedPoints ? (n + kMaxPlottedPoints - 1) / kMaxPlottedPoints : 1;
    Append(&svg,
           "<defs><clipPath id=\"plot\"><rect x=\"%.0f\" y=\"%.0f\" width=\"%.0f\" "
           "height=\"%.0f\"/></clipPath></defs>\n<g clip-path=\"url(#plot)\" "
           "stroke-linecap=\"round\">\n",
           kLeft, kTop, kRight - kLeft, kBottom - kTop);
    for (long i = 0; i < n; ++i) {
        const PointDiagnostics &p = d.points[i];
        if (i % stride != 0 && !p.flagged)
            continue;
        const double length = std::hypot(arrowX(p), arrowY(p));
        char colour[8];
        RampColour(longest > 0.0 ? length / longest : 0.0, colour);
        if (p.flagged)
            std::snprintf(colour, sizeof colour, "#d7191c");
        const double sx = px(points.XI[i]), sy = py(points.YI[i]);
        if (std::isfinite(length) && length * arrowScale >= 1.0) {
            const double ex = sx + arrowX(p) * arrowScale, ey = sy - arrowY(p) * arrowScale;
            const double pixels = length * arrowScale;
            const double head = std::min(9.0, std::max(3.0, 0.3 * pixels));
            const double ux = (ex - sx) / pixels, uy = (ey - sy) / pixels;
            const double bx = ex - ux * head, by = ey - uy * head;
            Append(&svg,
                   "<path d=\"M%.1f %.1fL%.1f %.1f\" stroke=\"%s\" stroke-width=\"%.1f\"/>"
                   "<path d=\"M%.1f %.1fL%.1f %.1fL%.1f %.1fZ\" fill=\"%s\"/>\n",
                   sx, sy, bx, by, colour, width, ex, ey, bx - uy * head * 0.45,
                   by + ux * head * 0.45, bx + uy * head * 0.45, by - ux * head * 0.45, colour);
        }
        Append(&svg,
               "<circle cx=\"%.1f\" cy=\"%.1f\" r=\"%.1f\" fill=\"%s\" stroke=\"#222\" "
               "stroke-width=\"%.1f\"/>\n",
               sx, sy, radius, colour, n <= 2500 ? 0.6 : 0.0);
    }
    // Flagged points last, so that their rings and labels lie on top.
    for (long i = 0; i < n; ++i) {
        const PointDiagnostics &p = d.points[i];
        if (!p.flagged)
            continue;
        const double sx = px(points.XI[i]), sy = py(points.YI[i]);
        Append(&svg,
               "<circle cx=\"%.1f\" cy=\"%.1f\" r=\"%.1f\" fill=\"none\" stroke=\"#d7191c\" "
               "stroke-width=\"2\"/>\n<text x=\"%.1f\" y=\"%.1f\" font-size=\"14\" "
               "font-weight=\"bold\" fill=\"#a50f15\" stroke=\"white\" stroke-width=\"3\" "
               "paint-order=\"stroke\">line %ld</text>\n",
               sx, sy, radius + 6, sx + radius + 8, sy - radius - 6, p.line);
    }
    // Points left out by --robust: grey crosses, each with its line.
    for (const ExcludedPoint &e : left) {
        const double sx = px(e.x_old), sy = py(e.y_old), r = radius + 2;
        Append(&svg,
               "<path d=\"M%.1f %.1fL%.1f %.1fM%.1f %.1fL%.1f %.1f\" stroke=\"#777\" "
               "stroke-width=\"2\" class=\"excluded\"/>\n<text x=\"%.1f\" y=\"%.1f\" "
               "font-size=\"12\" fill=\"#555\">line %ld excluded</text>\n",
               sx - r, sy - r, sx + r, sy + r, sx - r, sy + r, sx + r, sy - r, sx + r + 4,
               sy + r + 10, e.line);
    }
    Append(&svg, "</g>\n");

    // Legend: the exaggeration, a scale bar in residual units, the colours.
    const double legendY = kBottom + 70;
    const double bar = reference > 0.0 ? NiceFloor(110.0 / arrowScale) : 0.0;
    Append(&svg, "<g font-size=\"13\" fill=\"#222\">\n");
    if (bar > 0.0) {
        const double barPixels = bar * arrowScale;
        Append(&svg,
               "<path d=\"M%.0f %.0fv-6M%.0f %.0fh%.1fM%.1f %.0fv-6\" stroke=\"#222\" "
               "stroke-width=\"2\" fill=\"none\"/>\n<text x=\"%.0f\" y=\"%.0f\">residual "
               "%s in new coordinate units (arrows ×%s)</text>\n",
               kLeft, legendY, kLeft, legendY, barPixels, kLeft + barPixels, legendY, kLeft,
               legendY + 20, Short(bar).c_str(), Short(exaggeration).c_str());
    } else {
        Append(&svg, "<text x=\"%.0f\" y=\"%.0f\">all residuals are 0</text>\n", kLeft, legendY);
    }
    const double rampX = 560, rampWidth = 200;
    for (int s = 0; s < 20; ++s) {
        char colour[8];
        RampColour(s / 19.0, colour);
        Append(&svg, "<rect x=\"%.0f\" y=\"%.0f\" width=\"%.0f\" height=\"12\" fill=\"%s\"/>\n",
               rampX + s * rampWidth / 20, legendY - 12, rampWidth / 20 + 0.5, colour);
    }
    Append(&svg,
           "<text x=\"%.0f\" y=\"%.0f\">0</text><text x=\"%.0f\" y=\"%.0f\" "
           "text-anchor=\"end\">%s</text><text x=\"%.0f\" y=\"%.0f\" text-anchor=\"end\">"
           "residual length</text>\n",
           rampX, legendY + 20, rampX + rampWidth, legendY + 20, Short(longest).c_str(), rampX - 8,
           legendY - 1);
    std::string flagged = d.flaggedLines.empty() ? "no point flagged" : "flagged: line";
    if (!d.flaggedLines.empty()) {
        flagged += d.flaggedLines.size() > 1 ? "s " : " ";
        for (std::size_t i = 0; i < d.flaggedLines.size() && i < 12; ++i)
            flagged += (i > 0 ? ", " : "") + std::to_string(d.flaggedLines[i]);
        if (d.flaggedLines.size() > 12)
            flagged += " ...";
    }
    std::string excludedText;
    if (!left.empty())
        excludedText = "; grey cross: excluded by --robust (" + std::to_string(left.size()) +
                       (left.size() > 1 ? " points)" : " point)");
    Append(&svg, "<text x=\"%.0f\" y=\"%.0f\">%s (studentised residual above 3)%s%s</text>\n</g>\n",
           kLeft, legendY + 44, flagged.c_str(), excludedText.c_str(),
           stride > 1 ? ", every point not shown: an even sample" : "");
    Append(&svg,
           "<text x=\"%.0f\" y=\"54\" font-size=\"13\" fill=\"#555\">red ring: flagged "
           "point; arrow: %s (observed minus computed), drawn ×%s</text>\n</svg>\n",
           kLeft - 60, spline ? "leave-one-out residual" : "residual", Short(exaggeration).c_str());
    return svg;
}

bool WriteResidualPlot(const char *path, const ControlPointArrays &points,
                       const FitDiagnostics &diagnostics,
                       const std::vector<ExcludedPoint> *excluded) {
    const std::string svg = ResidualPlotSvg(points, diagnostics, excluded);
    std::FILE *file = std::fopen(path, "wb");
    if (file == nullptr)
        return false;
    const bool written = std::fwrite(svg.data(), 1, svg.size(), file) == svg.size();
    return std::fclose(file) == 0 && written;
}
