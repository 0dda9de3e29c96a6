#include "bench/bench_figures.h"

#include <algorithm>
#include <cstdio>

namespace bench {

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const std::size_t middle = values.size() / 2;
  if (values.size() % 2 == 1) return values[middle];
  return (values[middle - 1] + values[middle]) / 2;
}

double Best(const std::vector<double>& values) {
  return values.empty() ? 0 : *std::min_element(values.begin(), values.end());
}

double Worst(const std::vector<double>& values) {
  return values.empty() ? 0 : *std::max_element(values.begin(), values.end());
}

std::string RatioText(double measured, double baseline) {
  if (measured < 0 || baseline < 0) return "n/a (not measured)";
  if (baseline == 0) return measured == 0 ? "n/a (both zero)" : "n/a (baseline zero)";
  return Fixed(measured / baseline, 2);
}

std::string Fixed(double value, int digits) {
  char text[64] = {};
  std::snprintf(text, sizeof text, "%.*f", digits, value);
  return text;
}

std::string Mebibytes(double bytes) { return Fixed(bytes / (1024.0 * 1024.0), 2) + " MiB"; }

}  // namespace bench
