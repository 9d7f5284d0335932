// The main dialog: its fields and window, keys that must do nothing, Convert
// against the engine, the message boxes and the two browse commands.
#include "ui/qt/main_dialog.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <optional>

#include "ui/common/dialog_model.h"
#include "ui/qt/about_box.h"
#include "ui/qt/folder_picker.h"
#include "ui/qt/hyper_link.h"
#include "ui/qt/qt_support.h"
#include "ui_test_support.h"

using namespace marlix;
using namespace marlix::ui;
using namespace marlix::ui::testing;

namespace {

struct Shown {
  QString title;
  QString text;
  MessageKind kind;
};

QStringList Entries(const QString& folder) {
  return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
}

}  // namespace

class MainDialogTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir home_;
  QTemporaryDir work_;
  MainDialog* dialog_ = nullptr;
  QList<Shown> shown_;
  int conversions_ = 0;

  QLineEdit* source() const { return dialog_->field(kIdSourceFolder); }
  QLineEdit* destination() const { return dialog_->field(kIdDestinationFolder); }
  QLineEdit* name() const { return dialog_->field(kIdDestinationName); }
  QString marlixFolder() const { return QDir(home_.path()).filePath(QStringLiteral("Marlix")); }

  // Records every message instead of showing it.
  void recordMessages() {
    dialog_->setOutcomePresenter([this](QWidget* owner, const OutcomeMessage& message) {
      QCOMPARE(owner, static_cast<QWidget*>(dialog_));
      shown_.append(
          {QString::fromUtf8(message.title), QString::fromUtf8(message.text), message.kind});
    });
  }
  // Counts conversions without running one.
  void countConversions(ConversionOutcome outcome = ConversionOutcome::Completed) {
    dialog_->setConversionRunner([this, outcome](const ConversionRequest&) {
      ++conversions_;
      return DialogRun{outcome, TextString()};
    });
  }

 private slots:
  void initTestCase() {
    QVERIFY(home_.isValid());
    QVERIFY(work_.isValid());
  }
  void init() {
    shown_.clear();
    conversions_ = 0;
    dialog_ = new MainDialog(home_.path());
    dialog_->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog_));
  }
  void cleanup() {
    delete dialog_;
    dialog_ = nullptr;
  }

  void opensWithTheInitialValues() {
    QCOMPARE(source()->text(), marlixFolder());
    QCOMPARE(destination()->text(), marlixFolder());
    QCOMPARE(name()->text(), QStringLiteral("Marlix2HTML"));
    QCOMPARE(dialog_->windowTitle(), QStringLiteral("Marlix to HTML"));
    QCOMPARE(dialog_->button(kIdBrowseSource)->text(), QStringLiteral("Browse\u2026"));
    QCOMPARE(dialog_->button(kIdBrowseDestination)->text(), QStringLiteral("Browse\u2026"));
    QCOMPARE(dialog_->button(kIdConvert)->text(), QStringLiteral("Convert"));
    QCOMPARE(dialog_->button(kIdAbout)->text(), QStringLiteral("About"));
  }

  void windowIsFixedWithMinimiseAndCloseOnly() {
    QCOMPARE(dialog_->minimumSize(), dialog_->maximumSize());
    const Qt::WindowFlags flags = dialog_->windowFlags();
    QVERIFY(flags.testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
    QVERIFY(dialog_->isWindow());
    // 242 x 134 dialog units at the screen's resolution.
    const double scale = dialog_->screen()->logicalDotsPerInch() / 96.0;
    QVERIFY(std::abs(dialog_->width() - 363 * scale) <= 1);
    QVERIFY(std::abs(dialog_->height() - 217.75 * scale) <= 1);
  }

  void tabOrderFollowsTheTemplate() {
    // The Tab key from the first field round to it again: the result link is
    // a stop only while it shows.
    dialog_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(dialog_));
    auto tabRound = [this] {
      QList<int> visited;
      dialog_->control(kIdSourceFolder)->setFocus();
      for (int i = 0; i < 12; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        const int id = dialog_->controlId(QApplication::focusWidget());
        if (id == kIdSourceFolder) break;
        visited << id;
      }
      return visited;
    };
    const QList<int> order{kIdBrowseSource,      kIdDestinationFolder, kIdBrowseDestination,
                           kIdDestinationName,   kIdConvert,           kIdAbout,
                           kIdEdition};
    QCOMPARE(tabRound(), order);
    dialog_->resultLink()->show();
    QCOMPARE(tabRound(), order + QList<int>{kIdOpenResult});
  }

  void everyControlSitsWhereTheTemplateSays() {
    const double dpi = dialog_->screen()->logicalDotsPerInch();
    int placed = 0;
    for (const ControlTemplate& entry : MainDialogTemplate().controls) {
      if (entry.id == kNoControlId) continue;
      QCOMPARE(dialog_->control(entry.id)->geometry(), ToQRect(ToPixels(entry.rect, dpi)));
      ++placed;
    }
    QCOMPARE(placed, 9);
  }

  void enterAndEscapeDoNothing() {
    recordMessages();
    countConversions();
    const ModalGuard guard;
    const QList<int> focusable{kIdSourceFolder, kIdDestinationFolder, kIdDestinationName,
                               kIdBrowseSource, kIdConvert,           kIdAbout};
    for (int id : focusable) {
      QWidget* control = dialog_->control(id);
      control->setFocus();
      for (int key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
        QTest::keyClick(control, static_cast<Qt::Key>(key));
        QVERIFY(dialog_->isVisible());
        QCOMPARE(QApplication::activeModalWidget(), nullptr);
      }
    }
    QCOMPARE(conversions_, 0);
    QVERIFY(shown_.isEmpty());
    QCOMPARE(guard.closed(), 0);  // neither About nor a picker came up
    QCOMPARE(source()->text(), marlixFolder());
    QCOMPARE(name()->text(), QStringLiteral("Marlix2HTML"));
  }

  void closeBoxEndsTheProgramWithZero() {
    // The program runs the event loop until its last window closes; the
    // dialog is that window.
    QVERIFY(QGuiApplication::quitOnLastWindowClosed());
    QTimer::singleShot(0, dialog_, [this] { dialog_->close(); });
    QTimer watchdog;
    watchdog.setSingleShot(true);
    connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(99); });
    watchdog.start(5000);
    QCOMPARE(QApplication::exec(), 0);
    QVERIFY(!dialog_->isVisible());
  }

  void convertReadsTheFieldsExactlyAsTyped() {
    std::optional<ConversionRequest> seen;
    bool waitCursorShown = false;
    dialog_->setConversionRunner([&](const ConversionRequest& request) {
      seen = request;
      const QCursor* cursor = QApplication::overrideCursor();
      waitCursorShown = cursor != nullptr && cursor->shape() == Qt::WaitCursor;
      return DialogRun{ConversionOutcome::Completed, TextString()};
    });
    recordMessages();
    source()->setText(QStringLiteral("  /data/ref  "));
    destination()->setText(QStringLiteral("/tmp/out dir"));
    name()->setText(QStringLiteral("caf\u00e9 "));
    QTest::mouseClick(dialog_->button(kIdConvert), Qt::LeftButton);
    QVERIFY(seen.has_value());
    QCOMPARE(QString::fromUtf8(seen->sourceFolderPath.CStr()), QStringLiteral("  /data/ref  "));
    QCOMPARE(QString::fromUtf8(seen->destinationFolderPath.CStr()), QStringLiteral("/tmp/out dir"));
    QCOMPARE(QByteArray(seen->destinationFolderName.CStr()), QByteArray("caf\xC3\xA9 "));
    QVERIFY(waitCursorShown);
    QCOMPARE(QApplication::overrideCursor(), nullptr);
    QVERIFY(shown_.isEmpty());  // Completed shows nothing
  }

  void eachFailedOutcomeIsShownWithItsOwnMessage() {
    recordMessages();
    for (ConversionOutcome outcome :
         {ConversionOutcome::InfoMissing, ConversionOutcome::DestinationNotCreated,
          ConversionOutcome::NoValidSourceFiles, ConversionOutcome::UnexpectedError,
          ConversionOutcome::IncompleteOutput}) {
      shown_.clear();
      countConversions(outcome);
      dialog_->button(kIdConvert)->click();
      QCOMPARE(shown_.size(), 1);
      const OutcomeMessage expected = DescribeOutcome(outcome);
      QCOMPARE(shown_.first().title, QString::fromUtf8(expected.title));
      QCOMPARE(shown_.first().text, QString::fromUtf8(expected.text));
      QCOMPARE(shown_.first().kind, expected.kind);
    }
  }

  void anIncompleteRunShowsItsWarningAndTheLinkOnlyWhenItWroteTheStartPage() {
    recordMessages();
    QStringList opened;
    dialog_->setResultOpener([&opened](const QString& path) { opened << path; });
    for (const char* result : {"/out/Marlix2HTML/Index.htm", ""}) {
      shown_.clear();
      dialog_->setConversionRunner([result](const ConversionRequest&) {
        return DialogRun{ConversionOutcome::IncompleteOutput, TextString(result)};
      });
      dialog_->button(kIdConvert)->click();
      QCOMPARE(shown_.size(), 1);
      QCOMPARE(shown_.first().kind, MessageKind::Warning);
      QCOMPARE(dialog_->resultLink()->isVisible(), *result != '\0');
    }
    QVERIFY(opened.isEmpty());
  }

  void emptyFieldShowsInfoMissingAndTouchesNothing() {
    recordMessages();
    const QString target = work_.filePath(QStringLiteral("untouched"));
    QVERIFY(QDir().mkpath(target));
    for (QLineEdit* emptied : {source(), destination(), name()}) {
      shown_.clear();
      source()->setText(QStringLiteral(MARLIX_SAMPLE_REFERENCE_DIR));
      destination()->setText(target);
      name()->setText(QStringLiteral("Out"));
      emptied->clear();
      dialog_->button(kIdConvert)->click();
      QCOMPARE(shown_.size(), 1);
      QCOMPARE(shown_.first().title, QStringLiteral("Info Missing"));
      QCOMPARE(shown_.first().text, QStringLiteral("Please Fill Information then try again."));
      QCOMPARE(shown_.first().kind, MessageKind::Warning);
      QVERIFY(Entries(target).isEmpty());
    }
  }

  void convertingTheSampleReferenceWritesTheTreeThenRefusesToOverwrite() {
    QVERIFY2(QDir(QStringLiteral(MARLIX_SAMPLE_REFERENCE_DIR)).exists(),
             "the sample reference is missing");
    recordMessages();
    const QString out = work_.filePath(QStringLiteral("Marlix2HTML"));
    source()->setText(QStringLiteral(MARLIX_SAMPLE_REFERENCE_DIR));
    destination()->setText(work_.path());
    dialog_->button(kIdConvert)->click();

    QVERIFY(shown_.isEmpty());
    for (const char* file :
         {"Index.htm", "Topic0.htm", "B0P0.htm", "Index.hhk", "toc.hhc", "Marlix.hhp"}) {
      QVERIFY2(QFile::exists(QDir(out).filePath(QString::fromLatin1(file))), file);
    }
    const QStringList written = Entries(out);

    dialog_->button(kIdConvert)->click();
    QCOMPARE(shown_.size(), 1);
    QCOMPARE(shown_.first().title, QStringLiteral("Error"));
    QCOMPARE(shown_.first().text, QStringLiteral("Unable to create destination folder."));
    QCOMPARE(shown_.first().kind, MessageKind::Error);
    QCOMPARE(Entries(out), written);
  }

  void theProgramShowsAModalMessageBoxOwnedByTheDialog() {
    // No presenter injected: the real message box comes up.
    name()->clear();
    struct Seen {
      bool box = false;
      QWidget* owner = nullptr;
      bool modal = false;
      QString title, text;
      QMessageBox::Icon icon = QMessageBox::NoIcon;
      QMessageBox::StandardButtons buttons;
    } seen;
    WhenModalOpens([&seen](QWidget* modal) {
      auto* box = qobject_cast<QMessageBox*>(modal);
      seen.box = box != nullptr;
      if (box == nullptr) {
        modal->close();
        return;
      }
      seen.owner = box->parentWidget();
      seen.modal = box->windowModality() != Qt::NonModal;
      seen.title = box->windowTitle();
      seen.text = box->text();
      seen.icon = box->icon();
      seen.buttons = box->standardButtons();
      box->button(QMessageBox::Ok)->click();
    });
    dialog_->button(kIdConvert)->click();
    QVERIFY(seen.box);
    QCOMPARE(seen.owner, static_cast<QWidget*>(dialog_));
    QVERIFY(seen.modal);
    QCOMPARE(seen.title, QStringLiteral("Info Missing"));
    QCOMPARE(seen.text, QStringLiteral("Please Fill Information then try again."));
    QCOMPARE(seen.icon, QMessageBox::Warning);
    QCOMPARE(seen.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QCOMPARE(QApplication::activeModalWidget(), nullptr);

    // Errors get the critical icon.
    WhenModalOpens([&seen](QWidget* modal) {
      auto* box = qobject_cast<QMessageBox*>(modal);
      seen.icon = box != nullptr ? box->icon() : QMessageBox::NoIcon;
      modal->close();
    });
    MainDialog::ShowMessageBox(dialog_, DescribeOutcome(ConversionOutcome::UnexpectedError));
    QCOMPARE(seen.icon, QMessageBox::Critical);
  }

  void cancelledBrowseLeavesTheField() {
    source()->setText(QStringLiteral("/typed/by/hand"));
    int asked = 0;
    dialog_->setFolderChooser([&asked](QWidget*, FolderPicker& picker) {
      ++asked;
      picker.setPath(QStringLiteral("/should/not/land"));  // a cancel keeps nothing
      return false;
    });
    dialog_->button(kIdBrowseSource)->click();
    dialog_->button(kIdBrowseDestination)->click();
    QCOMPARE(asked, 2);
    QCOMPARE(source()->text(), QStringLiteral("/typed/by/hand"));
    QCOMPARE(destination()->text(), marlixFolder());
  }

  void chosenFolderReplacesTheWholeField() {
    source()->setText(QStringLiteral("/typed/by/hand"));
    destination()->setText(QStringLiteral("/another"));
    QList<FolderPicker> asked;
    QList<QWidget*> owners;
    dialog_->setFolderChooser([&](QWidget* owner, FolderPicker& picker) {
      owners.append(owner);
      asked.append(picker);
      picker.setPath(asked.size() == 1 ? QStringLiteral("/srv/ref") : QStringLiteral("/srv/out"));
      return true;
    });
    dialog_->button(kIdBrowseSource)->click();
    dialog_->button(kIdBrowseDestination)->click();
    QCOMPARE(source()->text(), QStringLiteral("/srv/ref"));
    QCOMPARE(destination()->text(), QStringLiteral("/srv/out"));
    QCOMPARE(name()->text(), QStringLiteral("Marlix2HTML"));

    // Both pickers pre-select the Marlix folder, whatever the fields held.
    QCOMPARE(asked.size(), 2);
    QCOMPARE(owners, (QList<QWidget*>{dialog_, dialog_}));
    QCOMPARE(asked[0].title(), QStringLiteral("Please Select Marlix 2.10 Folder."));
    QCOMPARE(asked[0].path(), marlixFolder());
    QVERIFY(!asked[0].allowNewFolder());
    QCOMPARE(asked[1].title(),
             QStringLiteral("Please select or create a destination folder for HTML files."));
    QCOMPARE(asked[1].path(), marlixFolder());
    QVERIFY(asked[1].allowNewFolder());
  }

  void onlyTheDestinationPickerCanCreateFolders() {
    QVERIFY(QDir().mkpath(marlixFolder()));
    for (bool destinationPicker : {false, true}) {
      const FolderPickerSettings& settings =
          destinationPicker ? DestinationPickerSettings() : SourcePickerSettings();
      FolderPicker picker(settings, marlixFolder());
      const auto fileDialog = picker.makeDialog(dialog_);
      fileDialog->setWindowModality(Qt::NonModal);
      fileDialog->show();
      QVERIFY(QTest::qWaitForWindowExposed(fileDialog.get()));
      QCOMPARE(fileDialog->windowTitle(), QString::fromUtf8(settings.title));
      QCOMPARE(fileDialog->fileMode(), QFileDialog::Directory);
      QVERIFY(fileDialog->testOption(QFileDialog::ShowDirsOnly));
      QCOMPARE(QDir(fileDialog->directory()).canonicalPath(), QDir(marlixFolder()).canonicalPath());
      auto* newFolder = fileDialog->findChild<QToolButton*>(QStringLiteral("newFolderButton"));
      QVERIFY(newFolder != nullptr);
      const bool offered = newFolder->isVisible() && newFolder->isEnabled();
      QCOMPARE(offered, destinationPicker);
      QCOMPARE(fileDialog->testOption(QFileDialog::ReadOnly), !destinationPicker);
      fileDialog->close();
    }
    QVERIFY(QDir(marlixFolder()).removeRecursively());
  }

  void pickerOpensWhenTheMarlixFolderIsMissing() {
    QVERIFY(!QDir(marlixFolder()).exists());
    FolderPicker picker(SourcePickerSettings(), marlixFolder());
    const auto fileDialog = picker.makeDialog(dialog_);
    QCOMPARE(QDir(fileDialog->directory()).canonicalPath(), QDir(home_.path()).canonicalPath());
  }

  void realBrowseRoundTrip() {
    // The program's own chooser: a modal folder dialog; cancel, then choose.
    const QString chosen = work_.filePath(QStringLiteral("chosen"));
    QVERIFY(QDir().mkpath(chosen));
    const QString before = destination()->text();

    bool sawModalDialog = false;
    WhenModalOpens([&sawModalDialog](QWidget* modal) {
      sawModalDialog = qobject_cast<QFileDialog*>(modal) != nullptr;
      modal->close();
    });
    dialog_->button(kIdBrowseDestination)->click();
    QVERIFY(sawModalDialog);
    QCOMPARE(destination()->text(), before);

    WhenModalOpens([chosen](QWidget* modal) {
      auto* fileDialog = qobject_cast<QFileDialog*>(modal);
      if (fileDialog == nullptr) {
        modal->close();
        return;
      }
      fileDialog->setDirectory(chosen);
      static_cast<QDialog*>(fileDialog)->accept();  // the dialog's own checks run
    });
    dialog_->button(kIdBrowseDestination)->click();
    QCOMPARE(QDir(destination()->text()).canonicalPath(), QDir(chosen).canonicalPath());
  }

  void aboutIsModalToTheDialogAndOpensTheSameTwice() {
    countConversions();
    // A click that goes through the window system, as a user's does, and so
    // is dropped while a modal window blocks the dialog.
    auto clickConvertAsTheUser = [this] {
      QPushButton* convert = dialog_->button(kIdConvert);
      QTest::mouseClick(dialog_->windowHandle(), Qt::LeftButton, Qt::NoModifier,
                        convert->mapTo(dialog_, convert->rect().center()));
    };
    clickConvertAsTheUser();
    QCOMPARE(conversions_, 1);

    struct Seen {
      QString title;
      QWidget* parent = nullptr;
      Qt::WindowModality modality = Qt::NonModal;
      int conversionsWhileOpen = -1;
      QStringList links;
    };
    auto watch = [this, clickConvertAsTheUser](Seen& seen, bool viaOk) {
      WhenModalOpens([this, &seen, viaOk, clickConvertAsTheUser](QWidget* modal) {
        auto* about = qobject_cast<AboutBox*>(modal);
        if (about == nullptr) {
          modal->close();
          return;
        }
        seen.title = about->windowTitle();
        seen.parent = about->parentWidget();
        seen.modality = about->windowModality();
        const int before = conversions_;
        clickConvertAsTheUser();
        seen.conversionsWhileOpen = conversions_ - before;
        for (HyperLink* link : about->links()) {
          seen.links << link->caption() + QStringLiteral(" -> ") + link->target();
        }
        if (viaOk) {
          about->findChild<QPushButton*>(QStringLiteral("ok"))->click();
        } else {
          about->close();
        }
      });
    };
    Seen first;
    Seen second;
    watch(first, true);
    dialog_->button(kIdAbout)->click();
    watch(second, false);
    dialog_->button(kIdAbout)->click();

    QCOMPARE(first.title, QStringLiteral("About Marlix to HTML"));
    QCOMPARE(first.parent, static_cast<QWidget*>(dialog_));
    QVERIFY(first.modality != Qt::NonModal);
    QCOMPARE(first.conversionsWhileOpen, 0);
    QCOMPARE(first.links,
             (QStringList{
                 QStringLiteral("dorran@dorranvell.example -> mailto:dorran@dorranvell.example"),
                 QStringLiteral("dorranvell.example -> http://dorranvell.example/"),
                 QStringLiteral("Powered By Kavo -> http://dorranvell.example/kavo/")}));
    QCOMPARE(second.title, first.title);
    QCOMPARE(second.parent, first.parent);
    QCOMPARE(second.modality, first.modality);
    QCOMPARE(second.conversionsWhileOpen, 0);
    QCOMPARE(second.links, first.links);
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
    QVERIFY(dialog_->findChildren<AboutBox*>().isEmpty());  // each opening is built anew

    // Once the box is gone the dialog takes input again.
    clickConvertAsTheUser();
    QCOMPARE(conversions_, 2);
  }
};

QTEST_MAIN(MainDialogTest)
#include "main_dialog_test.moc"
