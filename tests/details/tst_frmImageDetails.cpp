// Binary > Image Details, driven offscreen by object names, on images whose facts the
// test-image builder states on its own; and the history the window program keeps.
#include <QAction>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>
#include <fstream>
#include <memory>

#include "ModalDriver.h"
#include "ScriptedMessageBoxes.h"
#include "TempDir.h"
#include "TestImage.h"
#include "app/NumberText.h"
#include "app/frmMain.h"
#include "details/frmImageDetails.h"
#include "wbpatch/TableSource.h"

using namespace vantorix;
using test::TestImage;

namespace {

// An image that holds the patch table's insertion (or removal) value at every entry.
TestImage Patched(TestImage image, wbpatch::Version version, bool inserted) {
  for (const wbpatch::Entry& entry : wbpatch::BuiltInTables().Load(version).entries)
    image.Byte(entry.offset, inserted ? entry.insertion : entry.removal);
  return image;
}

QString Modifiers(const TestImage& image, std::size_t offset, std::size_t count) {
  QStringList values;
  for (std::size_t k = 0; k < count; ++k) values << QString::number(image.At(offset + k));
  return values.join(u' ');
}

QString Hex4(unsigned value) { return QString::fromStdString(number::HexText(value, 4)); }
int Differing(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
  int count = 0;
  for (std::size_t k = 0; k < a.size(); ++k) count += a[k] != b[k] ? 1 : 0;
  return count;
}

QString Hex2(unsigned value) { return QString::fromStdString(number::HexText(value, 2)); }

// The facts line of an image, from the builder's own knowledge of the format.
QString Facts(const TestImage& image, const QString& transmissionAndCode, const QString& patch) {
  const bool e6 = image.At(TestImage::kMaskOffset) == 0x6E;
  const unsigned stored = image.At(6) * 256U + image.At(7);
  const QString agreement = stored == image.ExpectedChecksum() ? " (agrees)" : " (does not agree with the stored checksum)!";
  return QStringList{"%1", "32768 bytes", e6 ? "$6E" : "$8D", QString::number(image.At(0) * 256U + image.At(1)),
                     Hex4(stored), Hex4(image.ExpectedChecksum()) + agreement, transmissionAndCode, patch,
                     "built-in stand-in", Modifiers(image, e6 ? TestImage::kCoolant6E : TestImage::kCoolant8D, 9),
                     Modifiers(image, e6 ? TestImage::kRpm6E : TestImage::kRpm8D, 17)}
      .join(u'|');
}

QByteArray Bytes(const TestImage& image) {
  return {reinterpret_cast<const char*>(image.Bytes().data()), static_cast<qsizetype>(image.Bytes().size())};
}

// Before and after: an $8D AUJP image whose RPM modifier at 2400 RPM becomes 0x99.
const TestImage kTuned = Patched(TestImage(32768, 0x8D).Aujp().PromId(1).Manual(false), wbpatch::Version::Aujp8D, false)
                             .CorrectChecksum();
const TestImage kSaved = TestImage(kTuned).Byte(TestImage::kRpm8D + 6, 0x99).CorrectChecksum();

}  // namespace

class ImageDetailsTest : public QObject {
  Q_OBJECT

  std::unique_ptr<test::TempDir> dir_;
  test::ScriptedMessageBoxes boxes_;
  wbpatch::BuiltInTables tables_;
  std::unique_ptr<frmMain> window_;

