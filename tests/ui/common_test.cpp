// The toolkit-free part of the desktop front end: layout arithmetic, the
// dialog tables, and the link's placement, hit test and mouse reactions.
#include <QTest>
#include <cstring>
#include <set>
#include <string>

#include "ui/common/dialog_model.h"
#include "ui/common/dialog_units.h"
#include "ui/common/link_behaviour.h"

using namespace marlix;
using namespace marlix::ui;

namespace {

bool Inside(const DialogRect& inner, const DialogRect& outer) {
  return inner.x >= outer.x && inner.y >= outer.y &&
         inner.x + inner.width <= outer.x + outer.width &&
         inner.y + inner.height <= outer.y + outer.height;
}

}  // namespace

class CommonTest : public QObject {
  Q_OBJECT

 private slots:
  void dialogUnitsScaleWithTheScreen_data() {
    QTest::addColumn<double>("dpi");
    QTest::addColumn<int>("units");
    QTest::addColumn<int>("horizontal");
    QTest::addColumn<int>("vertical");
    QTest::newRow("96 dpi, main dialog width") << 96.0 << 242 << 363 << 393;
    QTest::newRow("96 dpi, main dialog height") << 96.0 << 108 << 162 << 176;  // 175.5 rounds up
    QTest::newRow("96 dpi, odd unit") << 96.0 << 1 << 2 << 2;  // 1.5 and 1.625 round away
    QTest::newRow("144 dpi") << 144.0 << 242 << 545 << 590;    // 544.5 rounds up
    QTest::newRow("72 dpi") << 72.0 << 8 << 9 << 10;
    QTest::newRow("no dpi known") << 0.0 << 100 << 150 << 163;
  }
  void dialogUnitsScaleWithTheScreen() {
    QFETCH(double, dpi);
    QFETCH(int, units);
    QFETCH(int, horizontal);
    QFETCH(int, vertical);
    QCOMPARE(HorizontalUnitsToPixels(units, dpi), horizontal);
    QCOMPARE(VerticalUnitsToPixels(units, dpi), vertical);
  }

  void touchingControlsStillTouchInPixels() {
    // The Convert and About buttons of the main dialog are 2 units apart;
    // at every scale the gap must stay non-negative and the edges exact.
    for (double dpi : {96.0, 120.0, 144.0, 168.0}) {
      const PixelRect left = ToPixels({10, 3, 7, 5}, dpi);
      const PixelRect right = ToPixels({17, 3, 7, 5}, dpi);
      QCOMPARE(left.x + left.width, right.x);
      QCOMPARE(left.y, right.y);
      QCOMPARE(left.height, right.height);
    }
    QCOMPARE(ToPixels({185, 21, 38, 14}, 96.0), (PixelRect{278, 34, 57, 23}));
  }

  void mainDialogTemplateHangsTogether() {
    const DialogTemplate& dialog = MainDialogTemplate();
    QCOMPARE(std::string(dialog.caption), std::string("Marlix to HTML"));
    QVERIFY(dialog.centred);
    const DialogRect whole{0, 0, dialog.width, dialog.height};
    const ControlTemplate* frame = FindControl(dialog, ControlRole::Frame);
    QVERIFY(frame != nullptr);
    QCOMPARE(std::string(frame->text), std::string("A project by Dorran Vell"));

    std::set<int> ids;
    for (const ControlTemplate& control : dialog.controls) {
      QVERIFY2(Inside(control.rect, whole), control.text);
      if (&control != frame) QVERIFY2(Inside(control.rect, frame->rect), control.text);
      if (control.id != kNoControlId) QVERIFY(ids.insert(control.id).second);
      // Fields, buttons, the drop-down and the link are the tab stops.
      const bool input = control.kind == ControlKind::EditField ||
                         control.kind == ControlKind::PushButton ||
                         control.kind == ControlKind::DropDown || control.kind == ControlKind::Link;
      QCOMPARE(control.tabStop, input);
      // No input covers another.
      for (const ControlTemplate& other : dialog.controls) {
        if (&other == &control || !input || !other.tabStop) continue;
        const DialogRect& a = control.rect;
        const DialogRect& b = other.rect;
        const bool apart = a.x + a.width <= b.x || b.x + b.width <= a.x ||
                           a.y + a.height <= b.y || b.y + b.height <= a.y;
        QVERIFY2(apart, control.text);
      }
    }
  }

