#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

namespace vantorix::bench {

// Shows every run as the console reporter does and keeps each benchmark's real time
// per iteration (the median when repetitions are asked for), for the ratio table.
class RecordingReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& reports) override;
  // Nanoseconds per iteration by "Name/arg"; absent when the benchmark did not run.
  const std::map<std::string, double>& Times() const { return times_; }

 private:
  std::map<std::string, double> times_;
};

// One target: the ratio of two benchmarks' times and the bound it has to keep.
struct Target {
  std::string what;
  std::string numerator;    // benchmark name
  std::string denominator;  // benchmark name
  double bound;             // 0: shown for comparison only
  bool atMost;              // true: ratio <= bound; false: ratio >= bound
};

// Prints the ratio table; returns how many targets were missed.
int PrintRatioTable(const std::map<std::string, double>& times, const std::vector<Target>& targets);

}  // namespace vantorix::bench
