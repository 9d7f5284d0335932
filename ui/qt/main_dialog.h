// The program's one window: three fields for a conversion, two browse
// buttons, Convert and About, the edition to write, and after a run a link
// that opens what it made.
#pragma once

#include <QHash>
#include <QWidget>
#include <functional>

#include "engine/conversion_driver.h"
#include "ui/common/dialog_model.h"

class QComboBox;
class QLineEdit;
class QPushButton;

namespace marlix::ui {

class FolderPicker;
class HyperLink;

class MainDialog : public QWidget {
  Q_OBJECT

 public:
  // Runs one conversion; the program uses RunFromDialog.
  using ConversionRunner = std::function<DialogRun(const ConversionRequest&)>;
  // Shows an outcome's message; the program uses a modal message box.
  using OutcomePresenter = std::function<void(QWidget* owner, const OutcomeMessage&)>;
  // Lets the user pick a folder with the given picker, true when one was
  // chosen; the program runs the picker's dialog.
  using FolderChooser = std::function<bool(QWidget* owner, FolderPicker& picker)>;
  // Opens a run's start page (a file or a folder); the program hands it to
  // the desktop's opener.
  using ResultOpener = std::function<void(const QString& path)>;

  // homeFolder holds the Marlix folder that both folder fields start at.
  explicit MainDialog(const QString& homeFolder, QWidget* parent = nullptr);

  void setConversionRunner(ConversionRunner runner) { runner_ = std::move(runner); }
  void setOutcomePresenter(OutcomePresenter presenter) { presenter_ = std::move(presenter); }
  void setFolderChooser(FolderChooser chooser) { chooser_ = std::move(chooser); }
  void setResultOpener(ResultOpener opener) { opener_ = std::move(opener); }

  // The control with the given id, or null.
  QWidget* control(int id) const { return controls_.value(id, nullptr); }
  // The id of a control, or kNoControlId.
  int controlId(const QWidget* widget) const {
    return controls_.key(const_cast<QWidget*>(widget), kNoControlId);
  }
  QLineEdit* field(int id) const;
  QPushButton* button(int id) const;
  QComboBox* editionChoice() const;
  HyperLink* resultLink() const;

  // The folder that both pickers pre-select.
  const QString& marlixFolder() const { return marlixFolder_; }

  // The modal message box the program shows for an outcome.
  static void ShowMessageBox(QWidget* owner, const OutcomeMessage& message);

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void runCommand(int id);
  void browse(const FolderPickerSettings& settings);
  void convert();
  void showAbout();
  void openResult();
  void hideResult();

  QString marlixFolder_;
  QHash<int, QWidget*> controls_;
  ConversionRunner runner_;
  OutcomePresenter presenter_;
  FolderChooser chooser_;
  ResultOpener opener_;
};

}  // namespace marlix::ui