  QString Write(const TestImage& image, const char* name = "cal.bin") {
    return QString::fromStdString(image.WriteTo(dir_->Path() / name).string());
  }
  void Trigger(const char* action) { window_->findChild<QAction*>(action)->trigger(); }
  frmImageDetails* Details() { return window_->findChild<frmImageDetails*>("frmImageDetails"); }
  // Every fact in one line ("!" marks the warning style), then the changes, then the
  // versions without their times.
  QStringList State() {
    QStringList facts;
    for (const char* name : {"lblPath", "lblSize", "lblMask", "lblPromId", "lblStoredChecksum", "lblComputedChecksum",
                             "lblTransmission", "lblBcc", "lblPatch", "lblPatchTable", "lblCoolantModifiers",
                             "lblRpmModifiers"}) {
      const QLabel* label = Details()->findChild<QLabel*>(name);
      facts << label->text() + (label->property("warning").toBool() ? "!" : "");
    }
    QStringList state{facts.join(u'|')};
    const auto* changes = Details()->findChild<QListWidget*>("lstChanges");
    for (int row = 0; row < changes->count(); ++row) state << changes->item(row)->text().simplified();
    const auto* versions = Details()->findChild<QTreeWidget*>("lstVersions");
    for (int row = 0; row < versions->topLevelItemCount(); ++row) {
      const QTreeWidgetItem* item = versions->topLevelItem(row);
      state << QStringList{item->text(0), item->text(2), item->text(3), item->text(4), item->text(5), item->text(6),
                           item->text(7)}
                   .join(u' ');
    }
    return state;
  }
  QStringList HistoryLines() {
    QStringList lines;
    for (int row = 0; row < window_->findChild<QListWidget*>("lstLog")->count(); ++row)
      if (const QString line = window_->findChild<QListWidget*>("lstLog")->item(row)->text(); line.contains("history"))
        lines << line.section(", ", 1);
    return lines;
  }

 private slots:
  void init() {
    dir_ = std::make_unique<test::TempDir>();
    qputenv("XDG_DATA_HOME", QFile::encodeName(QString::fromStdString((dir_->Path() / "data").string())));
    qunsetenv("VANTORIX_NO_HISTORY");
    boxes_ = test::ScriptedMessageBoxes();
    MainWindowServices services;
    services.boxes = &boxes_;
    services.patchTables = &tables_;
    services.locale = QLocale("en_US");
    services.nativeFileDialog = false;
    window_ = std::make_unique<frmMain>(InitializeSettings(), services);
    window_->show();
  }
  void cleanup() {
    window_.reset();
    dir_.reset();
  }