  void controlsOfTheFirstDialogKeepTheirPlacesAndOrder() {
    // The first eleven controls, as the dialog had them before the edition
    // was offered, then the three that came with it, in tab order.
    struct Expected {
      int id;
      const char* text;
      DialogRect rect;
    };
    const Expected expected[] = {
        {kNoControlId, "A project by Dorran Vell", {6, 0, 227, 129}},
        {kNoControlId, "Source Folder Path", {64, 10, 62, 8}},
        {kIdSourceFolder, "", {20, 22, 162, 12}},
        {kIdBrowseSource, "Browse\u2026", {185, 21, 38, 14}},
        {kNoControlId, "Destination Folder Path", {60, 37, 76, 8}},
        {kIdDestinationFolder, "", {20, 48, 162, 12}},
        {kIdBrowseDestination, "Browse\u2026", {185, 47, 38, 14}},
        {kNoControlId, "Destination Folder Name", {14, 71, 83, 8}},
        {kIdDestinationName, "", {13, 82, 132, 14}},
        {kIdConvert, "Convert", {149, 82, 38, 14}},
        {kIdAbout, "About", {189, 82, 38, 14}},
        {kNoControlId, "Edition", {14, 100, 83, 8}},
        {kIdEdition, "", {13, 110, 132, 14}},
        {kIdOpenResult, "Open the result", {149, 112, 78, 10}},
    };
    const DialogTemplate& dialog = MainDialogTemplate();
    QCOMPARE(dialog.width, 242);
    QCOMPARE(dialog.height, 134);
    QCOMPARE(dialog.controls.size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
      const ControlTemplate& control = dialog.controls[i];
      QCOMPARE(control.id, expected[i].id);
      QCOMPARE(std::string(control.text), std::string(expected[i].text));
      QCOMPARE(control.rect.x, expected[i].rect.x);
      QCOMPARE(control.rect.y, expected[i].rect.y);
      QCOMPARE(control.rect.width, expected[i].rect.width);
      QCOMPARE(control.rect.height, expected[i].rect.height);
    }
    // Only the link starts hidden.
    for (const ControlTemplate& control : dialog.controls) {
      QCOMPARE(control.hidden, control.id == kIdOpenResult);
    }
  }

  void theRequestTakesTheFieldsAsTypedAndTheEdition() {
    const ConversionRequest request =
        BuildRequest("  /src ", "/out", "name\t", OutputEdition::Web);
    QCOMPARE(std::string(request.sourceFolderPath.CStr()), std::string("  /src "));
    QCOMPARE(std::string(request.destinationFolderPath.CStr()), std::string("/out"));
    QCOMPARE(std::string(request.destinationFolderName.CStr()), std::string("name\t"));
    QCOMPARE(request.edition, OutputEdition::Web);
  }

  void theListIsTheTablesRowsThisBuildCanWrite() {
    // The table as a build without SQLite has it: no docset in the list.
    std::vector<EditionRow> table(Editions().begin(), Editions().end());
    for (EditionRow& row : table) {
      if (row.id == OutputEdition::Docset) row.available = false;
    }
    std::vector<OutputEdition> listed;
    for (const EditionChoice& choice : EditionChoices(table)) listed.push_back(choice.edition);
    std::vector<OutputEdition> expected;
    for (const EditionRow& row : table) {
      if (row.available) expected.push_back(row.id);
    }
    QVERIFY(listed == expected);
    QCOMPARE(listed.front(), OutputEdition::Classic);

    // This build: every row it can write, by its label, in the table's order.
    const std::vector<EditionChoice> choices = DialogEditions();
    std::size_t at = 0;
    for (const EditionRow& row : Editions()) {
      if (!row.available) continue;
      QVERIFY(at < choices.size());
      QCOMPARE(choices[at].edition, row.id);
      QCOMPARE(std::string(choices[at].label), std::string(row.label));
      ++at;
    }
    QCOMPARE(at, choices.size());
  }

  void anEntryThatIsNoneMeansTheFirst() {
    const std::vector<EditionChoice> choices = DialogEditions();
    QVERIFY(!choices.empty());
    const int count = static_cast<int>(choices.size());
    for (int i = 0; i < count; ++i) QCOMPARE(EditionOfChoice(i), choices[i].edition);
    QCOMPARE(EditionOfChoice(-1), choices.front().edition);  // nothing chosen
    QCOMPARE(EditionOfChoice(count), choices.front().edition);
  }

  void theLinkOpensWhatACompletedOrIncompleteRunWrote() {
    ConversionSummary summary;
    summary.contentsPage = "/out/x/Index.htm";
    summary.startPage = "/out/x/Index.htm";
    QCOMPARE(std::string(ResultToOpen(ConversionOutcome::Completed, summary, false).CStr()),
             std::string("/out/x/Index.htm"));
    QCOMPARE(std::string(ResultToOpen(ConversionOutcome::IncompleteOutput, summary, false).CStr()),
             std::string("/out/x/Index.htm"));
    // An incomplete run that lost the start page has nothing to open.
    QVERIFY(ResultToOpen(ConversionOutcome::IncompleteOutput, summary, true).IsEmpty());
    for (ConversionOutcome failed :
         {ConversionOutcome::InfoMissing, ConversionOutcome::DestinationNotCreated,
          ConversionOutcome::NoValidSourceFiles, ConversionOutcome::UnexpectedError}) {
      QVERIFY(ResultToOpen(failed, summary, false).IsEmpty());
    }
  }

