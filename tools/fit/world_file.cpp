#include "tools/fit/world_file.h"

#include <cstdio>

bool HasWorldFile(long model) {
    return model == 2 || model == 3;
}

bool WorldFileValues(const FitMap &map, double values[6]) {
    if (map.model != ModelName(2) && map.model != ModelName(3))
        return false;
    // Through the frames: X = new_centre_x + new_scale (a0 + a1 u + a2 v) with
    // u = (x - centre_x) / scale, and a row down is a step of -1 in y.
    const double *a = map.affine;
    const double ratio = map.newFrame.scale / map.oldFrame.scale;
    values[0] = ratio * a[1];
    values[1] = ratio * a[4];
    values[2] = -(ratio * a[2]);
    values[3] = -(ratio * a[5]);
    MapForward(map, 0.5, -0.5, &values[4], &values[5]);
    return true;
}

bool WriteWorldFile(const char *path, const FitMap &map) {
    double values[6];
    if (!WorldFileValues(map, values))
        return false;
    std::FILE *file = std::fopen(path, "w");
    if (file == nullptr)
        return false;
    bool written = true;
    for (const double value : values)
        written = std::fprintf(file, "%.17g\n", value) > 0 && written;
    return std::fclose(file) == 0 && written;
}
