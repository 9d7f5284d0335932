// The main dialog (template 101): three fields, two Browse buttons, Convert
// and About, the edition drop-down and the link to the last run's output.
#pragma once

#include "engine/conversion_driver.h"
#include "support/text_string.h"
#include "ui/win32/win32_headers.h"

namespace marlix::ui::win32 {

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Opens a run's start page (a file or a folder) for the user. The program
// hands it to the shell; tests put a recorder in its place. Null restores
// the shell.
using ResultOpener = void (*)(HWND owner, const char* path);
void SetResultOpener(ResultOpener opener);

// Shows the message box of a failed run, owned by owner; nothing for Completed.
void ReportOutcome(ConversionOutcome outcome, HWND owner);

// The whole text of a dialog's control.
TextString FieldText(HWND dialog, int id);

// The folder both folder fields start at and both pickers pre-select.
TextString MarlixFolder();

}  // namespace marlix::ui::win32
