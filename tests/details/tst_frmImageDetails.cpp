// Binary > Image Details, driven offscreen by object names, on images whose facts the
// test-image builder states on its own; and the history the window program keeps.
#include <fstream>

#include "../wbpatch/PatchFacts.h"
#include "MainWindowFixture.h"
#include "details/frmImageDetails.h"
#include "foundation/NumberText.h"

using namespace vantorix;
using test::TestImage;

namespace {

QString Hex(unsigned value, int digits) { return QString::fromStdString(number::HexText(value, digits)); }

QString Bytes(const TestImage& image, std::size_t offset, std::size_t count, bool hex = false) {
  QStringList values;
  for (std::size_t k = offset; k < offset + count; ++k)
    values << (hex ? Hex(image.At(k), 2) : QString::number(image.At(k)));
  return values.join(u' ');
}

// The facts line of an image, from the builder's own knowledge of the format ($8D: the
// patch absent); "!" marks the warning style of a stored checksum that disagrees.
QString Facts(const TestImage& image, const QString& transmissionAndCode, QString patch = {},
              const QString& disagreement = " (does not agree with the stored checksum)!") {
  if (patch.isEmpty())
    patch = "absent (8D/" + transmissionAndCode.section(u'|', 1) +
            ": of the 39 entries that tell patched from unpatched, 0 patched, 39 unpatched)";
  const unsigned stored = image.At(6) * 256U + image.At(7);
  const QString agreement = stored == image.ExpectedChecksum() ? " (agrees)" : disagreement;
  const QString mask = image.At(TestImage::kMaskOffset) == 0x6E ? "$6E" : "$8D";
  return (QStringList() << "%1" << QString("32768 bytes") << mask << QString::number(image.At(0) * 256U + image.At(1))
                        << Hex(stored, 4) << Hex(image.ExpectedChecksum(), 4) + agreement << transmissionAndCode
                        << patch << QString("built-in stand-in") << Bytes(image, image.CoolantOffset(), 9)
                        << Bytes(image, image.RpmOffset(), 17))
      .join(u'|');
}

}  // namespace

class ImageDetailsTest : public QObject {
  Q_OBJECT

  test::MainWindowFixture main_;
  std::unique_ptr<test::TempDir> data_;  // the history's home
  wbpatch::BuiltInTables tables_;

