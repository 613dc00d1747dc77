#include "cli/Cli.h"

namespace vantorix::cli {

namespace {

struct Help {
  std::string_view command;
  std::string_view text;
};

constexpr Help kHelp[] = {
    {"", R"(Usage: vantorix-cli [--verbose] COMMAND [ARGUMENTS]
Checks and edits calibration images (BINs) of 1989-1992 GM TPI engine computers with
the same checks, formula, patch tables and checksum rule as the Vantorix window program.

Commands:
  info IMAGE... [--json]        identity, checksum and wideband patch state
  checksum IMAGE... [--fix [-o OUT]]
                                verify the checksum; --fix stores the computed one
  afr IMAGE [--csv | --json]    the 17 x 9 power-enrichment target AFR grid
  set-afr IMAGE --rpm R --coolant C --afr X --by rpm|coolant [-o OUT]
                                change one target AFR as the change dialog does
  wb add|remove IMAGE [--allow-stand-in] [-o OUT]
                                insert or remove the wideband patch
  wb derive ... / wb install    make and install a patch table (see wb --help)
  diff A B [--afr] [--json]     where two images differ, by area or by target AFR
  sample OUT.bin --mask 8d|6e [--bcc axxc|aujp]
                                write a made-up image to try the programs on
  history [IMAGE] [--json]      the versions the history keeps (see history --help)
  history show|restore|prune    read a version back, put it back, drop old ones

Options:
  --verbose, -v   write the activity log lines to standard error
  --help, -h      this text, or a command's own with the command
  --version       the program's version

A command that changes an image writes it only when every check passed, after copying
the original to "<image>.org"; the saved image carries its recalculated checksum. With
-o OUT the changed image goes to the new file OUT instead: the image is left as it was
and no backup is made. OUT must not exist yet and may not be the image's backup; a
change that changes nothing writes no OUT. The version history keeps the image as it
was before and after (VANTORIX_NO_HISTORY=1 in the environment turns recording off).
Exit status: 0 success, 1 a check failed (checksum mismatch, refused AFR, images
differ), 2 usage error (also an option given twice, a stand-in patch table without
--allow-stand-in, another file's version to restore without --force), 3 file or image
error. With many images, the worst one counts.
)"},
    {"info", R"(Usage: vantorix-cli info IMAGE... [--json]
Shows each image's path, size, mask, PROM ID, transmission, broadcast code (BCC),
stored and computed checksum and whether they agree, whether the wideband patch is
present, absent or partial (counting the entries whose patched and unpatched values
the table knows and that differ), and which patch table that is judged by: the
built-in stand-in or the installed file. Reads only.
--json writes one JSON array with an object per image that could be read.
)"},
    {"checksum", R"(Usage: vantorix-cli checksum IMAGE... [--fix [-o OUT]]
Compares each image's stored checksum with the one computed over its bytes (offset
0x0008 to the end). Exit status 1 when any does not agree. Reads only, unless:
--fix  stores the computed checksum in each image that disagrees, exactly as a save
       does, after copying the original to "<image>.org". Images that agree are left
       alone.
-o OUT with --fix and one IMAGE: writes the fixed image to the new file OUT; IMAGE
       is left as it was and no backup is made.
)"},
    {"afr", R"(Usage: vantorix-cli afr IMAGE [--csv | --json]
Shows the power-enrichment target air/fuel ratios of a $8D or $6E image: one row per
RPM point (0 to 6400), one column per coolant temperature (-40 to 152 degrees C, with
degrees F beneath). Reads only.
--csv   comma-separated values with CR LF line ends, for a spreadsheet.
--json  one JSON object: "path", "mask", "celsius" and "fahrenheit" (the nine column
        temperatures) and "rows", one object per RPM point: "rpm" and "afrs" (the nine
        target AFRs, coldest column first).
)"},
    {"set-afr", R"(Usage: vantorix-cli set-afr IMAGE --rpm R --coolant C --afr X --by rpm|coolant [-o OUT]
Sets the target AFR at RPM point R (0, 400, ..., 6400) and coolant point C (-40, -16,
8, 32, 56, 80, 104, 128, 152 degrees C) to X, as the change dialog does:
  --by rpm      solves for that RPM's modifier: the whole RPM row changes;
  --by coolant  solves for that temperature's modifier: the whole column changes.
A target that needs a modifier above 255 (too rich) or below 0 (too lean) is refused
with exit status 1 and the image is left as it was; one for which no modifier can be
calculated (0, or so close to 0 that it would leave -32768..32767) is a usage mistake,
exit status 2. Otherwise the image is saved with
its recalculated checksum after the original is copied to "<image>.org".
-o OUT  writes the changed image to the new file OUT instead; IMAGE is left as it
        was and no backup is made.
)"},
    {"wb", R"(Usage: vantorix-cli wb add IMAGE [--allow-stand-in] [-o OUT]
       vantorix-cli wb remove IMAGE [--allow-stand-in] [-o OUT]
       vantorix-cli wb derive --stock S --patched P --version 8d-axxc|8d-aujp|6e -o TABLE
       vantorix-cli wb install TABLE [--version 8d-axxc|8d-aujp|6e]
add, remove  insert or remove the wideband patch in a $8D or $6E image; the version
             follows from the mask and broadcast code, as in the window program. The
             image is saved with its checksum after the original is copied to
             "<image>.org". Removal leaves bytes whose unpatched values the table does
             not know as they are, and says so.
-o OUT       (add, remove) writes the changed image to the new file OUT instead;
             IMAGE is left as it was and no backup is made.
--allow-stand-in  write even when the table is a stand-in (the built-in tables are):
             the image then gets only the bytes the published patch fixes and NO
             wideband function. Without it such a change is refused with status 2.
derive       derives a patch table from a stock image S and the same image P with the
             published patch applied, and writes it to TABLE. Reads the images only.
install      checks TABLE and installs it in the user's data folder
             ($XDG_DATA_HOME/Vantorix/wbpatch), where both programs use it in place of
             the built-in table. The version is told from the table unless given.
)"},
    {"diff", R"(Usage: vantorix-cli diff A B [--afr] [--json]
Lists the offsets where images A and B differ, in runs of neighbouring bytes, each named
by the area it lies in: identity, checksum, PE coolant or RPM modifiers, wideband patch
areas, or other. Short runs show their bytes (A -> B). Exit status 0 when the images are
identical, 1 when they differ. Reads only. A or B may be a version of the history
written @VERSION (@12); a file whose name starts with @ is written ./@name.
--afr   compares the target AFRs instead, each image's read from its own PE tables:
        one line per cell that differs (RPM, degrees C and F, AFR in A, AFR in B, the
        change B - A). Exit status 0 when all 153 are the same, 1 when any differs, 3
        when an image has no PE tables.
--json  one JSON object. Bytes: "a", "b" (the names given), "sizes", "masks", "runs"
        (each with "offset", "length", "area", and the run's bytes in "a" and "b" as
        hexadecimal pairs) and "differingBytes". With --afr: "a", "b", "cells" (each
        with "rpm", "celsius", "fahrenheit", "a", "b" and "change") and "differingCells".
)"},
    {"history", R"(Usage: vantorix-cli history [IMAGE] [--json]
       vantorix-cli history show VERSION [-o FILE]
       vantorix-cli history restore IMAGE VERSION [--force]
       vantorix-cli history prune --keep-days N
The version history keeps every image content the window program opened or saved and
every image this tool changed, each content once, in $XDG_DATA_HOME/Vantorix/history.sqlite
(normally ~/.local/share/Vantorix/history.sqlite).
(none)   the versions of IMAGE, or of every file, newest first: version number, time
         (UTC), event, size, mask, PROM ID, stored checksum and how many bytes differ
         from the file's previous version. --json writes them as a JSON array.
show     writes the bytes of a version to standard output, or to a new FILE with -o
         (an existing file is never written over).
restore  writes a version back over IMAGE, byte for byte, after keeping the contents it
         replaces as a new version: a restore can itself be undone. A version recorded
         for another path, or of another mask or size, is refused with status 2 unless
         --force is given.
prune    drops the versions older than N days, but never the first version seen of a
         file, and the contents no version is left to need.
VERSION is the number the list shows (12 or @12).
)"},
    {"sample", R"(Usage: vantorix-cli sample OUT.bin --mask 8d|6e [--bcc axxc|aujp]
Writes a made-up 32 KB image of the mask, for trying both programs without a PROM
reader: erased (FF) bytes, an automatic transmission, plausible PE modifier tables, PROM
ID 9999, the text "VANTORIX SAMPLE IMAGE - MADE UP - NEVER BURN IT INTO A PROM" at
offset 0x7F00, and a checksum that agrees. A $8D sample carries the broadcast code AXXC
unless --bcc aujp is given. OUT.bin must not exist yet: a sample never replaces a file.
)"},
};

}  // namespace

std::string_view HelpText(std::string_view command) {
  for (const Help& help : kHelp)
    if (help.command == command) return help.text;
  return {};
}

}  // namespace vantorix::cli
