// The main dialog with the real engine in a real X session: the edition
// list, a conversion with each listed edition (the same tree the engine
// writes when asked directly), and the result link, which hands the new
// start page to the desktop's opener: here a stand-in xdg-open on PATH that
// writes down what it was given.
#include <QComboBox>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include "ui/common/dialog_model.h"
#include "ui/qt/hyper_link.h"
#include "ui/qt/main_dialog.h"
#include "ui/qt/qt_support.h"
#include "ui_test_support.h"

using namespace marlix;
using namespace marlix::ui;
using namespace marlix::ui::testing;

namespace {

// Every file under folder, relative, with its bytes.
QMap<QString, QByteArray> Tree(const QString& folder) {
  QMap<QString, QByteArray> files;
  QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QString path = it.next();
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) files.insert(QDir(folder).relativeFilePath(path), file.readAll());
  }
  return files;
}

}  // namespace

class EditionsTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir home_;
  QTemporaryDir tools_;
  MainDialog* dialog_ = nullptr;
  QStringList messages_;

  QString openedLog() const { return tools_.filePath(QStringLiteral("opened.log")); }
  QStringList opened() const {
    QFile log(openedLog());
    if (!log.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(log.readAll()).split(u'\n', Qt::SkipEmptyParts);
  }
  QComboBox* choice() const { return dialog_->editionChoice(); }
  HyperLink* link() const { return dialog_->resultLink(); }
  void convert(const QString& destination, const QString& name) {
    dialog_->field(kIdSourceFolder)->setText(QStringLiteral(MARLIX_SAMPLE_REFERENCE_DIR));
    dialog_->field(kIdDestinationFolder)->setText(destination);
    dialog_->field(kIdDestinationName)->setText(name);
    QTest::mouseClick(dialog_->button(kIdConvert), Qt::LeftButton);
  }
  void clickLink() {
    const QRect text = link()->textRect();
    QTest::mouseMove(link(), text.center());
    QTest::mouseClick(link(), Qt::LeftButton, Qt::NoModifier, text.center());
  }

 private slots:
  void initTestCase() {
    QVERIFY(home_.isValid());
    QVERIFY(tools_.isValid());
    // The desktop's opener, as Qt finds it: the first xdg-open on PATH.
    const QString opener = tools_.filePath(QStringLiteral("xdg-open"));
    QFile script(opener);
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write(QStringLiteral("#!/bin/sh\nprintf '%s\\n' \"$*\" >>'%1'\n")
                     .arg(openedLog())
                     .toUtf8());
    script.close();
    QVERIFY(script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    qputenv("PATH", tools_.path().toUtf8() + ':' + qgetenv("PATH"));
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) qputenv("XDG_RUNTIME_DIR", tools_.path().toUtf8());
  }
  void init() {
    QFile::remove(openedLog());
    messages_.clear();
    dialog_ = new MainDialog(home_.path());
    dialog_->setOutcomePresenter([this](QWidget*, const OutcomeMessage& message) {
      messages_ << QString::fromUtf8(message.title);
    });
    dialog_->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog_));
  }
  void cleanup() {
    delete dialog_;
    dialog_ = nullptr;
  }

  void theListHoldsTheEditionsThisBuildWritesFirstChosen() {
    const std::vector<EditionChoice> editions = DialogEditions();
    QCOMPARE(choice()->count(), static_cast<int>(editions.size()));
    for (int i = 0; i < choice()->count(); ++i) {
      QCOMPARE(choice()->itemText(i), QString::fromUtf8(editions[i].label));
      QCOMPARE(EditionOfChoice(i), editions[i].edition);
    }
    QCOMPARE(choice()->currentIndex(), 0);
    QCOMPARE(editions.front().edition, OutputEdition::Classic);
    QVERIFY(link()->isHidden());
  }

  void eachEditionWritesItsTreeAndTheLinkOpensItsStartPage() {
    QTemporaryDir viaDialog;
    QTemporaryDir direct;
    for (int i = 0; i < choice()->count(); ++i) {
      const OutputEdition edition = EditionOfChoice(i);
      const QString name = QStringLiteral("Out %1").arg(i);
      ConversionSummary summary;
      QCOMPARE(RunConversion(BuildRequest(MARLIX_SAMPLE_REFERENCE_DIR, PathToBytes(direct.path()),
                                          PathToBytes(name), edition),
                             summary),
               ConversionOutcome::Completed);
      const QString directStart = PathFromBytes(ResultToOpen(ConversionOutcome::Completed, summary, false));
      QVERIFY(directStart.startsWith(direct.path() + u'/'));
      const QString expectedStart = viaDialog.path() + directStart.mid(direct.path().size());

      choice()->setFocus();
      QTest::keyClick(choice(), Qt::Key_Home);
      for (int down = 0; down < i; ++down) QTest::keyClick(choice(), Qt::Key_Down);
      QCOMPARE(choice()->currentIndex(), i);
      convert(viaDialog.path(), name);
      QVERIFY(messages_.isEmpty());
      // The output folder is the one the engine names for the edition, with
      // the same files, byte for byte.
      const QString folder = PathFromBytes(DestinationFolder(
          BuildRequest("", PathToBytes(viaDialog.path()), PathToBytes(name), edition)));
      const QString directFolder = PathFromBytes(DestinationFolder(
          BuildRequest("", PathToBytes(direct.path()), PathToBytes(name), edition)));
      const auto written = Tree(folder);
      QVERIFY(written.size() > 5);
      QVERIFY(written == Tree(directFolder));

      QVERIFY(link()->isVisible());
      QCOMPARE(link()->caption(), QStringLiteral("Open the result"));
      const QString url = QString::fromUtf8(QUrl::fromLocalFile(expectedStart).toEncoded());
      clickLink();
      QTRY_COMPARE(opened(), QStringList{url});
      // Space and Enter on the focused link open it again.
      link()->setFocus();
      QTest::keyClick(link(), Qt::Key_Space);
      QTest::keyClick(link(), Qt::Key_Return);
      QTRY_COMPARE(opened(), (QStringList{url, url, url}));
      if (i == 1) {
        // A picture of the dialog after a run, the link with the focus.
        QVERIFY(QDir().mkpath(QStringLiteral(MARLIX_GRAB_DIR)));
        QVERIFY(dialog_->grab().save(
            QDir(QStringLiteral(MARLIX_GRAB_DIR)).filePath(QStringLiteral("main-dialog-result.png"))));
      }
      QVERIFY(dialog_->isVisible());
      QFile::remove(openedLog());
    }
  }

  void aChangedFieldOrChoiceOrAFailedRunHidesTheLink() {
    QTemporaryDir out;
    const QList<QWidget*> changed{dialog_->field(kIdSourceFolder),
                                  dialog_->field(kIdDestinationFolder),
                                  dialog_->field(kIdDestinationName), choice()};
    int run = 0;
    for (QWidget* control : changed) {
      choice()->setCurrentIndex(0);
      convert(out.path(), QStringLiteral("run%1").arg(run++));
      QVERIFY(link()->isVisible());
      if (control == choice()) {
        QVERIFY(choice()->count() > 1);
        choice()->setCurrentIndex(1);
      } else {
        auto* edit = qobject_cast<QLineEdit*>(control);
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_X);
      }
      QVERIFY2(link()->isHidden(), qPrintable(control->objectName()));
    }
    QVERIFY(messages_.isEmpty());

    choice()->setCurrentIndex(0);
    convert(out.path(), QStringLiteral("again"));
    QVERIFY(link()->isVisible());
    QTest::mouseClick(dialog_->button(kIdConvert), Qt::LeftButton);  // the folder exists now
    QCOMPARE(messages_, QStringList{QStringLiteral("Error")});
    QVERIFY(link()->isHidden());
    QVERIFY(opened().isEmpty());
  }
};

QTEST_MAIN(EditionsTest)
#include "editions_test.moc"
