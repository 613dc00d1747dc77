// The target AFR grid, and the change of one target AFR as the change dialog makes it.
#include <algorithm>
#include <iomanip>
#include <ostream>

#include "cli/Cli.h"
#include "foundation/NumberText.h"
#include "foundation/RuntimeError.h"
#include "pe/AfrChange.h"
#include "pe/AfrGridCsv.h"
#include "pe/AfrGridLabels.h"

namespace vantorix::cli {

namespace {

using number::GeneralText;

double NumberArgument(const std::string& option, const std::string& text) {
  try {
    return number::ParseDecimal(text);
  } catch (const RuntimeError&) {
    throw UsageError(option + " " + text + ": not a number");
  }
}

// The 1-based index of the grid point the text names; any other value is a usage error,
// for a change can only be made at one of the grid's own points.
template <class PointAt>
int PointIndex(const std::string& option, const std::string& text, int points, PointAt pointAt) {
  const double value = NumberArgument(option, text);
  std::string all;
  for (int i = 1; i <= points; ++i) {
    if (pointAt(i) == value) return i;
    all += (i == 1 ? "" : ", ") + GeneralText(pointAt(i));
  }
  throw UsageError(option + " " + text + " is not a point of the grid; it must be one of " + all);
}

// Both tables, as the grid window reads them; empty when the core reported a failure.
bool ReadTables(clsBINFile& image, std::vector<std::int16_t>& coolant, std::vector<std::int16_t>& rpm) {
  coolant = image.GetPEModifiers_Coolant();
  rpm = image.GetPEModifiers_RPM();
  return coolant.size() == afr_grid::kCoolantPoints && rpm.size() == afr_grid::kRpmPoints;
}

// One JSON object: the temperatures of the columns, then each RPM row with its nine AFRs.
void PrintJson(std::ostream& out, const std::string& path, const std::string& mask, const afr_grid::Rows& rows) {
  const auto list = [&](const std::vector<std::string>& texts, std::size_t from) {
    std::string joined;
    for (std::size_t i = from; i < texts.size(); ++i) joined += (i == from ? "" : ", ") + texts[i];
    return "[" + joined + "]";
  };
  out << "{\"path\": " << Json(path) << ", \"mask\": " << Json(mask) << ", \"celsius\": " << list(rows[0], 1)
      << ", \"fahrenheit\": " << list(rows[1], 1) << ", \"rows\": [";
  for (std::size_t r = 2; r < rows.size(); ++r)
    out << (r == 2 ? "\n  " : ",\n  ") << "{\"rpm\": " << rows[r][0] << ", \"afrs\": " << list(rows[r], 1) << "}";
  out << "\n]}\n";
}

}  // namespace

Status Afr(Arguments& arguments, Context& context) {
  const bool csv = arguments.Flag({"--csv"});
  const bool json = arguments.Flag({"--json"});
  const std::string path = arguments.Operands(1, 1, "one IMAGE").front();
  clsBINFile image(context.shell, ReadOnlyFileSystem());
  Status status = OpenImage(context, image, ReadOnlyFileSystem(), path);
  if (status == kOk) status = RequireEditableMask(context, image);
  std::vector<std::int16_t> coolant;
  std::vector<std::int16_t> rpm;
  if (status != kOk || !ReadTables(image, coolant, rpm)) return kFileError;

  const afr_grid::Rows rows = afr_grid::GridRows(image, coolant, rpm);
  if (csv) {
    context.out << afr_grid::Csv(rows);
    return kOk;
  }
  if (json) {
    PrintJson(context.out, path, image.Mask(), rows);
    return kOk;
  }
  for (const auto& row : rows) {
    for (std::size_t i = 0; i < row.size(); ++i) context.out << std::setw(i == 0 ? 9 : 7) << row[i];
    context.out << "\n";
  }
  return kOk;
}

Status SetAfr(Arguments& arguments, Context& context) {
  const auto values = arguments.Required({"--rpm", "--coolant", "--afr", "--by"}, "set-afr");
  const auto output = arguments.Value("-o");
  const std::string path = arguments.Operands(1, 1, "one IMAGE").front();
  const int r = PointIndex("--rpm", values[0], afr_grid::kRpmPoints, [](int i) { return (i - 1) * 400.0; });
  const int c = PointIndex("--coolant", values[1], afr_grid::kCoolantPoints, afr_grid::CelsiusAt);
  const double wanted = NumberArgument("--afr", values[2]);
  if (values[3] != "rpm" && values[3] != "coolant")
    throw UsageError("--by " + values[3] + ": it must be rpm or coolant");
  const bool byRpm = values[3] == "rpm";

  return ChangeImage(context, path, true, output, [&](clsBINFile& image, std::string& done) {
    Shell& shell = context.shell;
    std::vector<std::int16_t> coolant;
    std::vector<std::int16_t> rpm;
    if (!ReadTables(image, coolant, rpm)) return kFileError;
    const auto row = static_cast<std::size_t>(r - 1);
    const auto column = static_cast<std::size_t>(c - 1);
    const std::string rpmLabel = afr_grid::RpmLabel(r);
    const std::string temperature = afr_grid::CelsiusLabel(c) + "C (" + afr_grid::FahrenheitLabel(c) + "F)";
    std::int16_t& kept = byRpm ? coolant[column] : rpm[row];
    std::int16_t& solved = byRpm ? rpm[row] : coolant[column];
    const std::string kind = byRpm ? "RPM" : "Coolant";
    // Whether it can be solved depends on the image's kept modifier, so only now is it
    // known whether the value was a mistake in the command line.
    if (const std::string why = afr_change::UnsolvableText(kind, kept, wanted); !why.empty())
      throw UsageError("--afr " + values[2] + ": " + why);
    const double current = image.Calculate_PE_AFR(coolant[column], rpm[row]);
    const std::string cell = "target AFR at " + rpmLabel + " RPM and " + temperature;
    shell.WriteLog("Original AFR: " + GeneralText(current) + ", New AFR: " + GeneralText(wanted));
    if (wanted == current) {
      shell.WriteLog("AFRs not modified.");
      done = cell + " is already " + GeneralText(current);
      return kOk;
    }
    shell.WriteLog("Recalculating AFRs based on " + (byRpm ? rpmLabel + "RPMs..." : temperature + "..."));
    const std::int16_t modifier =
        byRpm ? image.CalculateRPMModifier(kept, wanted) : image.CalculateCoolantModifier(kept, wanted);
    if (!afr_change::AcceptModifier(shell, kind, modifier)) return kCheckFailed;
    const std::int16_t old = std::exchange(solved, modifier);
    shell.WriteLog("AFRs recalculated successfully based on new " + kind + " Modifier.");
    // Written back as the grid's OK writes them: every entry of both tables. A store that
    // failed has been reported, and the change is not saved.
    bool stored = true;
    for (std::size_t i = 0; i < coolant.size(); ++i)
      stored = image.PutPEModifier_Coolant(static_cast<std::int16_t>(i + 1), coolant[i]) && stored;
    for (std::size_t i = 0; i < rpm.size(); ++i)
      stored = image.PutPEModifier_RPM(static_cast<std::int16_t>(i + 1), rpm[i]) && stored;
    if (!stored) return kFileError;
    const double now = image.Calculate_PE_AFR(coolant[column], rpm[row]);
    done = cell + ": " + GeneralText(current) + " -> " + GeneralText(now) + " (" + kind + " modifier " +
           std::to_string(old) + " -> " + std::to_string(modifier) + ", the whole " +
           (byRpm ? rpmLabel + " RPM row" : temperature + " column") + " changes)";
    return kOk;
  });
}

}  // namespace vantorix::cli
