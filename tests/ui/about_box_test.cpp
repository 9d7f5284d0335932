// The About box: its contents, the three links and the banner's look, and
// which keys and buttons end it.
#include "ui/qt/about_box.h"

#include <QFontInfo>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "ui/qt/hyper_link.h"
#include "ui_test_support.h"

using namespace marlix::ui;
using namespace marlix::ui::testing;

class AboutBoxTest : public QObject {
  Q_OBJECT

 private:
  QWidget* owner_ = nullptr;
  AboutBox* box_ = nullptr;
  QStringList opened_;

  HyperLink* link(int index) const { return box_->links().at(static_cast<std::size_t>(index)); }
  QLabel* label(const char* name) const {
    return box_->findChild<QLabel*>(QString::fromLatin1(name));
  }

 private slots:
  void init() {
    opened_.clear();
    HyperLink::setUrlOpener([this](const QString& target) { opened_ << target; });
    owner_ = new QWidget;
    owner_->show();
    box_ = new AboutBox(owner_);
    box_->show();
    QVERIFY(QTest::qWaitForWindowExposed(box_));
    for (HyperLink* l : box_->links()) l->repaint();
    QCoreApplication::sendPostedEvents();
  }
  void cleanup() {
    delete owner_;  // takes the box with it
    owner_ = nullptr;
    box_ = nullptr;
    HyperLink::setUrlOpener({});
  }

  void showsCaptionPictureAuthorAndOk() {
    QCOMPARE(box_->windowTitle(), QStringLiteral("About Marlix to HTML"));
    QCOMPARE(box_->parentWidget(), owner_);
    QCOMPARE(box_->windowModality(), Qt::WindowModal);
    QCOMPARE(box_->minimumSize(), box_->maximumSize());
    QVERIFY(!box_->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    QVERIFY(!box_->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));

    QLabel* picture = label("picture");
    QVERIFY(picture != nullptr);
    QCOMPARE(picture->pixmap().size(), QSize(100, 200));
    QCOMPARE(picture->geometry(), QRect(0, 0, 100, 200));

    QCOMPARE(label("author")->text(), QStringLiteral("Author    : Dorran Vell"));
    QVERIFY(label("location")->text().startsWith(QStringLiteral("Location  : ")));
    QVERIFY(label("location")->text().size() > 12);
    auto* ok = box_->findChild<QPushButton*>(QStringLiteral("ok"));
    QVERIFY(ok != nullptr);
    QCOMPARE(ok->text(), QStringLiteral("OK"));
    QVERIFY(!ok->isDefault() && !ok->autoDefault());
  }

  void holdsThreeLinksAtTheirPlaces() {
    QCOMPARE(box_->links().size(), std::size_t{3});
    QCOMPARE(link(0)->caption(), QStringLiteral("dorran@dorranvell.example"));
    QCOMPARE(link(0)->target(), QStringLiteral("mailto:dorran@dorranvell.example"));
    QCOMPARE(link(0)->geometry(), QRect(100, 74, 230, 30));
    QCOMPARE(link(0)->alignment(), 1);
    QCOMPARE(link(1)->caption(), QStringLiteral("dorranvell.example"));
    QCOMPARE(link(1)->target(), QStringLiteral("http://dorranvell.example/"));
    QCOMPARE(link(1)->geometry(), QRect(100, 105, 230, 30));
    QCOMPARE(link(1)->alignment(), 1);
    QCOMPARE(link(2)->caption(), QStringLiteral("Powered By Kavo"));
    QCOMPARE(link(2)->target(), QStringLiteral("http://dorranvell.example/kavo/"));
    QCOMPARE(link(2)->geometry(), QRect(110, 140, 220, 30));
    QCOMPARE(link(2)->alignment(), 4);
    for (HyperLink* l : box_->links()) {
      QCOMPARE(l->parentWidget(), static_cast<QWidget*>(box_));
      QVERIFY(l->isVisible());
      QVERIFY(box_->rect().contains(l->geometry()));
    }
    // The plain links keep the control's look: top centred, blue, 9 pt.
    QCOMPARE(link(0)->currentColour(), QColor(0, 0, 255));
    QCOMPARE(link(0)->normalFont().pointSize(), 9);
    QCOMPARE(link(0)->textRect().top(), 0);
    QVERIFY(std::abs(link(0)->textRect().center().x() - link(0)->width() / 2) <= 1);
  }