  void showsWhatTheImageHoldsAndFollowsItsChanges_data() {
    QTest::addColumn<QByteArray>("image");
    QTest::addColumn<QString>("change");     // the line a change in memory shows; none: the image is only looked at
    QTest::addColumn<QStringList>("state");  // "%1" stands for the path
    const TestImage stock8D = Patched(TestImage(32768, 0x8D).Axxc().PromId(4613).Manual(true).StoredChecksum(0x1234),
                                      wbpatch::Version::Axxc8D, false);
    const TestImage patched6E =
        Patched(TestImage(32768, 0x6E).PromId(7).Manual(false), wbpatch::Version::Mask6E, true).CorrectChecksum();
    const QString none = "No changes since the image was opened.";
    QTest::newRow("8D AXXC, stored checksum disagrees")
        << Bytes(stock8D) << QString()
        << QStringList{Facts(stock8D, "MANUAL|AXXC", "absent (8D/AXXC, all 126 entries unpatched)"), none,
                       "1 opened 32768 $8D 4613 1234 first seen"};
    QTest::newRow("6E with the patch")
        << Bytes(patched6E) << QString()
        << QStringList{Facts(patched6E, "AUTO|ARAP or APYP", "present (6E, all 524 entries patched)"), none,
                       "1 opened 32768 $6E 7 " + Hex4(patched6E.ExpectedChecksum()) + " first seen"};
    const unsigned before = kTuned.At(6) * 256U + kTuned.At(7);
    const unsigned after = kSaved.At(6) * 256U + kSaved.At(7);
    const QString checksumRun = before >> 8U != after >> 8U
                                    ? QStringLiteral("0x0006-0x0007 2 bytes checksum: %1 %2 -> %3 %4")
                                          .arg(Hex2(before >> 8U), Hex2(before & 0xFFU), Hex2(after >> 8U), Hex2(after & 0xFFU))
                                    : QStringLiteral("0x0007 1 byte checksum: %1 -> %2").arg(Hex2(before & 0xFFU), Hex2(after & 0xFFU));
    const QString rpmRun = "0x061D 1 byte PE RPM modifiers: " + Hex2(kTuned.At(0x061D)) + " -> 99";
    QTest::newRow("8D changed in memory, then saved")
        << Bytes(kTuned) << rpmRun
        << QStringList{Facts(kSaved, "AUTO|AUJP", "absent (8D/AUJP, all 126 entries unpatched)"), checksumRun, rpmRun,
                       "2 saved 32768 $8D 1 " + Hex4(after) + " " + QString::number(Differing(kTuned.Bytes(), kSaved.Bytes())) + " bytes",
                       "1 opened 32768 $8D 1 " + Hex4(before) + " first seen"};
  }
  void showsWhatTheImageHoldsAndFollowsItsChanges() {
    QFETCH(QByteArray, image);
    QFETCH(QString, change);
    QFETCH(QStringList, state);
    const QString path = QString::fromStdString((dir_->Path() / "cal.bin").string());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(image) == image.size());
    file.close();
    window_->OpenBinaryFile(true, path);
    Trigger("mnuImageDetails");
    if (!change.isEmpty()) {
      window_->images().gobjBIN().PutPEModifier_RPM(7, 0x99);
      QTRY_COMPARE(State().value(1), change);  // no command told the window: it follows the image
      Trigger("mnuSave");
    }
    state[0] = state[0].arg(path);
    QCOMPARE(State(), state);
  }

  void aHistoryThatCannotBeWrittenNeitherStopsAnOpenNorASave_data() {
    QTest::addColumn<bool>("damaged");
    QTest::addColumn<QString>("told");  // the start of the one line; "%1" stands for the database
    QTest::newRow("damaged") << true << "The version history %1 was damaged: it was moved aside as %1.damaged-";
    QTest::newRow("cannot be made") << false << "The version history was not kept: ";
  }
  void aHistoryThatCannotBeWrittenNeitherStopsAnOpenNorASave() {
    QFETCH(bool, damaged);
    QFETCH(QString, told);
    const std::filesystem::path data = dir_->Path() / "data" / "Vantorix";
    std::filesystem::create_directories(damaged ? data : data.parent_path());
    std::ofstream(damaged ? data / "history.sqlite" : data) << std::string(4096, 'x');  // no folder can be made there
    const QString path = Write(kTuned);
    window_->OpenBinaryFile(true, path);
    window_->images().gobjBIN().PutPEModifier_RPM(7, 0x99);
    Trigger("mnuSave");
    QCOMPARE(test::ReadFile(path.toStdString()), kSaved.Bytes());
    QCOMPARE(HistoryLines().size(), 1);
    QVERIFY2(HistoryLines().front().startsWith(told.replace("%1", QString::fromStdString((data / "history.sqlite").string()))),
             qPrintable(HistoryLines().front()));
  }

  void copiesAVersionOutButNeverOverAFile() {
    const QString path = Write(kTuned);
    window_->OpenBinaryFile(true, path);
    window_->images().gobjBIN().PutPEModifier_RPM(7, 0x99);
    Trigger("mnuSave");
    Trigger("mnuImageDetails");
    auto* versions = Details()->findChild<QTreeWidget*>("lstVersions");
    versions->setCurrentItem(versions->topLevelItem(1));  // version 1, as opened
    const QString copy = QString::fromStdString((dir_->Path() / "copy.bin").string());
    for (const QString& target : {copy, path}) {
      test::WhenModalShown<QFileDialog>([target](QFileDialog& dialog) {
        dialog.findChild<QLineEdit*>("fileNameEdit")->setText(target);  // typed, as a user would
        static_cast<QDialog&>(dialog).accept();
      });
      Details()->findChild<QPushButton*>("cmdCopyVersion")->click();
    }
    QCOMPARE(test::ReadFile(copy.toStdString()), kTuned.Bytes());
    QCOMPARE(test::ReadFile(path.toStdString()), kSaved.Bytes());  // the open image was not written over
    QCOMPARE(boxes_.shown.size(), 1);
  }
};

QTEST_MAIN(ImageDetailsTest)
#include "tst_frmImageDetails.moc"
