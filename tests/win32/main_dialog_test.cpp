// The Windows main dialog in a real window: its edition list, a conversion
// with each listed edition, and the result link: where the Tab key reaches
// it, what it opens (through a recorder in place of the shell) and what
// hides it again.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/scratch_folder.h"
#include "ui/common/dialog_model.h"
#include "ui/win32/app_state.h"
#include "ui/win32/hyper_link.h"
#include "ui/win32/main_dialog.h"
#include "ui/win32/resource_ids.h"

namespace marlix::ui::win32 {
namespace {

using marlix::testing::operator/;

std::vector<std::string> opened;
void RecordOpened(HWND, const char* path) { opened.emplace_back(path); }

// Closes the message box of a failed run from inside its own modal loop.
std::string boxSeen;
void CALLBACK CloseMessageBox(HWND, UINT, UINT_PTR timer, DWORD) {
  for (const char* title : {"Error", "Info Missing", "Unknown Path"}) {
    if (HWND box = ::FindWindowA("#32770", title)) {
      boxSeen = title;
      ::KillTimer(nullptr, timer);
      ::PostMessageA(box, WM_COMMAND, IDOK, 0);
      return;
    }
  }
}

class MainDialogWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    opened.clear();
    boxSeen.clear();
    App().instance = ::GetModuleHandleA(nullptr);
    RegisterHyperLinkClass(App().instance, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    SetResultOpener(RecordOpened);
    dialog_ = ::CreateDialogParamA(App().instance, MAKEINTRESOURCEA(kMainDialogTemplate), nullptr,
                                   MainDialogProc, 0);
    ASSERT_NE(dialog_, nullptr);
    ::ShowWindow(dialog_, SW_SHOW);
    ::SetForegroundWindow(dialog_);
  }
  void TearDown() override {
    if (dialog_ != nullptr) ::DestroyWindow(dialog_);
    SetResultOpener(nullptr);
  }

