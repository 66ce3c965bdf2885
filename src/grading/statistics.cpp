#include "grading/statistics.h"

#include <algorithm>
#include <cmath>

namespace {

// Sums of scores in points are short decimals: a variance that should be 0 may come
// out a rounding error above it.
bool hasVariance(double variance, double scale) {
  return variance > 1e-12 * std::max(1.0, scale * scale);
}

double largestMagnitude(const std::vector<double>& values) {
  double largest = 0;
  for (double v : values)
    largest = std::max(largest, std::fabs(v));
  return largest;
}

}  // namespace

double meanOf(const std::vector<double>& values) {
  if (values.empty())
    return 0;
  double sum = 0;
  for (double v : values)
    sum += v;
  return sum / static_cast<double>(values.size());
}

double medianOf(std::vector<double> values) {
  if (values.empty())
    return 0;
  size_t middle = values.size() / 2;
  std::nth_element(values.begin(), values.begin() + static_cast<long>(middle), values.end());
  double upper = values[middle];
  if (values.size() % 2 == 1)
    return upper;
  double lower = *std::max_element(values.begin(), values.begin() + static_cast<long>(middle));
  return (lower + upper) / 2;
}

double populationVariance(const std::vector<double>& values) {
  if (values.empty())
    return 0;
  double mean = meanOf(values), sum = 0;
  for (double v : values)
    sum += (v - mean) * (v - mean);
  return sum / static_cast<double>(values.size());
}

bool pearsonCorrelation(const std::vector<double>& x, const std::vector<double>& y, double* r) {
  if (x.size() != y.size() || x.size() < 2)
    return false;
  double mx = meanOf(x), my = meanOf(y), sxy = 0, sxx = 0, syy = 0;
  for (size_t i = 0; i < x.size(); ++i) {
    sxy += (x[i] - mx) * (y[i] - my);
    sxx += (x[i] - mx) * (x[i] - mx);
    syy += (y[i] - my) * (y[i] - my);
  }
  const double n = static_cast<double>(x.size());
  if (!hasVariance(sxx / n, largestMagnitude(x)) || !hasVariance(syy / n, largestMagnitude(y)))
    return false;
  *r = sxy / std::sqrt(sxx * syy);
  return true;
}

bool cronbachAlpha(const std::vector<std::vector<double>>& parts, double* alpha) {
  const size_t k = parts.size();
  if (k < 2 || parts[0].size() < 2)
    return false;
  const size_t n = parts[0].size();
  std::vector<double> totals(n, 0);
  double partVariances = 0;
  for (const std::vector<double>& part : parts) {
    if (part.size() != n)
      return false;
    partVariances += populationVariance(part);
    for (size_t s = 0; s < n; ++s)
      totals[s] += part[s];
  }
  double totalVariance = populationVariance(totals);
  if (!hasVariance(totalVariance, largestMagnitude(totals)))
    return false;
  *alpha = static_cast<double>(k) / static_cast<double>(k - 1) * (1 - partVariances / totalVariance);
  return true;
}
