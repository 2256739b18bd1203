#pragma once

// The clock the figures are taken with, and what is made of them: every
// figure is a median of several runs, set against a yardstick as a ratio.

#include <vector>

// Milliseconds on the performance counter.
double nowMs();
double median(std::vector<double> values);  // 0 for none
// value / reference, or 0 when there is no reference.
double ratioOf(double value, double reference);
