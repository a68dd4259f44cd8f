// World files for fits of pixel positions: the old coordinates of a point
// are x, its distance from the image's left edge, and y, minus its distance
// from the top edge, both in pixels, with 0, 0 the top-left corner of the
// image. A world file holds the affine map from pixel column and row to map
// coordinates, whose origin is the centre of the top-left pixel.
#ifndef ORTK232_TOOLS_FIT_WORLD_FILE_H
#define ORTK232_TOOLS_FIT_WORLD_FILE_H

#include "tools/fit/fit_apply.h"

// True for the models whose fits a world file can hold.
bool HasWorldFile(long model);

// The six values of the world file, in the file's order: A, D, B, E, C, F,
// with X = A column + B row + C, Y = D column + E row + F at the centre of
// the pixel in that column and row. False when the map is not affine.
bool WorldFileValues(const FitMap &map, double values[6]);

// Writes them one a line (%.17g); false when the map is not affine or the
// file cannot be written.
bool WriteWorldFile(const char *path, const FitMap &map);

#endif
