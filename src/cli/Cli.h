#pragma once

#include <functional>
#include <iosfwd>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "bin/FileSystem.h"
#include "bin/clsBINFile.h"
#include "cli/CliShell.h"
#include "history/Recorder.h"

// The command-line companion: the same core as the window program, driven by arguments.
namespace vantorix::cli {

inline constexpr std::string_view kProgram = "vantorix-cli";

// Exit statuses, ordered by how bad they are: a run over many images ends with the worst.
enum Status : int { kOk = 0, kCheckFailed = 1, kUsageError = 2, kFileError = 3 };
inline Status Worst(Status a, Status b) { return a > b ? a : b; }

// A mistake in the command line itself: reported with a pointer to the help, status 2.
struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// The words after the command name. Options may stand anywhere before "--"; what is
// left once a command has taken its options are its operands.
class Arguments {
 public:
  explicit Arguments(std::vector<std::string> words);
  // Takes "--name" (or any of its spellings) if present.
  bool Flag(std::initializer_list<std::string_view> names);
  // Takes "--name VALUE" or "--name=VALUE"; a missing value, or a second one, is a usage error.
  std::optional<std::string> Value(std::string_view name);
  // Takes the values of options that must all be given, in the order named.
  std::vector<std::string> Required(std::initializer_list<std::string_view> names, std::string_view command);
  // Takes the first word when it is not an option: the action of a command that has several.
  std::optional<std::string> Shift();
  // The operands; an option nobody took is a usage error.
  std::vector<std::string> Operands(std::size_t least, std::size_t most, std::string_view what);

 private:
  std::vector<std::string> words_;
  std::size_t optionsEnd_;  // index of "--", or the word count
};

struct Context {
  CliShell& shell;
  std::ostream& out;
  history::Recorder& history;  // opens the database only when an event is recorded
};

// Opens an image through the given file services with the window's log lines; on failure
// the cause has been told on standard error.
Status OpenImage(Context& context, clsBINFile& image, FileSystem& files, const std::string& path);
// Tells what a replacement's Commit said when the folder could not be flushed: the file
// has its new contents, but the disk may not hold them yet. Status 3 then, since the user
// must look; status 0 when there is nothing to tell.
Status Unflushed(Context& context, const std::string& warning);
// $8D and $6E only, as the window program keeps it for the AFR and wideband commands.
Status RequireEditableMask(Context& context, clsBINFile& image);

// What a changing command does to an image in memory. It returns the status of its
// checks and of every core step it took (kFileError when one failed) and fills `done`
// with one line telling what changed.
using Change = std::function<Status(clsBINFile& image, std::string& done)>;
// Opens the image for writing and runs the change. Only when every check passed, every
// step succeeded and the change altered the image's bytes, the file is first backed
// up as "<path>.org" and then saved with its recalculated checksum; the history records
// the image before and after. Otherwise nothing is written. With an output (-o) the
// changed image is saved as that new file instead, and the history records it there;
// the image and its backup are not written, and an output that exists, or names the
// image or its backup, is refused before anything is done.
Status ChangeImage(Context& context, const std::string& path, bool editableMaskOnly,
                   const std::optional<std::string>& output, const Change& change);

// Throws, for a file that an output option may not replace, the reason with what to do
// instead.
void RefuseExisting(const std::string& path, std::string_view instead);

Status Info(Arguments& arguments, Context& context);
Status Checksum(Arguments& arguments, Context& context);
Status Afr(Arguments& arguments, Context& context);
Status SetAfr(Arguments& arguments, Context& context);
Status WideBand(Arguments& arguments, Context& context);
Status Diff(Arguments& arguments, Context& context);
Status Sample(Arguments& arguments, Context& context);
Status History(Arguments& arguments, Context& context);

// "@12": a version in the history, which diff takes in place of an image. Usage error
// for anything else but a plain number when `plainNumberToo` is set ("12").
std::optional<std::int64_t> VersionReference(const std::string& word, bool plainNumberToo);
// The bytes of a version of the history; throws a RuntimeError when there is none.
std::vector<std::uint8_t> VersionBytes(Context& context, std::int64_t number, history::Version* version = nullptr);

// The help text of a command, or the overall help for an empty name; empty for an unknown command.
std::string_view HelpText(std::string_view command);

// Text inside a JSON string: quotes, backslashes and control characters escaped.
std::string Json(const std::string& text);

// The four-digit hexadecimal text of a checksum text as the core gives it ("A5" -> "00A5").
std::string FourDigits(const std::string& hexText);

}  // namespace vantorix::cli
