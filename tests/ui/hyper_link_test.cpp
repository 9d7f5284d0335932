// The link widget: its look at rest and while hot, the hit area, clicks,
// the notice that keeps the underlined font in step, and its painting.
#include "ui/qt/hyper_link.h"

#include <QFontInfo>
#include <QSignalSpy>
#include <QTest>

#include "ui_test_support.h"

using namespace marlix::ui;
using namespace marlix::ui::testing;

class HyperLinkTest : public QObject {
  Q_OBJECT

 private:
  QWidget* parent_ = nullptr;
  HyperLink* link_ = nullptr;
  QStringList opened_;

  // Paints the link so that its hit area is known, as it is once shown.
  void paint() {
    link_->repaint();
    QCoreApplication::sendPostedEvents();
  }
  QPoint overText() const { return link_->textRect().center(); }
  QImage image() const { return link_->grab().toImage(); }

 private slots:
  void init() {
    opened_.clear();
    HyperLink::setUrlOpener([this](const QString& target) { opened_ << target; });
    parent_ = new QWidget;
    parent_->resize(320, 80);
    link_ = new HyperLink(parent_, 7);
    link_->setGeometry(10, 10, 300, 40);
    link_->setCaption(QStringLiteral("Example link"));
    link_->setTarget(QStringLiteral("http://example.test/page"));
    link_->setAlignment(4);
    parent_->show();
    QVERIFY(QTest::qWaitForWindowExposed(parent_));
    paint();
  }
  void cleanup() {
    delete parent_;
    parent_ = nullptr;
    HyperLink::setUrlOpener({});
  }

  void defaultsOfANewLink() {
    HyperLink link;
    QCOMPARE(link.normalFont().pointSize(), 9);
    QVERIFY(!link.normalFont().bold());
    QCOMPARE(link.normalFont().faceName(), QStringLiteral("Arial"));
    QVERIFY(link.underlineFont().underline());
    QVERIFY(!link.normalFont().underline());
    QCOMPARE(link.behaviour().underlineMode, UnderlineMode::WhileHot);
    QCOMPARE(link.behaviour().clickAction, ClickAction::Open);
    QCOMPARE(link.behaviour().visitMode, VisitMode::NoMark);
    QCOMPARE(link.alignment(), 0);
    QCOMPARE(link.childId(), 0);
    QCOMPARE(link.backBrush().color(), link.palette().color(QPalette::Button));
    QVERIFY(!link.backColour().has_value());
    QCOMPARE(link.currentColour(), QColor(0, 0, 255));
  }

  void coldAtRest() {
    QVERIFY(!link_->behaviour().hot());
    QVERIFY(!link_->currentFont().underline());
    QCOMPARE(link_->cursor().shape(), Qt::ArrowCursor);
    const QImage shot = image();
    QVERIFY(CountPixels(shot, link_->textRect(), IsBluish) > 10);
    QCOMPARE(CountPixels(shot, shot.rect(), IsReddish), 0);
    QVERIFY(!HasSolidRow(shot, link_->textRect(), IsBluish));
  }

  void hotAndUnderlinedInRedOverTheText() {
    MoveMouse(link_, overText());
    QVERIFY(link_->behaviour().hot());
    QCOMPARE(link_->cursor().shape(), Qt::PointingHandCursor);
    QVERIFY(link_->currentFont().underline());
    QCOMPARE(link_->currentColour(), QColor(255, 0, 0));
    const QImage shot = image();
    QVERIFY(CountPixels(shot, link_->textRect(), IsReddish) > 10);
    QCOMPARE(CountPixels(shot, shot.rect(), IsBluish), 0);
    QVERIFY(HasSolidRow(shot, link_->textRect(), IsReddish));
  }