  void lostFilesKnowsEachPathItWasTold() {
    LostFiles lost;
    Diagnostics& told = lost;
    told.OutputNotCreated("/out/x/B0P1.htm", 28);
    told.OutputNotWritten("/out/x/Index.htm", 28);
    told.OutputWritten("/out/x/Topic0.htm");
    QVERIFY(lost.Lost("/out/x/Index.htm"));
    QVERIFY(lost.Lost("/out/x/B0P1.htm"));
    QVERIFY(!lost.Lost("/out/x/Topic0.htm"));
    QVERIFY(!lost.Lost("/out/x/index.htm"));
    QVERIFY(!lost.Lost(""));
  }

  void colourRefIsBlueGreenRed() {
    QCOMPARE(int(BlueOf(kLinkTextColour)), 255);
    QCOMPARE(int(RedOf(kLinkTextColour)), 0);
    QCOMPARE(int(RedOf(kLinkHoverColour)), 255);
    QCOMPARE(int(BlueOf(kLinkHoverColour)), 0);
    QCOMPARE(MakeColourRef(0x80, 0, 0x80), kLinkVisitedColour);
    QCOMPARE(MakeColourRef(0x12, 0x34, 0x56), ColourRef{0x563412});
    QCOMPARE(int(GreenOf(0x00FF00)), 255);
  }

  void textIsPlacedByAlignment_data() {
    QTest::addColumn<int>("alignment");
    QTest::addColumn<int>("left");
    QTest::addColumn<int>("top");
    // Client 101 x 41 at (10, 20); text 30 x 10: free 71 x 31.
    QTest::newRow("0 top left") << 0 << 10 << 20;
    QTest::newRow("1 top centre") << 1 << 45 << 20;  // 71 / 2 rounds down
    QTest::newRow("2 top right") << 2 << 81 << 20;
    QTest::newRow("3 middle left") << 3 << 10 << 35;
    QTest::newRow("4 middle centre") << 4 << 45 << 35;
    QTest::newRow("5 middle right") << 5 << 81 << 35;
    QTest::newRow("6 bottom left") << 6 << 10 << 51;
    QTest::newRow("7 bottom centre") << 7 << 45 << 51;
    QTest::newRow("8 bottom right") << 8 << 81 << 51;
    QTest::newRow("9 acts as 0") << 9 << 10 << 20;
    QTest::newRow("-1 acts as 0") << -1 << 10 << 20;
  }
  void textIsPlacedByAlignment() {
    QFETCH(int, alignment);
    QFETCH(int, left);
    QFETCH(int, top);
    const TextBox placed = PlaceText({10, 20, 111, 61}, 30, 10, alignment);
    QCOMPARE(placed, (TextBox{left, top, left + 30, top + 10}));
  }

  void textLargerThanTheControlStaysTopLeft() {
    for (int alignment = 0; alignment <= 8; ++alignment) {
      QCOMPARE(PlaceText({0, 0, 50, 10}, 80, 16, alignment), (TextBox{0, 0, 80, 16}));
    }
    // Only the crowded direction stays put.
    QCOMPARE(PlaceText({0, 0, 50, 40}, 80, 10, 4), (TextBox{0, 15, 80, 25}));
  }

  void hitTestIncludesAllFourEdges() {
    const TextBox box{10, 20, 40, 30};
    QVERIFY(PointInside(box, 10, 20));
    QVERIFY(PointInside(box, 40, 30));
    QVERIFY(PointInside(box, 25, 25));
    QVERIFY(!PointInside(box, 9, 25));
    QVERIFY(!PointInside(box, 41, 25));
    QVERIFY(!PointInside(box, 25, 19));
    QVERIFY(!PointInside(box, 25, 31));
  }

  void hoverTurnsTheLinkHotOverTheTextOnly() {
    LinkBehaviour link;
    link.SetTextBox({40, 10, 80, 20});
    QVERIFY(!link.hot());
    QVERIFY(!link.Underlined());
    QCOMPARE(link.CurrentColour(), kLinkTextColour);

    // First move beside the text: arrow, leave tracking asked for, no repaint.
    LinkEffects effects = link.MouseMoved(5, 15);
    QCOMPARE(effects.cursor, LinkCursor::Arrow);
    QVERIFY(effects.trackLeave);
    QVERIFY(!effects.repaint);
    QVERIFY(!link.hot());

    effects = link.MouseMoved(50, 15);
    QCOMPARE(effects.cursor, LinkCursor::Hand);
    QVERIFY(effects.repaint);
    QVERIFY(!effects.trackLeave);
    QVERIFY(link.hot());
    QVERIFY(link.Underlined());
    QCOMPARE(link.CurrentColour(), kLinkHoverColour);

    // Moving on over the text changes nothing more.
    effects = link.MouseMoved(60, 18);
    QCOMPARE(effects.cursor, LinkCursor::Unchanged);
    QVERIFY(!effects.repaint);

    effects = link.MouseMoved(90, 15);
    QCOMPARE(effects.cursor, LinkCursor::Arrow);
    QVERIFY(effects.repaint);
    QVERIFY(!link.hot());
    QVERIFY(!link.Underlined());
  }

