#include "help/HelpTexts.h"

#include "foundation/AppInfo.h"

namespace vantorix::help {

namespace {
constexpr const char* kCrLf = "\r\n";
}

std::string VersionText(int major, int minor, int revision) {
  return "Version " + std::to_string(major) + "." + std::to_string(minor) + "." + std::to_string(revision);
}

std::string PatchCreditText() {
  return "This program uses Corvennis' Wide Band Hacs.  These Hacs are used with his permission.  For more "
         "information on Corvennis's Wide Band Hacs please visit his webpage at: " +
         std::string(app::kPatchAuthorPage);
}

std::string TargetAfrText() {
  const char* const lines[] = {
      ("These target AFRs are calculated according to the function located in the ANHT_HAC PDF file (Page 47).  "
       "The function as specified in the hac is..."),
      "WOT AFR = 6553.6/(((TBL L8608 + TBL L860D + 128) * 445)/256)",
      "We can calculate a constant from this equation as follows ....",
      "WOT AFR = (6553.6 / (445 * 256)) / (TBL L8608 + TBL L860D + 128)",
      "WOT AFR = 3770.1608988764 / (TBL L8608 + TBL L860D + 128)",
      "WOT AFR = AFR_CONSTANT / (TBL L8608 + TBL L860D + 128)",
      "WOT AFR = AFR_CONSTANT / (RPM Modifier + Coolant Modifier + 128)",
  };
  std::string text;
  for (const char* line : lines) text += (text.empty() ? "" : kCrLf) + std::string(line);
  return text;
}

std::string DisclaimerText() {
  return "This program is not to be used for any commercial purposes.  It was designed for the DIY individual.  Your "
         "use of this program is AT YOUR OWN RISK.";
}

std::string InstructionsText() {
  std::string text = "Description:";
  const auto line = [&text](const std::string& piece) { text += kCrLf + piece; };
  line(
      "1. This program only works with $8D and $6E binary files (i.e. binary files from 1989-1992 TPI applications).  "
      "It will not work with $32 and $32B binary files from 1986-1988 TPI applications.");
  line("2. This program can do 2 things... ");
  line("A) Allows you to adjust Target AFRs via adjusting the actual Target AFR.");
  line("B) Allows you to insert and remove Corvennis' Wideband hacs.");
  line(
      "You do not have to insert the Wideband hac in order to use the AFR grid.  The AFR grid is completely "
      "independent of Corvennis' Wideband hac (and the wideband hacs are completely independent of the AFR grid).  "
      "You can use whatever you want ... or you can use both ... it makes no difference.  Both functions were put "
      "into this program in order to simplify WOT dyno tuning.");
  line(
      "3. It is recommended that you ONLY use the Wideband hac insertion and removal with the following BCCs: AUJP, "
      "AXXC, ARAP, and APYP.  This is because Corvennis has made these changes for ONLY these BCCs.  PLEASE do not "
      "use any other Base Images if you intend to use this feature.  The AFR grid should work with all $8D and $6E "
      "BCCs.");
  text += kCrLf;
  line("Instructions:");
  line(
      "1. Use 'File->Open' to open the binary file.  After the file opens the 'Current Bin' section under the menu "
      "bar will now show the full path to the binary file that you opened.  Your original bin is ALWAYS backed up "
      "with a .org extension.  If a file exists with this .org extension then it will be overwritten.");
  line(std::string("2. To change the PE Target AFRs choose ") +
       "'Binay->Power Enrichment Target AFRs'.  You will then be presented with a grid of all Target AFRs.  To change "
       "a Target AFR simply double-click the table cell that you want to change.  You will be presented with a "
       "dialog that will ask you for the new Target AFR as well as the manner in which you wish to change this "
       "Target AFR (either via RPM or Coolant Temperature)." +
       "  When you make a change it will NOT change a single table cell.  That is impossible.  This is because PE "
       "AFRs are calculated using the RPM Modifiers and the Coolant Modifiers.  These modifiers are normally used to "
       "create the tables called '% Change to AFR vs. RPM' and '% Change to AFR vs. Coolant Temperature'.  Thus, "
       "using the 'RPM' selection will change the Target AFR at that specific RPM, but do so across all Coolant "
       "Temperatures.  Using the 'Coolant Temperature' selection will change the Target AFR across ALL RPMs for that "
       "Coolant Temperature.  In short, if you want to globally change the Target AFR across all RPMs then use the "
       "Coolant Temperature Selection.  If you want to change the Target AFR at a specific RPM then use the RPM "
       "selection.  After selecting OK the grid will be populated with the new Target AFRs and the cells which "
       "changed will now be shown in yellow.  TO SAVE THESE NEW TARGET AFRS YOU MUST CHOOSE THE 'OK'" +
       " BUTTON ON THE GRID AND THEN CHOOSE 'FILE->SAVE' BEFORE EXITING.  For more specific information on how these "
       "calculations are done please see 'Help->About'.");
  line(
      "3. To add Corvennis' Wide Band Hac choose 'Binary->Add DIY-WB Hac'.  Make sure to choose 'File->Save' before "
      "exiting or the change will not happen.");
  line(
      "4. To remove Corvennis' Wide Band Hac choose 'Binary->Remove DIY-WB Hac'.  Make sure to choose 'File->Save' "
      "before exiting or the change will not happen. ");
  line(
      "5. Please note that Corvennis' wideband hac will produce a constant SES light (Check Engine light)!  This is "
      "not an Error.  This is just what his hac does.  Although it is perfectly safe to leave the wideband hac "
      "running all the time, it is recommended that you only use the hac while testing with the wideband so that "
      "your SES light functions normally during non-testing times.  For more information on Corvennis' Wideband "
      "Hacs please see 'Help->About'.");
  return text;
}

}  // namespace vantorix::help
