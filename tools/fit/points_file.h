// Control points as a desktop georeferencer keeps them: a ".points" file with
// an optional "#CRS: ..." first line, a header naming the columns
// (mapX,mapY,sourceX,sourceY,enable, older files pixelX,pixelY for the
// source, newer ones followed by dX,dY,residual) and one comma-separated
// point per row. The source position is the old coordinate pair, the map
// position the new one; rows with enable 0 take no part in a fit.
#ifndef ORTK232_TOOLS_FIT_POINTS_FILE_H
#define ORTK232_TOOLS_FIT_POINTS_FILE_H

#include "tools/fit/stable_fit.h"

#include <set>
#include <string>
#include <vector>

struct PointRow {
    long line; // of the file it was read from
    double x_old, y_old, x_new, y_new;
    bool enabled;
};

// The points of one file, every row in file order, and what ortk-fit fits:
// the enabled rows as the four arrays, with their lines.
struct FitPoints {
    std::string crs; // the "#CRS: ..." line without its line end, or empty
    std::vector<PointRow> rows;
    std::vector<double> XI, YI, XP, YP;
    std::vector<long> lines;
    ControlPointArrays View() const {
        return {
            static_cast<long>(XI.size()), XI.data(), YI.data(), XP.data(), YP.data(), lines.data()};
    }
};

// True when text (the start of a file) begins as a .points file does, and
// when the file at path does.
bool LooksLikePointsFile(const std::string &text);
bool IsPointsFile(const char *path);

// Parses the text of a .points file; false with the reason (naming the line)
// in error.
bool ParsePointsText(const std::string &text, FitPoints *points, std::string *error);

// Reads a control points file of either kind: a .points file by the parser
// above, anything else by the library's reader (one point a line, every line
// enabled). False after a message on standard error.
bool ReadFitPoints(const char *path, FitPoints *points);

struct FitMap;

// Writes the rows of points as a .points file with each point's residual
// under the map (dX, dY: observed minus computed, in the units of the new
// coordinates; residual: their length). Rows that were disabled, or whose
// line is in excludedLines, are written with enable 0. False when the file
// cannot be written.
bool WritePointsFile(const char *path, const FitPoints &points, const FitMap &map,
                     const std::set<long> &excludedLines);

#endif