  void clickingTheMailLinkOpensTheMailTarget() {
    HyperLink* mail = link(0);
    ClickLeft(mail, mail->textRect().center());
    QCOMPARE(opened_, QStringList{QStringLiteral("mailto:dorran@dorranvell.example")});
  }

  void bannerIsBoldTwelvePointGreenOnBlack() {
    HyperLink* banner = link(2);
    QCOMPARE(banner->backBrush().style(), Qt::NoBrush);
    QCOMPARE(banner->backColour().value_or(0xFFFFFF), 0u);
    QVERIFY(banner->normalFont().bold());
    QCOMPARE(banner->normalFont().pointSize(), 12);
    QCOMPARE(banner->normalFont().faceName(), QStringLiteral("Tahoma"));
    QCOMPARE(banner->currentColour(), QColor(0, 255, 0));
    // Where Tahoma is missing an installed sans-serif stands in.
    const QFontInfo shown(banner->normalFont().font());
    QVERIFY2(QStringList({QStringLiteral("Tahoma"), QStringLiteral("Liberation Sans"),
                          QStringLiteral("DejaVu Sans")})
                 .contains(shown.family()),
             qPrintable(shown.family()));
    QVERIFY(shown.bold());
    // The underlined font followed the changes.
    QVERIFY(banner->underlineFont().bold());
    QCOMPARE(banner->underlineFont().pointSize(), 12);
    // Middle centred.
    QVERIFY(std::abs(banner->textRect().center().x() - banner->width() / 2) <= 1);
    QVERIFY(std::abs(banner->textRect().center().y() - banner->height() / 2) <= 1);

    const QImage shot = banner->grab().toImage();
    QVERIFY(IsBlack(shot.pixelColor(1, 1)));
    QVERIFY(CountPixels(shot, banner->textRect(), IsGreenish) > 20);
  }

  void bannerStaysGreenWhenHot() {
    HyperLink* banner = link(2);
    MoveMouse(banner, banner->textRect().center());
    QVERIFY(banner->behaviour().hot());
    QCOMPARE(banner->cursor().shape(), Qt::PointingHandCursor);
    QCOMPARE(banner->currentColour(), QColor(0, 255, 0));
    const QImage shot = banner->grab().toImage();
    QVERIFY(IsBlack(shot.pixelColor(1, 1)));
    QVERIFY(CountPixels(shot, banner->textRect(), IsGreenish) > 20);
    QCOMPARE(CountPixels(shot, shot.rect(), IsReddish), 0);
    QVERIFY(HasSolidRow(shot, banner->textRect(), IsGreenish));  // underlined
  }

  void escapeAndEnterDoNotClose() {
    for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter}) {
      QTest::keyClick(box_, key);
      QVERIFY(box_->isVisible());
      QTest::keyClick(box_->findChild<QPushButton*>(QStringLiteral("ok")), key);
      QVERIFY(box_->isVisible());
    }
  }

  void okCloses() {
    QTest::mouseClick(box_->findChild<QPushButton*>(QStringLiteral("ok")), Qt::LeftButton);
    QVERIFY(!box_->isVisible());
    QCOMPARE(box_->result(), 0);
  }

  void closeBoxCloses() {
    QVERIFY(box_->close());
    QVERIFY(!box_->isVisible());
    QCOMPARE(box_->result(), 0);
  }
};

QTEST_MAIN(AboutBoxTest)
#include "about_box_test.moc"
