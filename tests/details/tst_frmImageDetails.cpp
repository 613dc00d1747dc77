// Binary > Image Details, driven offscreen by object names, on images whose facts the
// test-image builder states on its own; and the history the window program keeps.
#include <QtTest>
#include <QtWidgets>
#include <fstream>

#include "ModalDriver.h"
#include "ScriptedMessageBoxes.h"
#include "TempDir.h"
#include "TestImage.h"
#include "app/NumberText.h"
#include "app/frmMain.h"
#include "details/frmImageDetails.h"

using namespace vantorix;
using test::TestImage;
Q_DECLARE_METATYPE(TestImage)

namespace {

// An image that holds the patch table's insertion (or removal) value at every entry.
TestImage Patched(TestImage image, wbpatch::Version version, bool inserted) {
  for (const wbpatch::Entry& entry : wbpatch::BuiltInTables().Load(version).entries)
    image.Byte(entry.offset, (inserted ? entry.insertion : entry.removal).value_or(image.At(entry.offset)));
  return image;
}

QString Hex(unsigned value, int digits) { return QString::fromStdString(number::HexText(value, digits)); }

QString Bytes(const TestImage& image, std::size_t offset, std::size_t count, bool hex = false) {
  QStringList values;
  for (std::size_t k = offset; k < offset + count; ++k) values << (hex ? Hex(image.At(k), 2) : QString::number(image.At(k)));
  return values.join(u' ');
}

// The facts line of an image, from the builder's own knowledge of the format.
QString Facts(const TestImage& image, const QString& transmissionAndCode, const QString& patch) {
  const bool e6 = image.At(TestImage::kMaskOffset) == 0x6E;
  const unsigned stored = image.At(6) * 256U + image.At(7);
  const QString agreement = stored == image.ExpectedChecksum() ? " (agrees)" : " (does not agree with the stored checksum)!";
  return QStringList{"%1", "32768 bytes", e6 ? "$6E" : "$8D", QString::number(image.At(0) * 256U + image.At(1)),
                     Hex(stored, 4), Hex(image.ExpectedChecksum(), 4) + agreement, transmissionAndCode, patch,
                     "built-in stand-in", Bytes(image, e6 ? TestImage::kCoolant6E : TestImage::kCoolant8D, 9),
                     Bytes(image, e6 ? TestImage::kRpm6E : TestImage::kRpm8D, 17)}
      .join(u'|');
}

// Before and after: an $8D AUJP image whose RPM modifiers at 2400 and 2800 RPM change by
// +1 and -1, so that its checksum stays as it was.
const TestImage kTuned =
    Patched(TestImage(32768, 0x8D).Aujp().PromId(1).Manual(false), wbpatch::Version::Aujp8D, false).CorrectChecksum();
const std::size_t k2400 = TestImage::kRpm8D + 6;
const TestImage kSaved = TestImage(kTuned)
                             .Byte(k2400, static_cast<std::uint8_t>(kTuned.At(k2400) + 1))
                             .Byte(k2400 + 1, static_cast<std::uint8_t>(kTuned.At(k2400 + 1) - 1));

}  // namespace

class ImageDetailsTest : public QObject {
  Q_OBJECT

  std::unique_ptr<test::TempDir> dir_;
  test::ScriptedMessageBoxes boxes_;
  wbpatch::BuiltInTables tables_;
  std::unique_ptr<frmMain> window_;

  void Trigger(const char* action) { window_->findChild<QAction*>(action)->trigger(); }
  template <class Control>
  Control* Find(const char* name) { return window_->findChild<frmImageDetails*>()->findChild<Control*>(name); }
  QString Open(const TestImage& image) {
    const QString path = QString::fromStdString(image.WriteTo(dir_->Path() / "cal.bin").string());
    window_->OpenBinaryFile(true, path);
    return path;
  }
  void ChangeAndSave() {
    clsBINFile& image = window_->images().gobjBIN();
    image.PutPEModifier_RPM(7, kSaved.At(k2400));
    image.PutPEModifier_RPM(8, kSaved.At(k2400 + 1));
    Trigger("mnuSave");
  }
  // Every fact in one line ("!" marks the warning style), then the changes, then the
  // versions without their times.
  QStringList State() {
    QStringList facts;
    for (const char* name : {"lblPath", "lblSize", "lblMask", "lblPromId", "lblStoredChecksum", "lblComputedChecksum",
                             "lblTransmission", "lblBcc", "lblPatch", "lblPatchTable", "lblCoolantModifiers",
                             "lblRpmModifiers"})
      facts << Find<QLabel>(name)->text() + (Find<QLabel>(name)->property("warning").toBool() ? "!" : "");
    QStringList state{facts.join(u'|')};
    for (int row = 0; row < Find<QListWidget>("lstChanges")->count(); ++row)
      state << Find<QListWidget>("lstChanges")->item(row)->text().simplified();
    for (int row = 0; row < Find<QTreeWidget>("lstVersions")->topLevelItemCount(); ++row) {
      QStringList columns;
      for (const int column : {0, 2, 3, 4, 5, 6, 7}) columns << Find<QTreeWidget>("lstVersions")->topLevelItem(row)->text(column);
      state << columns.join(u' ');
    }
    return state;
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
    services.nativeFileDialog = false;
    window_ = std::make_unique<frmMain>(InitializeSettings(), services);
    window_->show();
  }
  void cleanup() {
    window_.reset();
    dir_.reset();
  }