  void coldOverEmptySpaceBesideCentredText() {
    const QRect text = link_->textRect();
    QVERIFY(text.left() > 20);  // centred: there is room on both sides
    QVERIFY(text.right() < link_->width() - 20);
    for (QPoint beside :
         {QPoint(5, text.center().y()), QPoint(link_->width() - 5, text.center().y()),
          QPoint(text.center().x(), link_->height() - 1)}) {
      MoveMouse(link_, beside);
      QVERIFY(!link_->behaviour().hot());
      QCOMPARE(link_->cursor().shape(), Qt::ArrowCursor);
    }
    // And back to cold after having been hot.
    MoveMouse(link_, overText());
    MoveMouse(link_, QPoint(2, 2));
    QVERIFY(!link_->behaviour().hot());
    QCOMPARE(link_->cursor().shape(), Qt::ArrowCursor);
    QVERIFY(!link_->currentFont().underline());
  }

  void leavingTheControlCoolsIt() {
    MoveMouse(link_, overText());
    LeaveWidget(link_);
    QVERIFY(!link_->behaviour().hot());
    QCOMPARE(link_->cursor().shape(), Qt::ArrowCursor);
    QCOMPARE(CountPixels(image(), link_->rect(), IsReddish), 0);
  }

  void pressOutsideReleaseInsideDoesNothing() {
    QSignalSpy notified(link_, &HyperLink::notified);
    link_->setClickAction(ClickAction::OpenThenNotify);
    PressLeft(link_, QPoint(3, 3));
    ReleaseLeft(link_, overText());
    QVERIFY(opened_.isEmpty());
    QCOMPARE(notified.count(), 0);
  }

  void pressInsideReleaseOutsideDoesNothing() {
    PressLeft(link_, overText());
    ReleaseLeft(link_, QPoint(3, 3));
    QVERIFY(opened_.isEmpty());
  }

  void pressAndReleaseInsideOpensOnce() {
    QSignalSpy notified(link_, &HyperLink::notified);
    ClickLeft(link_, overText());
    QCOMPARE(opened_, QStringList{QStringLiteral("http://example.test/page")});
    QCOMPARE(notified.count(), 0);
    // Default visit mode: no purple after the click.
    LeaveWidget(link_);
    QCOMPARE(link_->currentColour(), QColor(0, 0, 255));
    QCOMPARE(CountPixels(image(), link_->rect(), IsPurplish), 0);
  }

  void otherButtonsDoNotClick() {
    const QPoint at = overText();
    MoveMouse(link_, at);
    SendMouse(link_, QEvent::MouseButtonPress, at, Qt::RightButton, Qt::RightButton);
    SendMouse(link_, QEvent::MouseButtonRelease, at, Qt::RightButton, Qt::NoButton);
    QVERIFY(opened_.isEmpty());
  }

  void notifyTellsTheOwnerWithTheChildId() {
    QSignalSpy notified(link_, &HyperLink::notified);
    link_->setClickAction(ClickAction::Notify);
    ClickLeft(link_, overText());
    QVERIFY(opened_.isEmpty());
    QCOMPARE(notified.count(), 1);
    QCOMPARE(notified.first().first().toInt(), 7);
  }

  void bothOpensFirstThenNotifies() {
    QStringList order;
    HyperLink::setUrlOpener([&order](const QString&) { order << QStringLiteral("open"); });
    connect(link_, &HyperLink::notified, this, [&order] { order << QStringLiteral("notify"); });
    link_->setClickAction(ClickAction::OpenThenNotify);
    ClickLeft(link_, overText());
    QCOMPARE(order, (QStringList{QStringLiteral("open"), QStringLiteral("notify")}));
  }

  void emptyTargetOpensNothing() {
    QSignalSpy notified(link_, &HyperLink::notified);
    link_->setTarget(QString());
    link_->setClickAction(ClickAction::OpenThenNotify);
    ClickLeft(link_, overText());
    QVERIFY(opened_.isEmpty());
    QCOMPARE(notified.count(), 1);  // telling the owner does not need a target
  }

  void markingVisitsTurnsTheLinkPurple() {
    link_->setVisitMode(VisitMode::MarkOnClick);
    ClickLeft(link_, overText());
    LeaveWidget(link_);
    QCOMPARE(link_->currentColour(), QColor(0x80, 0, 0x80));
    QVERIFY(CountPixels(image(), link_->textRect(), IsPurplish) > 10);
    link_->setVisitMode(VisitMode::NeverShown);
    QCOMPARE(link_->currentColour(), QColor(0, 0, 255));
  }

