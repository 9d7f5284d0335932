#include "ui/qt/main_dialog.h"

#include <QApplication>
#include <QComboBox>
#include <QDesktopServices>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QUrl>

#include "ui/qt/about_box.h"
#include "ui/qt/folder_picker.h"
#include "ui/qt/hyper_link.h"
#include "ui/qt/qt_support.h"

namespace marlix::ui {
namespace {

// Shows the wait cursor for as long as it lives.
class WaitCursor {
 public:
  WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~WaitCursor() { QApplication::restoreOverrideCursor(); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;
};

QString ObjectNameFor(ControlRole role) {
  switch (role) {
    case ControlRole::Frame:
      return QStringLiteral("frame");
    case ControlRole::SourceFolderField:
      return QStringLiteral("sourceFolder");
    case ControlRole::BrowseSource:
      return QStringLiteral("browseSource");
    case ControlRole::DestinationFolderField:
      return QStringLiteral("destinationFolder");
    case ControlRole::BrowseDestination:
      return QStringLiteral("browseDestination");
    case ControlRole::DestinationNameField:
      return QStringLiteral("destinationName");
    case ControlRole::Convert:
      return QStringLiteral("convert");
    case ControlRole::About:
      return QStringLiteral("about");
    case ControlRole::EditionChoice:
      return QStringLiteral("edition");
    case ControlRole::OpenResult:
      return QStringLiteral("openResult");
    default:
      return QStringLiteral("label");
  }
}

}  // namespace

MainDialog::MainDialog(const QString& homeFolder, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      runner_(&RunFromDialog),
      presenter_(&MainDialog::ShowMessageBox),
      chooser_([](QWidget* owner, FolderPicker& picker) { return picker.browse(owner); }),
      opener_([](const QString& path) { QDesktopServices::openUrl(QUrl::fromLocalFile(path)); }) {
  const DialogTemplate& layout = MainDialogTemplate();
  const double dpi = ScreenDotsPerInch(this);
  const ConversionRequest initial = InitialFieldValues(PathToBytes(homeFolder));
  marlixFolder_ = PathFromBytes(initial.sourceFolderPath);

  setWindowTitle(FromUtf8(layout.caption));
  setWindowIcon(AppIcon());
  setFont(SansFont(FromUtf8(layout.fontFace), layout.fontPointSize));
  setFixedSize(HorizontalUnitsToPixels(layout.width, dpi),
               VerticalUnitsToPixels(layout.height, dpi));

  QWidget* previousStop = nullptr;
  for (const ControlTemplate& entry : layout.controls) {
    QWidget* widget = nullptr;
    const QString text = FromUtf8(entry.text);
    switch (entry.kind) {
      case ControlKind::GroupBox:
        widget = new QGroupBox(text, this);
        break;
      case ControlKind::Label:
      case ControlKind::Picture:
        widget = new QLabel(text, this);
        break;
      case ControlKind::EditField: {
        auto* edit = new QLineEdit(this);
        const TextString& value = entry.id == kIdSourceFolder ? initial.sourceFolderPath
                                  : entry.id == kIdDestinationFolder
                                      ? initial.destinationFolderPath
                                      : initial.destinationFolderName;
        edit->setText(PathFromBytes(value));
        edit->setCursorPosition(0);
        connect(edit, &QLineEdit::textChanged, this, &MainDialog::hideResult);
        widget = edit;
        break;
      }
      case ControlKind::DropDown: {
        auto* choice = new QComboBox(this);
        for (const EditionChoice& edition : DialogEditions()) {
          choice->addItem(FromUtf8(edition.label));
        }
        choice->setCurrentIndex(0);
        connect(choice, &QComboBox::currentIndexChanged, this, &MainDialog::hideResult);
        widget = choice;
        break;
      }
      case ControlKind::Link: {
        auto* link = new HyperLink(this, entry.id);
        link->setCaption(text);
        link->setClickAction(ClickAction::Notify);
        connect(link, &HyperLink::notified, this, &MainDialog::openResult);
        widget = link;
        break;
      }
      case ControlKind::PushButton: {
        auto* button = new QPushButton(text, this);
        // No default button: Enter must not press anything.
        button->setAutoDefault(false);
        button->setDefault(false);
        const int id = entry.id;
        connect(button, &QPushButton::clicked, this, [this, id] { runCommand(id); });
        widget = button;
        break;
      }
    }
    widget->setObjectName(ObjectNameFor(entry.role));
    QRect place = ToQRect(ToPixels(entry.rect, dpi));
    if (entry.kind == ControlKind::Label) {
      // The stand-in face may run a little wider than the dialog font the
      // layout was made for: a label grows to the right rather than cut
      // its text. Nothing sits to the right of a label.
      const int needed = widget->fontMetrics().horizontalAdvance(text) + 1;
      if (needed > place.width()) place.setWidth(needed);
    }
    widget->setGeometry(place);
    if (entry.tabStop) {
      widget->setFocusPolicy(Qt::StrongFocus);
      if (previousStop != nullptr) setTabOrder(previousStop, widget);
      previousStop = widget;
    } else {
      widget->setFocusPolicy(Qt::NoFocus);
    }
    widget->setHidden(entry.hidden);
    if (entry.id != kNoControlId) controls_.insert(entry.id, widget);
  }

  if (const QScreen* screen = this->screen()) {
    QRect frame = geometry();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
  }
}

QLineEdit* MainDialog::field(int id) const { return qobject_cast<QLineEdit*>(control(id)); }

QPushButton* MainDialog::button(int id) const { return qobject_cast<QPushButton*>(control(id)); }

QComboBox* MainDialog::editionChoice() const {
  return qobject_cast<QComboBox*>(control(kIdEdition));
}

HyperLink* MainDialog::resultLink() const {
  return qobject_cast<HyperLink*>(control(kIdOpenResult));
}

void MainDialog::ShowMessageBox(QWidget* owner, const OutcomeMessage& message) {
  QMessageBox box(IconFor(message.kind), FromUtf8(message.title), FromUtf8(message.text),
                  QMessageBox::Ok, owner);
  box.setWindowModality(Qt::WindowModal);
  box.exec();
}

void MainDialog::keyPressEvent(QKeyEvent* event) {
  if (IsIgnoredDialogKey(event)) {
    event->accept();  // The dialog has no default and no cancel button.
    return;
  }
  QWidget::keyPressEvent(event);
}

void MainDialog::runCommand(int id) {
  switch (CommandForControl(id)) {
    case MainCommand::BrowseSource:
      browse(SourcePickerSettings());
      break;
    case MainCommand::BrowseDestination:
      browse(DestinationPickerSettings());
      break;
    case MainCommand::Convert:
      convert();
      break;
    case MainCommand::About:
      showAbout();
      break;
    case MainCommand::None:
      break;
  }
}

void MainDialog::browse(const FolderPickerSettings& settings) {
  // Both pickers start at the Marlix folder, whatever the field holds.
  FolderPicker picker(settings, marlixFolder_);
  if (!chooser_(this, picker)) return;
  if (QLineEdit* edit = field(settings.fieldId)) edit->setText(picker.chosenPath());
}

void MainDialog::convert() {
  const ConversionRequest request = BuildRequest(
      PathToBytes(field(kIdSourceFolder)->text()), PathToBytes(field(kIdDestinationFolder)->text()),
      PathToBytes(field(kIdDestinationName)->text()),
      EditionOfChoice(editionChoice()->currentIndex()));
  hideResult();
  DialogRun run{ConversionOutcome::UnexpectedError, TextString()};
  {
    const WaitCursor wait;
    run = runner_(request);
  }
  if (!run.result.IsEmpty()) {
    HyperLink* link = resultLink();
    link->setTarget(PathFromBytes(run.result));
    link->show();
  }
  if (const auto notice = OutcomeNotice(run.outcome)) presenter_(this, *notice);
}

void MainDialog::openResult() {
  const HyperLink* link = resultLink();
  if (link->isVisible() && !link->target().isEmpty()) opener_(link->target());
}

void MainDialog::hideResult() { resultLink()->hide(); }

void MainDialog::showAbout() {
  AboutBox about(this);
  about.exec();
}

}  // namespace marlix::ui
