// Numbers of material description files as text: written like "%g" and read
// like "%f", always with '.' as the decimal point, whatever the process's
// locale says.
#pragma once

#include "host/String.h"

// The values with six significant digits, separated by single blanks; at
// most kMostDecimals of them (a colour's three channels) are written.
constexpr int kMostDecimals = 3;
String FormatDecimals(const float* values, int count);
// Reads up to `count` numbers separated by blanks into `values`, stopping at
// the first text that is not a number; returns how many were read. The
// entries after those keep what they held.
int ScanDecimals(const char* text, float* values, int count);
