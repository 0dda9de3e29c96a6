// Summaries and wording of benchmark figures: medians and ratios against the baseline.
#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace bench {

using Clock = std::chrono::steady_clock;

inline double MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// The middle value (the mean of the two middle ones for an even count); 0 for none.
double Median(std::vector<double> values);

// The smallest and the largest value; 0 for none.
double Best(const std::vector<double>& values);
double Worst(const std::vector<double>& values);

// "1.07" for measured / baseline, or the reason there is no ratio ("n/a (both zero)").
std::string RatioText(double measured, double baseline);

// A number with the given digits after the point.
std::string Fixed(double value, int digits);

// Bytes as mebibytes with two digits ("12.34 MiB").
std::string Mebibytes(double bytes);

}  // namespace bench
