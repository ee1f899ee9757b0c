#pragma once

// Drift moves a drop by a fixed step at every evaluated cell, one rounded addition at a time. The
// positions a drop takes during a row are worked out here in bulk, yet each one is exactly the
// double that the additions one by one would have produced.

#include <cstdint>

// How many of the next additions of step (a positive amount) to p are certain to land exactly on
// p + m * delta, m = 1, 2, ..., at most wanted; delta is set to that rounded step. While the exact
// sums stay at least an ulp inside p's binade the doubles around them are evenly spaced, so every
// addition rounds by the same amount. A position that no addition changes any more (a step too
// small for it, or no finite value) gives wanted with delta 0. Returns 0 where nothing can be
// promised (a tie, which rounds to even; a binade edge close by; tiny values): the next addition
// must then be made on its own.
std::int64_t UniformDriftRun(double p, double step, std::int64_t wanted, double& delta);

// Writes to out[0..count) the position before each of count additions of step to start, and
// returns the position after the last one; out may be null when only the end matters.
double AdvanceDrift(double start, double step, int count, double* out);
