#pragma once

#include <string>

// The fixed texts of the About and Instructions windows.
namespace vantorix::help {

std::string VersionText(int major, int minor, int revision);  // "Version 1.0.1"
std::string PatchCreditText();
std::string TargetAfrText();
std::string DisclaimerText();
std::string InstructionsText();

}  // namespace vantorix::help
