#pragma once
// The run's report for people and for test racks: the summary table, the JSON object and
// the JUnit test suite.

#include <string>

#include "cli/run_report.h"

namespace brenmoor::cli {

std::string summaryTable(const RunReport& report);
std::string jsonReport(const RunReport& report);
std::string junitReport(const RunReport& report);

// Writes `text` to `path`; false with `error` set when it could not.
bool writeReportFile(const std::string& path, const std::string& text, std::string& error);

}  // namespace brenmoor::cli