  void showsWhatTheImageHoldsAndFollowsItsChanges_data() {
    QTest::addColumn<TestImage>("image");
    QTest::addColumn<bool>("changed");       // changed in memory, then saved; its first version copied out
    QTest::addColumn<QStringList>("state");  // "%1" stands for the path
    const TestImage stock8D = Patched(TestImage(32768, 0x8D).Axxc().PromId(4613).Manual(true).StoredChecksum(0x1234),
                                      wbpatch::Version::Axxc8D, false);
    const TestImage patched6E =
        Patched(TestImage(32768, 0x6E).PromId(7).Manual(false), wbpatch::Version::Mask6E, true).CorrectChecksum();
    const QString none = "No changes since the image was opened.";
    const QString checksum = Hex(kTuned.ExpectedChecksum(), 4);
    QTest::newRow("8D AXXC, stored checksum disagrees")
        << stock8D << false
        << QStringList{Facts(stock8D, "MANUAL|AXXC", "absent (8D/AXXC: of the 39 entries that tell patched from unpatched, 0 patched, 39 unpatched)"), none,
                       "1 opened 32768 $8D 4613 1234 first seen"};
    QTest::newRow("6E with the patch")
        << patched6E << false
        << QStringList{Facts(patched6E, "AUTO|ARAP or APYP", "present (6E: of the 8 entries that tell patched from unpatched, 8 patched, 0 unpatched)"), none,
                       "1 opened 32768 $6E 7 " + Hex(patched6E.ExpectedChecksum(), 4) + " first seen"};
    QTest::newRow("8D changed in memory, saved, a version copied out")
        << kTuned << true
        << QStringList{Facts(kSaved, "AUTO|AUJP", "absent (8D/AUJP: of the 39 entries that tell patched from unpatched, 0 patched, 39 unpatched)"),
                       "0x061D-0x061E 2 bytes PE RPM modifiers: " + Bytes(kTuned, k2400, 2, true) + " -> " +
                           Bytes(kSaved, k2400, 2, true),
                       "2 saved 32768 $8D 1 " + checksum + " 2 bytes", "1 opened 32768 $8D 1 " + checksum + " first seen"};
  }
  void showsWhatTheImageHoldsAndFollowsItsChanges() {
    QFETCH(TestImage, image);
    QFETCH(bool, changed);
    QFETCH(QStringList, state);
    const QString path = Open(image);
    Trigger("mnuImageDetails");
    if (changed) {
      window_->images().gobjBIN().PutPEModifier_RPM(7, kSaved.At(k2400));
      QTRY_COMPARE(State().value(1).left(6), "0x061D");  // no command told the window: it follows the image
      ChangeAndSave();
    }
    state[0] = state[0].arg(path);
    QCOMPARE(State(), state);
    if (!changed) return;
    // Version 1, as opened, copied out to a new file and, refused, over the open image.
    Find<QTreeWidget>("lstVersions")->setCurrentItem(Find<QTreeWidget>("lstVersions")->topLevelItem(1));
    const QString copy = QString::fromStdString((dir_->Path() / "copy.bin").string());
    for (const QString& target : {copy, path}) {
      test::WhenModalShown<QFileDialog>([target](QFileDialog& dialog) {
        dialog.findChild<QLineEdit*>("fileNameEdit")->setText(target);  // typed, as a user would
        static_cast<QDialog&>(dialog).accept();
      });
      Find<QPushButton>("cmdCopyVersion")->click();
    }
    QCOMPARE(test::ReadFile(copy.toStdString()), kTuned.Bytes());
    QCOMPARE(test::ReadFile(path.toStdString()), kSaved.Bytes());
    QCOMPARE(boxes_.shown.size(), 1);
  }

  void aHistoryThatCannotBeWrittenNeitherStopsAnOpenNorASaveAndIsToldOnce() {
    std::filesystem::create_directories(dir_->Path() / "data");
    std::ofstream(dir_->Path() / "data" / "Vantorix") << "a file where the folder would be";
    const QString path = Open(kTuned);
    ChangeAndSave();
    QCOMPARE(test::ReadFile(path.toStdString()), kSaved.Bytes());
    const auto log = window_->findChild<QListWidget*>("lstLog")->findItems("history", Qt::MatchContains);
    QCOMPARE(log.size(), 1);
    QVERIFY2(log.front()->text().contains(", The version history was not kept: "), qPrintable(log.front()->text()));
  }
};

QTEST_MAIN(ImageDetailsTest)
#include "tst_frmImageDetails.moc"