  void changingTheNormalFontReachesTheUnderlinedFont() {
    FontSpec& normal = link_->normalFont();
    normal.setBold(true);
    normal.setPointSize(14);
    normal.setFaceName(QStringLiteral("DejaVu Sans"));
    // The underlined font follows through the posted notice.
    QCoreApplication::sendPostedEvents(link_, FontRebuiltEvent::kType);
    const FontSpec& underlined = link_->underlineFont();
    QVERIFY(underlined.bold());
    QCOMPARE(underlined.pointSize(), 14);
    QCOMPARE(underlined.faceName(), QStringLiteral("DejaVu Sans"));
    QVERIFY(underlined.underline());
    QVERIFY(!underlined.held());
    QVERIFY(underlined.font().bold());
    QCOMPARE(underlined.font().pointSize(), 14);
    QVERIFY(underlined.font().underline());

    // The hot look uses it.
    paint();
    MoveMouse(link_, overText());
    QCOMPARE(link_->currentFont().pointSize(), 14);
    QVERIFY(link_->currentFont().bold());
    QVERIFY(link_->currentFont().underline());
  }

  void aHeldFontRebuildsOnceOnRelease() {
    FontSpec fonts;
    int notices = 0;
    struct Counter : QObject {
      int* count;
      explicit Counter(int* c) : count(c) {}
      bool event(QEvent* e) override {
        if (e->type() == FontRebuiltEvent::kType) ++*count;
        return QObject::event(e);
      }
    } counter(&notices);
    fonts.setNotify(&counter, 3);
    fonts.setHold(true);
    fonts.setBold(true);
    fonts.setPointSize(20);
    QVERIFY(!fonts.font().bold());  // not rebuilt while held
    QCoreApplication::sendPostedEvents(&counter, FontRebuiltEvent::kType);
    QCOMPARE(notices, 0);
    fonts.setHold(false);
    QVERIFY(fonts.font().bold());
    QCOMPARE(fonts.font().pointSize(), 20);
    QCoreApplication::sendPostedEvents(&counter, FontRebuiltEvent::kType);
    QCOMPARE(notices, 1);
  }

  void longFaceNamesAreCut() {
    FontSpec fonts;
    fonts.setFaceName(QStringLiteral("DejaVu Sans") + QString(40, QLatin1Char('x')));
    QCOMPARE(fonts.font().families().first().size(), 31);
  }

  void missingFaceFallsBackToAnInstalledSans() {
    FontSpec fonts;
    fonts.setFaceName(QStringLiteral("Tahoma"));
    const QString family = QFontInfo(fonts.font()).family();
    QVERIFY2(QStringList({QStringLiteral("Tahoma"), QStringLiteral("Liberation Sans"),
                          QStringLiteral("DejaVu Sans")})
                 .contains(family),
             qPrintable(family));
  }

  void alignmentPlacesTheHitArea() {
    link_->setAlignment(8);
    paint();
    QCOMPARE(link_->textRect().right(), link_->width() - 1);
    QCOMPARE(link_->textRect().bottom(), link_->height() - 1);
    link_->setAlignment(0);
    paint();
    QCOMPARE(link_->textRect().topLeft(), QPoint(0, 0));
    MoveMouse(link_, QPoint(link_->width() - 3, link_->height() - 3));
    QVERIFY(!link_->behaviour().hot());
  }

  void noBackBrushPaintsTheBackColour() {
    link_->setBackBrush(QBrush());
    link_->setBackColour(0x000000);
    const QImage shot = image();
    QVERIFY(IsBlack(shot.pixelColor(1, 1)));
    QVERIFY(IsBlack(shot.pixelColor(shot.width() - 2, shot.height() - 2)));
  }
};

QTEST_MAIN(HyperLinkTest)
#include "hyper_link_test.moc"
