// The plain statistics of the item analysis, each as a textbook writes it. Variances are
// population variances (divided by n, not n - 1) throughout: the class is the whole
// population the figures describe.
#pragma once

#include <vector>

double meanOf(const std::vector<double>& values);

// The middle value; the mean of the two middle values for an even count.
double medianOf(std::vector<double> values);

double populationVariance(const std::vector<double>& values);

// The Pearson correlation of x and y (of equal size). False when it is not defined:
// fewer than two pairs, or either side without variance.
bool pearsonCorrelation(const std::vector<double>& x, const std::vector<double>& y, double* r);

// Cronbach's alpha of parts[part][student]: k / (k - 1) x (1 - sum of the parts'
// variances / variance of the students' totals). False when it is not defined: fewer
// than two parts or two students, or totals without variance.
bool cronbachAlpha(const std::vector<std::vector<double>>& parts, double* alpha);
