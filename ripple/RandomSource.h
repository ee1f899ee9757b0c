#pragma once

#include <functional>

inline constexpr int RAND_MAX_VALUE = 32767;

// The program's random source: values 0..32767 from a small generator of our own that starts
// from the same fixed state in every run, so rain falls the same way each time.
int Rand();

// Puts the generator back to its fixed starting state.
void ResetRand();

// Tests replace the generator; an empty function restores it.
void SetRandSource(std::function<int()> source);
