#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

#include "ScriptedMessageBoxes.h"
#include "app/VantorixApplication.h"
#include "app/frmMain.h"
#include "help/HelpTexts.h"

using namespace vantorix;

class HelpWindowsTest : public QObject {
  Q_OBJECT

 private:
  test::ScriptedMessageBoxes boxes_;
  std::unique_ptr<frmMain> window_;

  QStringList LogSinceStart() {
    QStringList lines;
    auto* list = window_->findChild<QListWidget*>("lstLog");
    for (int row = 8; row < list->count(); ++row) lines << list->item(row)->text().section(", ", 1);
    return lines;
  }
  QString LabelText(QWidget* window, const char* name) {
    return window->findChild<QLabel*>(QString::fromLatin1(name))->text();
  }

 private slots:
  void init() {
    MainWindowServices services;
    services.boxes = &boxes_;
    services.locale = QLocale("en_US");
    window_ = std::make_unique<frmMain>(InitializeSettings(), services);
    window_->show();
  }
  void cleanup() { window_.reset(); }

  void aboutShowsTheVersionFormulaAndDisclaimer() {
    window_->mnuAbout_Click();
    auto* about = window_->findChild<QWidget*>("frmAbout");
    QVERIFY(about != nullptr);
    QCOMPARE(about->windowTitle(), "About");
    QCOMPARE(LabelText(about, "lblTitle"), "Vantorix");
    QCOMPARE(LabelText(about, "lblVersion"), "Version 1.0.1");
    QCOMPARE(LabelText(about, "lblAuthor"), "Author:");
    QCOMPARE(LabelText(about, "lblCopyright"), "Copyright (C) 2026 The Vantorix developers. All rights reserved.");
    QCOMPARE(LabelText(about, "lblGuiltPlea"),
             QStringLiteral("This program is not to be used for any commercial purposes.  It was designed for the DIY "
                            "individual.  Your use of this program is AT YOUR OWN RISK."));
    const QStringList formula = LabelText(about, "lblTargetAFR").split(u'\n');
    QCOMPARE(formula.size(), 7);
    QCOMPARE(formula[1], "WOT AFR = 6553.6/(((TBL L8608 + TBL L860D + 128) * 445)/256)");
    QCOMPARE(formula[6], "WOT AFR = AFR_CONSTANT / (RPM Modifier + Coolant Modifier + 128)");
    QVERIFY(LabelText(about, "Label5")
                .endsWith(QStringLiteral("please visit his webpage at: "
                                         "https://corvennis.example.org/wideband/")));
    QCOMPARE(QString::fromStdString(help::VersionText(1, 0, 12)), "Version 1.0.12");
  }

  void aboutLogsOpeningAndClosingHoweverItIsClosed() {
    window_->mnuAbout_Click();
    window_->findChild<QWidget*>("frmAbout")->findChild<QPushButton*>("cmdOK")->click();
    QTRY_VERIFY(window_->findChild<QWidget*>("frmAbout") == nullptr);
    window_->mnuAbout_Click();
    window_->findChild<QWidget*>("frmAbout")->close();  // the title bar's close button
    QCOMPARE(LogSinceStart(), (QStringList{"Viewing About.", "Exiting About.", "Viewing About.", "Exiting About."}));
  }

  void instructionsShowTheUsageNotesAndLogNothing() {
    window_->mnuInstructions_Click();
    auto* instructions = window_->findChild<QWidget*>("frmInstructions");
    QVERIFY(instructions != nullptr);
    QCOMPARE(instructions->windowTitle(), "Instructions");
    const QString text = LabelText(instructions, "Label1");
    QVERIFY(text.startsWith("Description:\n1. This program only works with $8D and $6E binary files"));
    QVERIFY(text.contains("\n2. This program can do 2 things... \nA) Allows you"));
    QVERIFY(text.contains("all $8D and $6E BCCs.\n\nInstructions:\n1. Use 'File->Open'"));
    QVERIFY(text.contains("Target AFR (either via RPM or Coolant Temperature).  When you make a change"));
    QVERIFY(text.contains("YOU MUST CHOOSE THE 'OK' BUTTON ON THE GRID"));
    QVERIFY(text.contains("or the change will not happen. \n5. Please note"));
    QVERIFY(text.endsWith("please see 'Help->About'."));
    QCOMPARE(text.count(u'\n'), 13);
    instructions->findChild<QPushButton*>("cmdOK")->click();
    QTRY_VERIFY(window_->findChild<QWidget*>("frmInstructions") == nullptr);
    QVERIFY(LogSinceStart().isEmpty());
  }
};

int main(int argc, char** argv) {
  VantorixApplication application(argc, argv);
  HelpWindowsTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "tst_help.moc"