  void leavingEndsTheHotLook() {
    LinkBehaviour link;
    link.SetTextBox({0, 0, 30, 10});
    link.MouseMoved(5, 5);
    QVERIFY(link.hot());
    LinkEffects effects = link.MouseLeft();
    QCOMPARE(effects.cursor, LinkCursor::Arrow);
    QVERIFY(effects.repaint);
    QVERIFY(!link.hot());
    QVERIFY(!link.tracking());
    // Leaving when cold repaints nothing; coming back asks for tracking again.
    effects = link.MouseLeft();
    QVERIFY(!effects.repaint);
    QVERIFY(link.MouseMoved(50, 50).trackLeave);
  }

  void clickNeedsPressAndReleaseOverTheText() {
    LinkBehaviour link;
    link.SetTextBox({40, 10, 80, 20});

    link.ButtonPressed(5, 15);  // outside
    link.MouseMoved(50, 15);
    LinkEffects effects = link.ButtonReleased(50, 15);
    QVERIFY(!effects.open && !effects.notify);

    link.ButtonPressed(50, 15);
    link.MouseMoved(90, 15);  // dragged away
    effects = link.ButtonReleased(90, 15);
    QVERIFY(!effects.open && !effects.notify);

    link.MouseMoved(50, 15);
    link.ButtonPressed(50, 15);
    effects = link.ButtonReleased(52, 16);
    QVERIFY(effects.open);
    QVERIFY(!effects.notify);
    // A second release without a press is no click.
    QVERIFY(!link.ButtonReleased(52, 16).open);
  }

  void clickActionChoosesOpenNotifyOrBoth() {
    struct Case {
      ClickAction action;
      bool open;
      bool notify;
    };
    for (const Case& c :
         {Case{ClickAction::Open, true, false}, Case{ClickAction::Notify, false, true},
          Case{ClickAction::OpenThenNotify, true, true}}) {
      LinkBehaviour link;
      link.clickAction = c.action;
      link.SetTextBox({0, 0, 30, 10});
      link.ButtonPressed(3, 3);
      const LinkEffects effects = link.ButtonReleased(3, 3);
      QCOMPARE(effects.open, c.open);
      QCOMPARE(effects.notify, c.notify);
      // Space or Enter on a focused link is the same click, wherever the
      // mouse is.
      link.MouseLeft();
      const LinkEffects key = link.KeyActivated();
      QCOMPARE(key.open, c.open);
      QCOMPARE(key.notify, c.notify);
    }
  }

  void visitModeDecidesThePurple() {
    auto clickAndLeave = [](LinkBehaviour& link) {
      link.SetTextBox({0, 0, 30, 10});
      link.MouseMoved(3, 3);
      link.ButtonPressed(3, 3);
      link.ButtonReleased(3, 3);
      link.MouseLeft();
    };
    LinkBehaviour byDefault;
    clickAndLeave(byDefault);
    QVERIFY(!byDefault.visited());
    QCOMPARE(byDefault.CurrentColour(), kLinkTextColour);

    LinkBehaviour marking;
    marking.visitMode = VisitMode::MarkOnClick;
    clickAndLeave(marking);
    QVERIFY(marking.visited());
    QCOMPARE(marking.CurrentColour(), kLinkVisitedColour);
    // Hot wins over visited.
    marking.MouseMoved(3, 3);
    QCOMPARE(marking.CurrentColour(), kLinkHoverColour);

    LinkBehaviour marked;
    marked.visitMode = VisitMode::MarkOnClick;
    clickAndLeave(marked);
    marked.visitMode = VisitMode::NeverShown;
    QCOMPARE(marked.CurrentColour(), kLinkTextColour);
  }

  void underlineModes() {
    LinkBehaviour link;
    link.SetTextBox({0, 0, 30, 10});
    link.underlineMode = UnderlineMode::Always;
    QVERIFY(link.Underlined());
    link.underlineMode = UnderlineMode::Never;
    link.MouseMoved(3, 3);
    QVERIFY(link.hot());
    QVERIFY(!link.Underlined());
  }
};

QTEST_APPLESS_MAIN(CommonTest)
#include "common_test.moc"
