#include "ui/win32/main_dialog.h"

#include <commctrl.h>
#include <shellapi.h>

#include <cstdlib>

#include "ui/common/dialog_model.h"
#include "ui/win32/about_box.h"
#include "ui/win32/app_state.h"
#include "ui/win32/folder_picker.h"
#include "ui/win32/hyper_link.h"
#include "ui/win32/resource_ids.h"

namespace marlix::ui::win32 {
namespace {

// The Marlix folder lies at the root of drive C:.
constexpr char kFolderRoot[] = "C:\\";

// The link to the last run's output; lives as long as the main dialog.
HyperLink* resultLink = nullptr;

void OpenWithShell(HWND owner, const char* path) {
  ::ShellExecuteA(owner, "open", path, nullptr, nullptr, SW_SHOWNORMAL);
}

ResultOpener& Opener() {
  static ResultOpener opener = OpenWithShell;
  return opener;
}

// The labels are UTF-8: they reach the list as UTF-16, whatever the code page.
void AddChoice(HWND list, const EditionChoice& choice) {
  wchar_t label[128] = {};
  if (::MultiByteToWideChar(CP_UTF8, 0, choice.label, -1, label, 127) == 0) return;
  // Appended in order (the list is not sorted): an entry's index is its
  // place among the choices.
  ::SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(label));
}

// Fills the drop-down from the editions this build can write, the first
// chosen, and lets its list drop as far as its entries need.
void FillEditionChoice(HWND dialog) {
  HWND list = ::GetDlgItem(dialog, kIdEdition);
  if (list == nullptr) return;
  int count = 0;
  for (const EditionChoice& choice : DialogEditions()) {
    AddChoice(list, choice);
    ++count;
  }
  ::SendMessageA(list, CB_SETCURSEL, 0, 0);
  ::SendMessageA(list, CB_SETMINVISIBLE, static_cast<WPARAM>(count), 0);
  RECT place;
  ::GetWindowRect(list, &place);
  const auto field = static_cast<int>(::SendMessageA(list, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0));
  const auto item = static_cast<int>(::SendMessageA(list, CB_GETITEMHEIGHT, 0, 0));
  const int dropped = field + 2 * ::GetSystemMetrics(SM_CYEDGE) + count * item + 4;
  ::SetWindowPos(list, nullptr, 0, 0, place.right - place.left, dropped,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

OutputEdition ChosenEdition(HWND dialog) {
  const LRESULT index = ::SendDlgItemMessageA(dialog, kIdEdition, CB_GETCURSEL, 0, 0);
  return EditionOfChoice(static_cast<int>(index));
}

void HideResult() {
  if (resultLink == nullptr || resultLink->window() == nullptr) return;
  HWND window = resultLink->window();
  // The focus would otherwise stay on a hidden control.
  if (::GetFocus() == window) {
    ::SendMessageA(::GetParent(window), WM_NEXTDLGCTL, 0, 0);
  }
  ::ShowWindow(window, SW_HIDE);
}

void ShowResult(const TextString& startPage) {
  if (resultLink == nullptr || resultLink->window() == nullptr) return;
  resultLink->setTarget(startPage);
  ::ShowWindow(resultLink->window(), SW_SHOW);
}

void Convert(HWND dialog) {
  const ConversionRequest request =
      BuildRequest(FieldText(dialog, kIdSourceFolder), FieldText(dialog, kIdDestinationFolder),
                   FieldText(dialog, kIdDestinationName), ChosenEdition(dialog));
  HideResult();
  const DialogRun run = RunFromDialog(request);
  if (!run.result.IsEmpty()) ShowResult(run.result);
  ReportOutcome(run.outcome, App().mainDialog);
}

// A change of any field or of the chosen edition: the link would open the
// output of a request that is no longer the one shown.
bool ChangesTheRequest(WPARAM wParam) {
  const int id = LOWORD(wParam);
  const int code = HIWORD(wParam);
  if (id == kIdEdition) return code == CBN_SELCHANGE;
  return code == EN_CHANGE &&
         (id == kIdSourceFolder || id == kIdDestinationFolder || id == kIdDestinationName);
}

}  // namespace

void SetResultOpener(ResultOpener opener) { Opener() = opener != nullptr ? opener : OpenWithShell; }

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
      FillEditionChoice(dialog);
      delete resultLink;
      resultLink = new HyperLink;
      resultLink->attach(::GetDlgItem(dialog, kIdOpenResult));
      resultLink->setClickAction(ClickAction::Notify);
      return 1;  // the dialog manager sets the focus
    }
    case WM_CLOSE:
      ::EndDialog(dialog, 0);
      return 0;
    case WM_DESTROY:
      delete resultLink;
      resultLink = nullptr;
      return 0;
    case WM_COMMAND:
      if (ChangesTheRequest(wParam)) {
        HideResult();
        return 0;
      }
      // The result link's click (notification 0).
      if (wParam == static_cast<WPARAM>(kIdOpenResult)) {
        if (resultLink != nullptr && ::IsWindowVisible(resultLink->window())) {
          Opener()(dialog, resultLink->target().CStr());
        }
        return 0;
      }
      // Otherwise only a click (notification 0) of one of the ids 1001 to
      // 1007: the whole parameter is the id. Enter and Escape (IDOK,
      // IDCANCEL) do nothing.
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
