#include "RatioTable.h"

#include <cstdio>

namespace vantorix::bench {

namespace {

double Nanoseconds(const benchmark::BenchmarkReporter::Run& run) {
  const double time = run.GetAdjustedRealTime();
  switch (run.time_unit) {
    case benchmark::kNanosecond: return time;
    case benchmark::kMicrosecond: return time * 1e3;
    case benchmark::kMillisecond: return time * 1e6;
    case benchmark::kSecond: return time * 1e9;
  }
  return time;
}

}  // namespace

void RecordingReporter::ReportRuns(const std::vector<Run>& reports) {
  ConsoleReporter::ReportRuns(reports);
  for (const Run& run : reports) {
    if (run.error_occurred) continue;
    const bool aggregate = run.run_type == Run::RT_Aggregate;
    if (aggregate && run.aggregate_name != "median") continue;
    if (!aggregate && run.repetitions > 1) continue;  // the median stands for them
    std::string name = run.run_name.function_name;
    if (!run.run_name.args.empty()) name += "/" + run.run_name.args;
    times_[name] = Nanoseconds(run);
  }
}

int PrintRatioTable(const std::map<std::string, double>& times, const std::vector<Target>& targets) {
  int missed = 0;
  std::printf("\n%-58s %12s %12s %9s %8s  %s\n", "target", "time (us)", "baseline", "ratio", "bound", "result");
  for (const Target& target : targets) {
    const auto top = times.find(target.numerator);
    const auto bottom = times.find(target.denominator);
    if (top == times.end() || bottom == times.end()) {
      std::printf("%-58s %12s %12s %9s %8s  %s\n", target.what.c_str(), "-", "-", "-", "-", "not run");
      continue;
    }
    const double ratio = top->second / bottom->second;
    if (target.bound <= 0) {  // shown for comparison, no bound to keep
      std::printf("%-58s %12.2f %12.2f %9.3f %8s  %s\n", target.what.c_str(), top->second / 1e3, bottom->second / 1e3,
                  ratio, "-", "info");
      continue;
    }
    const bool met = target.atMost ? ratio <= target.bound : ratio >= target.bound;
    if (!met) ++missed;
    std::printf("%-58s %12.2f %12.2f %9.3f %s%7.3g  %s\n", target.what.c_str(), top->second / 1e3, bottom->second / 1e3,
                ratio, target.atMost ? "<=" : ">=", target.bound, met ? "met" : "MISSED");
  }
  return missed;
}

}  // namespace vantorix::bench