  template <class Control>
  Control* Find(const char* name) {
    return main_.window->findChild<frmImageDetails*>()->findChild<Control*>(name);
  }
  // As `vantorix FILE` opens it, then the details.
  QString Open(const TestImage& image, const char* name = "cal.bin", bool details = true) {
    const QString path = main_.Write(image, name);
    main_.window->OpenGivenFiles({path});
    QCoreApplication::processEvents();
    if (details) main_.window->findChild<QAction*>("mnuImageDetails")->trigger();
    return path;
  }
  QStringList RecentImages() {
    QStringList texts;
    for (const QAction* action : main_.window->findChild<QMenu*>("mnuRecent")->actions()) texts << action->text();
    return texts;
  }
  // Every fact in one line ("~" after a text the window shows cut), then the changes, then
  // the versions without their times.
  QStringList State() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    QStringList facts;
    for (const char* name :
         {"lblPath", "lblSize", "lblMask", "lblPromId", "lblStoredChecksum", "lblComputedChecksum", "lblTransmission",
          "lblBcc", "lblPatch", "lblPatchTable", "lblCoolantModifiers", "lblRpmModifiers"}) {
      const QLabel& label = *Find<QLabel>(name);
      const QSize shown = (label.visibleRegion().boundingRect() & label.contentsRect()).size();
      const QSize text =
          label.fontMetrics()
              .boundingRect(QRect(0, 0, label.wordWrap() ? shown.width() : QWIDGETSIZE_MAX, QWIDGETSIZE_MAX),
                            Qt::TextWordWrap, label.text())
              .size();
      facts << label.text() + (label.property("warning").toBool() ? "!" : "") +
                   (text.width() > shown.width() || text.height() > shown.height() ? "~" : "");
    }
    QStringList state{facts.join(u'|')};
    for (int row = 0; row < Find<QListWidget>("lstChanges")->count(); ++row)
      state << Find<QListWidget>("lstChanges")->item(row)->text().simplified();
    for (int row = 0; row < Find<QTreeWidget>("lstVersions")->topLevelItemCount(); ++row) {
      QStringList columns;
      for (const int column : {0, 2, 3, 4, 5, 6, 7})
        columns << Find<QTreeWidget>("lstVersions")->topLevelItem(row)->text(column);
      state << columns.join(u' ');
    }
    return state;
  }

 private slots:
  void init() {
    data_ = std::make_unique<test::TempDir>();
    qputenv("XDG_DATA_HOME", QFile::encodeName(QString::fromStdString(data_->Path().string())));
    qunsetenv("VANTORIX_NO_HISTORY");
    QVERIFY(main_.Start(&tables_));
  }
  void cleanup() { main_.Stop(), data_.reset(); }

  // The window follows the image it shows: a change made in memory, with no command to
  // tell it, then the save and the versions the history keeps, one of them copied out.
  void showsWhatTheImageHoldsAndFollowsItsChanges() {
    QTRY_VERIFY(!main_.window->findChild<QMenu*>("mnuRecent")->isEnabled());  // nothing opened yet
    const TestImage axxc = test::StockImage(wbpatch::Version::Axxc8D).PromId(4613).Manual(true).StoredChecksum(0x1234);
    const QString first = Open(axxc, "first.bin");
    const QString none = "No changes since the image was opened.";
    QCOMPARE(State(),
             (QStringList{Facts(axxc, "MANUAL|AXXC").arg(first), none, "1 opened 32768 $8D 4613 1234 first seen"}));
    QCOMPARE(test::ReadFile(first.toStdString() + ".org"), axxc.Bytes());
    // Its file stores a wrong checksum: the warning stays through changes in memory.
    main_.window->images().gobjBIN().PutPEModifier_RPM(1, 99);
    QTRY_COMPARE(State().value(0), Facts(TestImage(axxc).Byte(TestImage::kRpm8D, 99), "MANUAL|AXXC").arg(first));
    main_.boxes.script.answers = {MsgBoxResult::No};  // not saved

    TestImage e6 = TestImage(32768, 0x6E).PromId(7).Manual(false);  // the stand-in's own values: present
    for (const wbpatch::Entry& entry : tables_.Load(wbpatch::Version::Mask6E).entries)
      if (entry.insertion) e6.Byte(entry.offset, *entry.insertion);
    e6.CorrectChecksum();
    const QString patched = Open(e6, "patched.bin");
    QTRY_COMPARE(
        State(),
        (QStringList{Facts(e6, "AUTO|ARAP or APYP",
                           "present (6E: of the 8 entries that tell patched from unpatched, 8 patched, 0 unpatched)")
                         .arg(patched),
                     none, "2 opened 32768 $6E 7 " + Hex(e6.ExpectedChecksum(), 4) + " first seen"}));

    // RPM modifiers at 2400 and 2800 RPM change by +1 and -1: the checksum stays as it was.
    const TestImage tuned = test::StockImage(wbpatch::Version::Aujp8D).PromId(1).Manual(false).CorrectChecksum();
    const std::size_t k2400 = TestImage::kRpm8D + 6;
    const TestImage saved = TestImage(tuned).Byte(k2400, tuned.At(k2400) + 1).Byte(k2400 + 1, tuned.At(k2400 + 1) - 1);
    const QString path = Open(tuned);
    clsBINFile& image = main_.window->images().gobjBIN();
    image.PutPEModifier_RPM(7, saved.At(k2400));
    QTRY_COMPARE(
        State().value(0),
        Facts(TestImage(tuned).Byte(k2400, saved.At(k2400)), "AUTO|AUJP", {}, " — stored when you save").arg(path));
    image.PutPEModifier_RPM(8, saved.At(k2400 + 1));
    main_.window->findChild<QAction*>("mnuSave")->trigger();
    const QString checksum = Hex(tuned.ExpectedChecksum(), 4);
    QCOMPARE(State(), (QStringList{Facts(saved, "AUTO|AUJP").arg(path),
                                   "0x061D-0x061E 2 bytes PE RPM modifiers: " + Bytes(tuned, k2400, 2, true) + " -> " +
                                       Bytes(saved, k2400, 2, true),
                                   "4 saved 32768 $8D 1 " + checksum + " 2 bytes",
                                   "3 opened 32768 $8D 1 " + checksum + " first seen"}));
    // Version 1, as opened, copied out to a new file and, refused, over the open image.
    Find<QTreeWidget>("lstVersions")->setCurrentItem(Find<QTreeWidget>("lstVersions")->topLevelItem(1));
    const QString copy = QString::fromStdString((main_.dir->Path() / "copy.bin").string());
    for (const QString& target : {copy, path}) {
      test::WhenModalShown<QFileDialog>([target](QFileDialog& dialog) {
        dialog.findChild<QLineEdit*>("fileNameEdit")->setText(target);  // typed, as a user would
        static_cast<QDialog&>(dialog).accept();
      });
      Find<QPushButton>("cmdCopyVersion")->click();
    }
    QCOMPARE(test::ReadFile(copy.toStdString()), tuned.Bytes());
    QCOMPARE(test::ReadFile(path.toStdString()), saved.Bytes());
    QCOMPARE(main_.boxes.shown.size(), 2);  // the save question, the copy over the image

    // File > Recent Images: the latest first, and so again at the next start, from the history.
    const QStringList recent{"&1  " + path, "&2  " + patched, "&3  " + first};
    QCOMPARE(RecentImages(), recent);
    main_.Stop();  // its folder, with the files, goes
    QVERIFY(main_.Start(&tables_));
    QTRY_COMPARE(RecentImages(), recent);
    main_.window->findChild<QAction*>("mnuRecent2")->trigger();
    QCOMPARE(main_.boxes.shown, QStringList{"Exclamation File Access Error: File does not exist.  Please try again."});
    // Eight at most: six more push the first out.
    for (const char* name : {"4.bin", "5.bin", "6.bin", "7.bin", "8.bin", "9.bin"}) Open(TestImage(), name, false);
    QCOMPARE(RecentImages().mid(6), QStringList({"&7  " + path, "&8  " + patched}));
  }

  void aHistoryThatCannotBeWrittenNeitherStopsAnOpenNorASaveAndIsToldOnce() {
    std::ofstream(data_->Path() / "Vantorix") << "a file where the folder would be";
    const QString path = Open(TestImage(), "cal.bin", false);
    main_.window->images().gobjBIN().PutPEModifier_RPM(7, 1);
    main_.window->findChild<QAction*>("mnuSave")->trigger();
    QCOMPARE(test::ReadFile(path.toStdString()), TestImage().Byte(TestImage::kRpm8D + 6, 1).CorrectChecksum().Bytes());
    QCOMPARE(main_.Log().filter("history", Qt::CaseInsensitive).replaceInStrings(QRegularExpression(": .*"), ":"),
             QStringList{"The version history was not kept:"});  // once, after the time, with its reason
  }
};

QTEST_MAIN(ImageDetailsTest)
#include "tst_frmImageDetails.moc"
