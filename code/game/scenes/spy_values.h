#pragma once
// Readers of the numbers in the rooms' data files: points written "x y"
// ("%f %f") and single floats. A value that is not a finite number is not
// taken.

#include "game/scenes/objects/spy_object.h"

#include <string>

// Reads "x y" into the point; false (the point unchanged) when x is not a
// number. A missing or bad y reads as 0.
bool SpyReadPoint(const std::string& value, SpyPoint& point);
// The float at the start of the value, or 0.
float SpyReadFloat(const std::string& value);
