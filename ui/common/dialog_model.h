// What the main dialog and the About box hold, independent of any widget
// toolkit: captions, control ids and roles, the layout in dialog units, the
// initial field values, the folder picker settings and how a conversion
// outcome is presented. Every desktop front end builds its windows from these.
#pragma once

#include <optional>
#include <span>
#include <vector>

#include "engine/conversion_driver.h"
#include "engine/editions/editions.h"
#include "support/text_string.h"
#include "ui/common/dialog_units.h"

namespace marlix::ui {

// Control ids. The static texts, the group box and the picture carry none.
inline constexpr int kNoControlId = -1;
inline constexpr int kIdBrowseSource = 1001;
inline constexpr int kIdSourceFolder = 1002;
inline constexpr int kIdDestinationFolder = 1003;
inline constexpr int kIdBrowseDestination = 1004;
inline constexpr int kIdDestinationName = 1005;
inline constexpr int kIdConvert = 1006;
inline constexpr int kIdAbout = 1007;
inline constexpr int kIdEdition = 1008;
inline constexpr int kIdOpenResult = 1009;
inline constexpr int kIdAboutOk = 1009;  // in the About box

// A drop-down lists its choices and takes no typing; a link is the
// self-drawn hyperlink control.
enum class ControlKind { GroupBox, Label, EditField, PushButton, Picture, DropDown, Link };

enum class ControlRole {
  Frame,
  Label,
  SourceFolderField,
  BrowseSource,
  DestinationFolderField,
  BrowseDestination,
  DestinationNameField,
  Convert,
  About,
  EditionChoice,
  OpenResult,
  AboutPicture,
  AboutOk,
  AuthorLine,
  LocationLine,
};

struct ControlTemplate {
  int id;
  ControlKind kind;
  ControlRole role;
  const char* text;  // caption; empty for edit fields, which get their initial value
  DialogRect rect;
  bool tabStop;  // a hidden control is passed over until it shows
  bool hidden = false;  // until the dialog shows it
};

struct DialogTemplate {
  const char* caption;
  const char* fontFace;
  int fontPointSize;
  int width;   // client area, dialog units
  int height;  // client area, dialog units
  bool centred;
  std::span<const ControlTemplate> controls;  // in tab order
};

// The main dialog, in tab order.
const DialogTemplate& MainDialogTemplate();
// The About box, in tab order.
const DialogTemplate& AboutBoxTemplate();

// The template entry with the given role, or null when the dialog has none.
const ControlTemplate* FindControl(const DialogTemplate& dialog, ControlRole role);

// One entry of the edition drop-down.
struct EditionChoice {
  OutputEdition edition;
  const char* label;
};

// The editions the drop-down lists: the rows of the table that this build
// can write, in the table's order, each by its label.
std::vector<EditionChoice> EditionChoices(std::span<const EditionRow> table);
// The choices from the table of editions. The first is chosen when the
// dialog opens.
std::vector<EditionChoice> DialogEditions();
// The edition of the drop-down's entry at index; the first entry's for an
// index that names none (nothing chosen).
OutputEdition EditionOfChoice(int index);

// The three fields and the chosen edition as one request, each text exactly
// as typed.
ConversionRequest BuildRequest(const TextString& sourceFolderPath,
                               const TextString& destinationFolderPath,
                               const TextString& destinationFolderName, OutputEdition edition);

// What the result link opens after a run: the new output's start page when
// the run completed, or ended incomplete but wrote it (startPageLost clear);
// empty when the link stays hidden.
TextString ResultToOpen(ConversionOutcome outcome, const ConversionSummary& summary,
                        bool startPageLost);

// One run as a dialog starts it: its outcome, and what the result link opens.
struct DialogRun {
  ConversionOutcome outcome;
  TextString result;  // empty: the link stays hidden
};
DialogRun RunFromDialog(const ConversionRequest& request);

// Hears of the output files a run could not create or write in full, to tell
// whether one of them was the start page.
class LostFiles : public Diagnostics {
 public:
  void OutputNotCreated(const char* path, int error) override;
  void OutputNotWritten(const char* path, int error) override;
  bool Lost(const TextString& path) const;

 private:
  std::vector<TextString> lost_;
};

// Initial values of the three fields.
inline constexpr char kMarlixFolderName[] = "Marlix";
inline constexpr char kInitialDestinationName[] = "Marlix2HTML";

// The folder that both folder fields start at and that both pickers
// pre-select: the Marlix folder inside the user's home folder.
TextString DefaultMarlixFolder(const TextString& homeFolder);

// The three fields as the dialog shows them when it opens.
ConversionRequest InitialFieldValues(const TextString& homeFolder);

// What a button of the main dialog does. Ids outside the buttons do nothing.
enum class MainCommand { None, BrowseSource, BrowseDestination, Convert, About };
MainCommand CommandForControl(int id);

// The two browse commands.
struct FolderPickerSettings {
  const char* title;    // instruction shown to the user
  bool allowNewFolder;  // whether the picker offers to create a folder
  int fieldId;          // edit field that a chosen folder replaces
};
const FolderPickerSettings& SourcePickerSettings();
const FolderPickerSettings& DestinationPickerSettings();

// The message to show for an outcome: none for Completed, otherwise the
// outcome's title, text and icon kind, shown with one OK button.
std::optional<OutcomeMessage> OutcomeNotice(ConversionOutcome outcome);
inline constexpr char kOkButtonText[] = "OK";

}  // namespace marlix::ui
