#include "ui/common/dialog_model.h"

#include <array>

#include "support/file_names.h"

namespace marlix::ui {
namespace {

constexpr std::array kMainControls{
    ControlTemplate{kNoControlId,
                    ControlKind::GroupBox,
                    ControlRole::Frame,
                    "A project by Dorran Vell",
                    {6, 0, 227, 129},
                    false},
    ControlTemplate{kNoControlId,
                    ControlKind::Label,
                    ControlRole::Label,
                    "Source Folder Path",
                    {64, 10, 62, 8},
                    false},
    ControlTemplate{kIdSourceFolder,
                    ControlKind::EditField,
                    ControlRole::SourceFolderField,
                    "",
                    {20, 22, 162, 12},
                    true},
    ControlTemplate{kIdBrowseSource,
                    ControlKind::PushButton,
                    ControlRole::BrowseSource,
                    "Browse\u2026",
                    {185, 21, 38, 14},
                    true},
    ControlTemplate{kNoControlId,
                    ControlKind::Label,
                    ControlRole::Label,
                    "Destination Folder Path",
                    {60, 37, 76, 8},
                    false},
    ControlTemplate{kIdDestinationFolder,
                    ControlKind::EditField,
                    ControlRole::DestinationFolderField,
                    "",
                    {20, 48, 162, 12},
                    true},
    ControlTemplate{kIdBrowseDestination,
                    ControlKind::PushButton,
                    ControlRole::BrowseDestination,
                    "Browse\u2026",
                    {185, 47, 38, 14},
                    true},
    ControlTemplate{kNoControlId,
                    ControlKind::Label,
                    ControlRole::Label,
                    "Destination Folder Name",
                    {14, 71, 83, 8},
                    false},
    ControlTemplate{kIdDestinationName,
                    ControlKind::EditField,
                    ControlRole::DestinationNameField,
                    "",
                    {13, 82, 132, 14},
                    true},
    ControlTemplate{kIdConvert,
                    ControlKind::PushButton,
                    ControlRole::Convert,
                    "Convert",
                    {149, 82, 38, 14},
                    true},
    ControlTemplate{
        kIdAbout, ControlKind::PushButton, ControlRole::About, "About", {189, 82, 38, 14}, true},
    // Last in the tab order, so that the order of the controls above stays.
    ControlTemplate{
        kNoControlId, ControlKind::Label, ControlRole::Label, "Edition", {14, 100, 83, 8}, false},
    ControlTemplate{kIdEdition,
                    ControlKind::DropDown,
                    ControlRole::EditionChoice,
                    "",
                    {13, 110, 132, 14},
                    true},
    ControlTemplate{kIdOpenResult,
                    ControlKind::Link,
                    ControlRole::OpenResult,
                    "Open the result",
                    {149, 112, 78, 10},
                    true,
                    true},
};

// The location line: four blanks after "Author" and two after "Location"
// line the colons up.
constexpr std::array kAboutControls{
    ControlTemplate{
        kNoControlId, ControlKind::Picture, ControlRole::AboutPicture, "", {0, 0, 67, 123}, false},
    ControlTemplate{
        kIdAboutOk, ControlKind::PushButton, ControlRole::AboutOk, "OK", {121, 106, 49, 15}, true},
    ControlTemplate{kNoControlId,
                    ControlKind::Label,
                    ControlRole::AuthorLine,
                    "Author    : Dorran Vell",
                    {74, 3, 144, 19},
                    false},
    ControlTemplate{kNoControlId,
                    ControlKind::Label,
                    ControlRole::LocationLine,
                    "Location  : Brightwater, Freeland",
                    {74, 20, 147, 22},
                    false},
};

const DialogTemplate kMainDialog{"Marlix to HTML", "MS Shell Dlg", 8, 242, 134, true,
                                 kMainControls};
const DialogTemplate kAboutBox{"About Marlix to HTML", "Tahoma", 8, 223, 123, false,
                               kAboutControls};

const FolderPickerSettings kSourcePicker{"Please Select Marlix 2.10 Folder.", false,
                                         kIdSourceFolder};
const FolderPickerSettings kDestinationPicker{
    "Please select or create a destination folder for HTML files.", true, kIdDestinationFolder};

}  // namespace

const DialogTemplate& MainDialogTemplate() { return kMainDialog; }
const DialogTemplate& AboutBoxTemplate() { return kAboutBox; }

const ControlTemplate* FindControl(const DialogTemplate& dialog, ControlRole role) {
  for (const ControlTemplate& control : dialog.controls) {
    if (control.role == role) return &control;
  }
  return nullptr;
}

std::vector<EditionChoice> EditionChoices(std::span<const EditionRow> table) {
  std::vector<EditionChoice> choices;
  for (const EditionRow& row : table) {
    if (row.available) choices.push_back(EditionChoice{row.id, row.label});
  }
  return choices;
}

std::vector<EditionChoice> DialogEditions() { return EditionChoices(Editions()); }

OutputEdition EditionOfChoice(int index) {
  const std::vector<EditionChoice> choices = DialogEditions();
  if (index < 0 || static_cast<std::size_t>(index) >= choices.size()) index = 0;
  return choices.empty() ? OutputEdition() : choices[static_cast<std::size_t>(index)].edition;
}

ConversionRequest BuildRequest(const TextString& sourceFolderPath,
                               const TextString& destinationFolderPath,
                               const TextString& destinationFolderName, OutputEdition edition) {
  return ConversionRequest{sourceFolderPath, destinationFolderPath, destinationFolderName, edition};
}

TextString ResultToOpen(ConversionOutcome outcome, const ConversionSummary& summary,
                        bool startPageLost) {
  const bool wrote = outcome == ConversionOutcome::Completed ||
                     (outcome == ConversionOutcome::IncompleteOutput && !startPageLost);
  return wrote ? summary.startPage : TextString();
}

void LostFiles::OutputNotCreated(const char* path, int) { lost_.push_back(TextString(path)); }
void LostFiles::OutputNotWritten(const char* path, int) { lost_.push_back(TextString(path)); }

bool LostFiles::Lost(const TextString& path) const {
  for (const TextString& lost : lost_) {
    if (lost == path) return true;
  }
  return false;
}

DialogRun RunFromDialog(const ConversionRequest& request) {
  ConversionSummary summary;
  LostFiles lost;
  const ConversionOutcome outcome = RunConversion(request, summary, lost);
  return DialogRun{outcome, ResultToOpen(outcome, summary, lost.Lost(summary.startPage))};
}

TextString DefaultMarlixFolder(const TextString& homeFolder) {
  return JoinPath(homeFolder, kMarlixFolderName);
}

ConversionRequest InitialFieldValues(const TextString& homeFolder) {
  const TextString folder = DefaultMarlixFolder(homeFolder);
  return ConversionRequest{folder, folder, kInitialDestinationName};
}

MainCommand CommandForControl(int id) {
  switch (id) {
    case kIdBrowseSource:
      return MainCommand::BrowseSource;
    case kIdBrowseDestination:
      return MainCommand::BrowseDestination;
    case kIdConvert:
      return MainCommand::Convert;
    case kIdAbout:
      return MainCommand::About;
    default:
      return MainCommand::None;
  }
}

const FolderPickerSettings& SourcePickerSettings() { return kSourcePicker; }
const FolderPickerSettings& DestinationPickerSettings() { return kDestinationPicker; }

std::optional<OutcomeMessage> OutcomeNotice(ConversionOutcome outcome) {
  if (outcome == ConversionOutcome::Completed) return std::nullopt;
  return DescribeOutcome(outcome);
}

}  // namespace marlix::ui
