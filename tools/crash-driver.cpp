// One open-and-save of the window program, for scripts/crash-test to kill part way:
//   vantorix-crash-driver IMAGE add|remove
// Opens IMAGE as File > Open does (with its .org backup), adds or removes the wideband
// patch (bytes all over the image, so that a torn file shows) and saves as File > Save
// does. Runs offscreen; the stand-in question is answered Yes, any other box ends it
// with status 2.
#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/VantorixApplication.h"
#include "app/frmMain.h"

using namespace vantorix;

namespace {

// Any other box means the run did not go as planned: say so and stop rather than wait.
class NoBoxes final : public MessageBoxes {
 public:
  MsgBoxResult Show(QWidget*, const QString& text, MsgBoxStyle style, const QString& title) override {
    if (style == MsgBoxStyle::YesNoExclamation) return MsgBoxResult::Yes;
    std::fprintf(stderr, "%s: %s\n", qPrintable(title), qPrintable(text));
    std::exit(2);
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s IMAGE add|remove\n", argv[0]);
    return 2;
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  VantorixApplication application(argc, argv);
  NoBoxes boxes;
  MainWindowServices services;
  services.boxes = &boxes;
  frmMain window(InitializeSettings(), services);
  window.OpenBinaryFile(true, QString::fromLocal8Bit(argv[1]));
  clsBINFile& image = window.images().gobjBIN();
  const bool add = std::string(argv[2]) == "add";
  if (!(add ? image.AddWBHackToBIN() : image.RemoveWBHackFromBIN())) return 2;
  window.mnuSave_Click();
  return image.Changed() ? 1 : 0;
}
