#include "ui/win32/main_dialog.h"

#include <cstdlib>

#include "ui/common/dialog_model.h"
#include "ui/win32/about_box.h"
#include "ui/win32/app_state.h"
#include "ui/win32/folder_picker.h"
#include "ui/win32/resource_ids.h"

namespace marlix::ui::win32 {
namespace {

// The Marlix folder lies at the root of drive C:.
constexpr char kFolderRoot[] = "C:\\";

void Convert(HWND dialog) {
  ConversionRequest request{FieldText(dialog, kIdSourceFolder),
                            FieldText(dialog, kIdDestinationFolder),
                            FieldText(dialog, kIdDestinationName)};
  ReportOutcome(RunConversion(request), App().mainDialog);
}

}  // namespace

TextString MarlixFolder() { return DefaultMarlixFolder(kFolderRoot); }

TextString FieldText(HWND dialog, int id) {
  HWND field = ::GetDlgItem(dialog, id);
  if (field == nullptr) return TextString();
  const int length = ::GetWindowTextLengthA(field);
  if (length <= 0) return TextString();
  char* buffer = static_cast<char*>(std::malloc(static_cast<std::size_t>(length) + 1));
  if (buffer == nullptr) return TextString();
  const int copied = ::GetWindowTextA(field, buffer, length + 1);
  TextString text(buffer, copied > 0 ? static_cast<std::size_t>(copied) : 0);
  std::free(buffer);
  return text;
}

namespace {

// The message box's icon for a kind of message.
UINT IconOf(MessageKind kind) {
  switch (kind) {
    case MessageKind::Error:
      return MB_ICONERROR;
    case MessageKind::Warning:
      return MB_ICONWARNING;
    case MessageKind::None:
      break;
  }
  return 0;
}

}  // namespace

void ReportOutcome(ConversionOutcome outcome, HWND owner) {
  const std::optional<OutcomeMessage> notice = OutcomeNotice(outcome);
  if (!notice) return;
  ::MessageBoxA(owner, notice->text, notice->title, MB_OK | IconOf(notice->kind));
}

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG: {
      App().mainDialog = dialog;
      ::SendMessageA(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(App().icon));
      const ConversionRequest initial = InitialFieldValues(kFolderRoot);
      ::SetDlgItemTextA(dialog, kIdSourceFolder, initial.sourceFolderPath.CStr());
      ::SetDlgItemTextA(dialog, kIdDestinationFolder, initial.destinationFolderPath.CStr());
      ::SetDlgItemTextA(dialog, kIdDestinationName, initial.destinationFolderName.CStr());
      return 1;  // the dialog manager sets the focus
    }
    case WM_CLOSE:
      ::EndDialog(dialog, 0);
      return 0;
    case WM_COMMAND:
      // Only a click (notification 0) of one of the ids 1001 to 1007: the
      // whole parameter is the id. Enter and Escape (IDOK, IDCANCEL) do nothing.
      if (wParam < kIdBrowseSource || wParam > kIdAbout) return 0;
      switch (CommandForControl(static_cast<int>(wParam))) {
        case MainCommand::BrowseSource:
          BrowseForFolder(SourcePickerSettings(), dialog);
          break;
        case MainCommand::BrowseDestination:
          BrowseForFolder(DestinationPickerSettings(), dialog);
          break;
        case MainCommand::Convert:
          Convert(dialog);
          break;
        case MainCommand::About:
          ::DialogBoxParamA(App().instance, MAKEINTRESOURCEA(kAboutBoxTemplate), dialog,
                            AboutBoxProc, 0);
          break;
        case MainCommand::None:
          break;
      }
      return 0;
    default:
      return 0;
  }
}

}  // namespace marlix::ui::win32
