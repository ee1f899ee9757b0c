#pragma once

// Drift moves a drop by a fixed step at every evaluated cell, one rounded addition at a time. The
// positions a drop takes during a row are worked out here in bulk, yet each one is exactly the
// double that the additions one by one would have produced.

// Writes to out[0..count) the position before each of count steps of size step (a positive
// amount) from start, and returns the position after the last one; out may be null when only
// the end matters.
double AdvanceDrift(double start, double step, int count, double* out);
