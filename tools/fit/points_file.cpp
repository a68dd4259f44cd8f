#include "tools/fit/points_file.h"

#include "tools/fit/fit_apply.h"
#include "transform/control_points.h"
#include "transform/number_scan.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <memory>

namespace {

const char kBom[] = "\xEF\xBB\xBF";
const char *const kColumns[5] = {"mapX", "mapY", "sourceX", "sourceY", "enable"};

struct FileCloser {
    void operator()(std::FILE *file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

bool StartsWith(const std::string &text, const char *prefix, std::size_t at = 0) {
    return text.compare(at, std::char_traits<char>::length(prefix), prefix) == 0;
}

std::string Trim(const std::string &text) {
    const std::size_t first = text.find_first_not_of(" \t\r");
    return first == std::string::npos
               ? std::string()
               : text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

std::vector<std::string> SplitFields(const std::string &row) {
    std::vector<std::string> fields;
    std::size_t at = 0;
    for (std::size_t comma; (comma = row.find(',', at)) != std::string::npos; at = comma + 1)
        fields.push_back(Trim(row.substr(at, comma - at)));
    fields.push_back(Trim(row.substr(at)));
    return fields;
}

// The position of each of the five columns in the header; -1 for an enable
// column that older files may lack.
bool ReadHeader(const std::vector<std::string> &names, int column[5], std::string *error) {
    for (int c = 0; c < 5; ++c)
        column[c] = -1;
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string &name = names[i];
        const int c = name == "mapX"                          ? 0
                      : name == "mapY"                        ? 1
                      : name == "sourceX" || name == "pixelX" ? 2
                      : name == "sourceY" || name == "pixelY" ? 3
                      : name == "enable"                      ? 4
                                                              : -1;
        if (c >= 0 && column[c] < 0)
            column[c] = static_cast<int>(i);
    }
    for (int c = 0; c < 4; ++c)
        if (column[c] < 0) {
            *error = std::string("the header names no ") + kColumns[c] +
                     " column (expected mapX,mapY,sourceX,sourceY,enable)";
            return false;
        }
    return true;
}

// The whole field as one number.
bool ReadField(const std::vector<std::string> &fields, int column, double *value) {
    if (column < 0 || static_cast<std::size_t>(column) >= fields.size())
        return false;
    const std::string &field = fields[column];
    const char *end = ScanNumber(field.c_str(), '.', value);
    return end != nullptr && *end == '\0' && std::isfinite(*value);
}

std::string Shortest(double value) {
    char digits[64];
    const std::to_chars_result r = std::to_chars(digits, digits + sizeof digits, value);
    return std::string(digits, r.ptr);
}

} // namespace

bool LooksLikePointsFile(const std::string &text) {
    const std::size_t at = StartsWith(text, kBom) ? 3 : 0;
    return StartsWith(text, "#CRS:", at) || StartsWith(text, "mapX,", at);
}

bool ParsePointsText(const std::string &text, FitPoints *points, std::string *error) {
    *points = FitPoints();
    int column[5];
    bool header = false;
    long line = 0;
    for (std::size_t at = StartsWith(text, kBom) ? 3 : 0; at < text.size();) {
        std::size_t end = text.find('\n', at);
        end = end == std::string::npos ? text.size() : end;
        std::string row = text.substr(at, end - at);
        at = end + 1;
        ++line;
        if (!row.empty() && row.back() == '\r')
            row.pop_back();
        if (line == 1 && StartsWith(row, "#CRS:")) {
            points->crs = row;
            continue;
        }
        if (Trim(row).empty())
            continue;
        const std::vector<std::string> fields = SplitFields(row);
        if (!header) {
            header = ReadHeader(fields, column, error);
            if (!header) {
                *error = "line " + std::to_string(line) + ": " + *error;
                return false;
            }
            continue;
        }
        double values[5] = {0.0, 0.0, 0.0, 0.0, 1.0};
        for (int c = 0; c < 5; ++c)
            if ((c < 4 || column[c] >= 0) && !ReadField(fields, column[c], &values[c])) {
                *error = "line " + std::to_string(line) + ": the " + kColumns[c] +
                         " field is not a number";
                return false;
            }
        const PointRow point = {line, values[2], values[3], values[0], values[1], values[4] != 0.0};
        points->rows.push_back(point);
        if (point.enabled) {
            points->XI.push_back(point.x_old);
            points->YI.push_back(point.y_old);
            points->XP.push_back(point.x_new);
            points->YP.push_back(point.y_new);
            points->lines.push_back(line);
        }
    }
    if (!header) {
        *error = "no header line mapX,mapY,sourceX,sourceY,enable";
        return false;
    }
    return true;
}

bool IsPointsFile(const char *path) {
    const File file(std::fopen(path, "rb"));
    char start[8];
    return file &&
           LooksLikePointsFile(std::string(start, std::fread(start, 1, sizeof start, file.get())));
}

bool ReadFitPoints(const char *path, FitPoints *points) {
    *points = FitPoints();
    if (IsPointsFile(path)) {
        std::string text, error;
        const File file(std::fopen(path, "rb"));
        char chunk[65536];
        for (std::size_t got; file && (got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0;)
            text.append(chunk, got);
        if (!file || std::ferror(file.get()) != 0)
            error = "cannot be read";
        else if (ParsePointsText(text, points, &error))
            return true;
        std::fprintf(stderr, "ortk-fit: %s: %s\n", path, error.c_str());
        return false;
    }
    // Anything else is a control points file of the library, which reports
    // its own faults.
    long n = 0;
    double *XI = nullptr, *YI = nullptr, *XP = nullptr, *YP = nullptr;
    if (!ReadControlPoints(path, &n, &XI, &YI, &XP, &YP, true))
        return false;
    for (long k = 0; k < n; ++k) {
        points->rows.push_back({k + 1, XI[k], YI[k], XP[k], YP[k], true});
        points->lines.push_back(k + 1);
    }
    points->XI.assign(XI, XI + n);
    points->YI.assign(YI, YI + n);
    points->XP.assign(XP, XP + n);
    points->YP.assign(YP, YP + n);
    FreeCoordinateArrays(XP, YP, XI, YI);
    return true;
}

bool WritePointsFile(const char *path, const FitPoints &points, const FitMap &map,
                     const std::set<long> &excludedLines) {
    File file(std::fopen(path, "wb"));
    if (!file)
        return false;
    std::string text;
    if (!points.crs.empty())
        text += points.crs + "\n";
    text += "mapX,mapY,sourceX,sourceY,enable,dX,dY,residual\n";
    for (const PointRow &row : points.rows) {
        double X = 0.0, Y = 0.0;
        MapForward(map, row.x_old, row.y_old, &X, &Y);
        const double dX = row.x_new - X, dY = row.y_new - Y;
        const bool enabled = row.enabled && excludedLines.count(row.line) == 0;
        text += Shortest(row.x_new) + "," + Shortest(row.y_new) + "," + Shortest(row.x_old) + "," +
                Shortest(row.y_old) + (enabled ? ",1," : ",0,") + Shortest(dX) + "," +
                Shortest(dY) + "," + Shortest(Length(dX, dY)) + "\n";
    }
    return std::fwrite(text.data(), 1, text.size(), file.get()) == text.size() &&
           std::fflush(file.get()) == 0;
}
