// Writes the application icon as PNG files for the desktop's icon theme:
//   vantorix-icons <folder>  ->  <folder>/<N>x<N>/apps/org.example.Vantorix.png
#include <QDir>
#include <QGuiApplication>
#include <cstdio>

#include "widgets/AppIcon.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication application(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: vantorix-icons <folder>\n");
    return 2;
  }
  for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
    const QString folder = QStringLiteral("%1/%2x%2/apps").arg(QString::fromLocal8Bit(argv[1])).arg(size);
    if (!QDir().mkpath(folder) ||
        !vantorix::AppIconPixmap(size).save(folder + QStringLiteral("/org.example.Vantorix.png"))) {
      std::fprintf(stderr, "cannot write the %dx%d icon into %s\n", size, size, qPrintable(folder));
      return 1;
    }
  }
  return 0;
}