  HWND Item(int id) const { return ::GetDlgItem(dialog_, id); }
  bool LinkShown() const { return ::IsWindowVisible(Item(kIdOpenResult)) != 0; }
  void Command(int id, int code = 0) {
    ::SendMessageA(dialog_, WM_COMMAND, MAKEWPARAM(id, code),
                   reinterpret_cast<LPARAM>(Item(id)));
  }
  // As the user picks an entry: the list tells the dialog.
  void Choose(int index) {
    ::SendMessageA(Item(kIdEdition), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    Command(kIdEdition, CBN_SELCHANGE);
  }
  void Convert(const std::string& destination, const char* name) {
    ::SetDlgItemTextA(dialog_, kIdSourceFolder, MARLIX_SAMPLES);
    ::SetDlgItemTextA(dialog_, kIdDestinationFolder, destination.c_str());
    ::SetDlgItemTextA(dialog_, kIdDestinationName, name);
    Command(kIdConvert);
  }
  // The key as the dialog manager hands it on from the message loop.
  void Key(HWND to, WPARAM key) {
    MSG message{to, WM_KEYDOWN, key, 0, 0, {0, 0}};
    if (!::IsDialogMessageA(dialog_, &message)) ::DispatchMessageA(&message);
  }

  HWND dialog_ = nullptr;
};

TEST_F(MainDialogWindowTest, ListsTheEditionsThisBuildWritesTheFirstChosen) {
  HWND list = Item(kIdEdition);
  const std::vector<EditionChoice> choices = DialogEditions();
  ASSERT_FALSE(choices.empty());
  ASSERT_EQ(::SendMessageA(list, CB_GETCOUNT, 0, 0), static_cast<LRESULT>(choices.size()));
  for (std::size_t i = 0; i < choices.size(); ++i) {
    char label[128] = {};
    ::SendMessageA(list, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(label));
    EXPECT_STREQ(label, choices[i].label);
    EXPECT_EQ(EditionOfChoice(static_cast<int>(i)), choices[i].edition);
    // The Windows builds are made without SQLite: no docset.
    EXPECT_NE(choices[i].edition, OutputEdition::Docset);
  }
  EXPECT_EQ(::SendMessageA(list, CB_GETCURSEL, 0, 0), 0);
  EXPECT_EQ(choices[0].edition, OutputEdition::Classic);
  // Its list drops far enough to show every entry.
  COMBOBOXINFO info{};
  info.cbSize = sizeof info;
  ASSERT_TRUE(::GetComboBoxInfo(list, &info));
  ::SendMessageA(list, CB_SHOWDROPDOWN, TRUE, 0);
  RECT dropped;
  ::GetClientRect(info.hwndList, &dropped);
  const auto item = static_cast<LONG>(::SendMessageA(list, CB_GETITEMHEIGHT, 0, 0));
  EXPECT_GE(dropped.bottom - dropped.top, item * static_cast<LONG>(choices.size()));
  ::SendMessageA(list, CB_SHOWDROPDOWN, FALSE, 0);
  EXPECT_FALSE(LinkShown());
}

TEST_F(MainDialogWindowTest, EachListedEditionConvertsAndTheLinkOpensItsStartPage) {
  const marlix::testing::ScratchFolder scratch;
  const marlix::testing::ScratchFolder direct;
  const std::vector<EditionChoice> choices = DialogEditions();
  for (std::size_t i = 0; i < choices.size(); ++i) {
    SCOPED_TRACE(choices[i].label);
    opened.clear();
    Choose(static_cast<int>(i));
    const std::string name = "out" + std::to_string(i);
    Convert(scratch.Path(), name.c_str());
    // The start page the engine names for this edition's output.
    ConversionSummary summary;
    ASSERT_EQ(RunConversion(BuildRequest(MARLIX_SAMPLES, direct.Path().c_str(), name.c_str(),
                                         choices[i].edition),
                            summary),
              ConversionOutcome::Completed);
    const std::string startPage =
        scratch.Path() + std::string(summary.startPage.CStr()).substr(direct.Path().size());
    ASSERT_TRUE(marlix::testing::PathExists(startPage));
    EXPECT_EQ(marlix::testing::ListTree(scratch / name), marlix::testing::ListTree(direct / name));
    ASSERT_TRUE(LinkShown());

    // Enter through the dialog manager, Space, and a click on the text.
    HWND link = Item(kIdOpenResult);
    ::SetFocus(link);
    Key(link, VK_RETURN);
    Key(link, VK_SPACE);
    ::UpdateWindow(link);
    RECT client;
    ::GetClientRect(link, &client);
    const LPARAM at = MAKELPARAM(3, (client.bottom - client.top) / 2);
    ::SendMessageA(link, WM_MOUSEMOVE, 0, at);
    ::SendMessageA(link, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::SendMessageA(link, WM_LBUTTONUP, 0, at);
    EXPECT_EQ(opened, std::vector<std::string>(3, startPage));
  }
}

TEST_F(MainDialogWindowTest, TheLinkIsTheTabStopAfterTheListWhileItShows) {
  EXPECT_EQ(::GetNextDlgTabItem(dialog_, Item(kIdAbout), FALSE), Item(kIdEdition));
  EXPECT_EQ(::GetNextDlgTabItem(dialog_, Item(kIdEdition), FALSE), Item(kIdSourceFolder));
  const marlix::testing::ScratchFolder scratch;
  Convert(scratch.Path(), "out");
  ASSERT_TRUE(LinkShown());
  EXPECT_EQ(::GetNextDlgTabItem(dialog_, Item(kIdEdition), FALSE), Item(kIdOpenResult));
  EXPECT_EQ(::GetNextDlgTabItem(dialog_, Item(kIdOpenResult), FALSE), Item(kIdSourceFolder));
}

TEST_F(MainDialogWindowTest, AChangedFieldOrChoiceOrAFailedRunHidesTheLink) {
  const marlix::testing::ScratchFolder scratch;
  for (int field : {kIdSourceFolder, kIdDestinationFolder, kIdDestinationName, kIdEdition}) {
    SCOPED_TRACE(field);
    const std::string name = "out" + std::to_string(field);
    Choose(0);
    Convert(scratch.Path(), name.c_str());
    ASSERT_TRUE(LinkShown());
    if (field == kIdEdition) {
      Choose(::SendMessageA(Item(kIdEdition), CB_GETCOUNT, 0, 0) > 1 ? 1 : 0);
    } else {
      ::SetDlgItemTextA(dialog_, field, "changed");
    }
    EXPECT_FALSE(LinkShown());
    // The link's command does nothing while it is hidden.
    Command(kIdOpenResult);
    EXPECT_TRUE(opened.empty());
  }

  // The same request again: the folder exists, the run fails.
  Choose(0);
  Convert(scratch.Path(), "again");
  ASSERT_TRUE(LinkShown());
  const UINT_PTR timer = ::SetTimer(nullptr, 0, 50, CloseMessageBox);
  Command(kIdConvert);
  ::KillTimer(nullptr, timer);
  EXPECT_EQ(boxSeen, "Error");
  EXPECT_FALSE(LinkShown());
}

}  // namespace
}  // namespace marlix::ui::win32
