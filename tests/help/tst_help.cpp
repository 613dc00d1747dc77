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
    auto* list = window_->findChild<QListWidget*>(QStringLiteral("lstLog"));
    for (int row = 8; row < list->count(); ++row) lines << list->item(row)->text().section(QStringLiteral(", "), 1);
    return lines;
  }
  QString LabelText(QWidget* window, const char* name) {
    return window->findChild<QLabel*>(QString::fromLatin1(name))->text();
  }

 private slots:
  void init() {
    MainWindowServices services;
    services.boxes = &boxes_;
    services.locale = QLocale(QStringLiteral("en_US"));
    window_ = std::make_unique<frmMain>(InitializeSettings(), services);
    window_->show();
  }
  void cleanup() { window_.reset(); }

  void aboutShowsTheVersionFormulaAndDisclaimer() {
    window_->mnuAbout_Click();
    auto* about = window_->findChild<QWidget*>(QStringLiteral("frmAbout"));
    QVERIFY(about != nullptr);
    QCOMPARE(about->windowTitle(), QStringLiteral("About"));
    QCOMPARE(LabelText(about, "lblTitle"), QStringLiteral("Vantorix"));
    QCOMPARE(LabelText(about, "lblVersion"), QStringLiteral("Version 1.0.1"));
    QCOMPARE(LabelText(about, "lblAuthor"), QStringLiteral("Author:"));
    QCOMPARE(LabelText(about, "lblCopyright"), QStringLiteral("Copyright (C) 2026 The Vantorix developers. All rights reserved."));
    QCOMPARE(LabelText(about, "lblGuiltPlea"),
             QStringLiteral("This program is not to be used for any commercial purposes.  It was designed for the DIY "
                            "individual.  Your use of this program is AT YOUR OWN RISK."));
    const QStringList formula = LabelText(about, "lblTargetAFR").split(u'\n');
    QCOMPARE(formula.size(), 7);
    QCOMPARE(formula[1], QStringLiteral("WOT AFR = 6553.6/(((TBL L8608 + TBL L860D + 128) * 445)/256)"));
    QCOMPARE(formula[6], QStringLiteral("WOT AFR = AFR_CONSTANT / (RPM Modifier + Coolant Modifier + 128)"));
    QVERIFY(LabelText(about, "Label5").endsWith(QStringLiteral("please visit his webpage at: "
                                                               "https://corvennis.example.org/wideband/")));
    QCOMPARE(QString::fromStdString(help::VersionText(1, 0, 12)), QStringLiteral("Version 1.0.12"));
  }

  void aboutLogsOpeningAndClosingHoweverItIsClosed() {
    window_->mnuAbout_Click();
    window_->findChild<QWidget*>(QStringLiteral("frmAbout"))->findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
    QTRY_VERIFY(window_->findChild<QWidget*>(QStringLiteral("frmAbout")) == nullptr);
    window_->mnuAbout_Click();
    window_->findChild<QWidget*>(QStringLiteral("frmAbout"))->close();  // the title bar's close button
    QCOMPARE(LogSinceStart(), (QStringList{QStringLiteral("Viewing About."), QStringLiteral("Exiting About."),
                                           QStringLiteral("Viewing About."), QStringLiteral("Exiting About.")}));
  }

  void instructionsShowTheUsageNotesAndLogNothing() {
    window_->mnuInstructions_Click();
    auto* instructions = window_->findChild<QWidget*>(QStringLiteral("frmInstructions"));
    QVERIFY(instructions != nullptr);
    QCOMPARE(instructions->windowTitle(), QStringLiteral("Instructions"));
    const QString text = LabelText(instructions, "Label1");
    QVERIFY(text.startsWith(QStringLiteral("Description:\n1. This program only works with $8D and $6E binary files")));
    QVERIFY(text.contains(QStringLiteral("\n2. This program can do 2 things... \nA) Allows you")));
    QVERIFY(text.contains(QStringLiteral("all $8D and $6E BCCs.\n\nInstructions:\n1. Use 'File->Open'")));
    QVERIFY(text.contains(QStringLiteral("Target AFR (either via RPM or Coolant Temperature).  When you make a change")));
    QVERIFY(text.contains(QStringLiteral("YOU MUST CHOOSE THE 'OK' BUTTON ON THE GRID")));
    QVERIFY(text.contains(QStringLiteral("or the change will not happen. \n5. Please note")));
    QVERIFY(text.endsWith(QStringLiteral("please see 'Help->About'.")));
    QCOMPARE(text.count(u'\n'), 13);
    instructions->findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
    QTRY_VERIFY(window_->findChild<QWidget*>(QStringLiteral("frmInstructions")) == nullptr);
    QVERIFY(LogSinceStart().isEmpty());
  }
};

int main(int argc, char** argv) {
  VantorixApplication application(argc, argv);
  HelpWindowsTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "tst_help.moc"
