#include "ClockFixture.h"
#include "about/AboutBox.h"
#include "app/CompanionWindows.h"
#include "clock/ClockWindow.h"
#include "fakes/FakeServices.h"
#include "links/LinksWindow.h"
#include "widgets/CommandLabel.h"
#include "widgets/Fonts.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>

class AboutTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { installFontSubstitutions(); }
    void init();
    void cleanup();

    void opensBesideTheClockAtTheAboutRow_data();
    void opensBesideTheClockAtTheAboutRow();
    void showsItsTexts();
    void opensOnceAndStaysPut();
    void okClosesAndTheNextOpeningPlacesAnew();
    void keysAndCloseRequestsAnswerAsOk();
    void foldingCloses();
    void aboutAndLinksCloseEachOther();

private:
    void clickAbout();
    AboutBox* about() const { return m_companions->aboutBox(); }

    std::unique_ptr<ClockFixture> m_fixture;
    ClockWindow* m_clock = nullptr;
    std::unique_ptr<CompanionWindows> m_companions;
};

void AboutTest::init() {
    m_fixture = std::make_unique<ClockFixture>();
    m_fixture->start();
    m_clock = m_fixture->clock.get();
    m_companions = std::make_unique<CompanionWindows>(*m_clock, m_fixture->services());
    m_fixture->unfold();
}

void AboutTest::cleanup() {
    m_companions.reset();
    m_fixture.reset();
}

void AboutTest::clickAbout() {
    auto* label = m_clock->findChild<CommandLabel*>(QStringLiteral("aboutCommand"));
    QTest::mouseClick(m_clock->windowHandle(), Qt::LeftButton, {}, label->geometry().center());
}

void AboutTest::opensBesideTheClockAtTheAboutRow_data() {
    QTest::addColumn<QPoint>("clockAt");
    QTest::addColumn<QPoint>("aboutAt");
    // 88 px wide clock, 10 twips gap (one pixel), 2160 twips (144 px) down.
    QTest::newRow("top edge") << QPoint(468, 0) << QPoint(557, 144);
    QTest::newRow("lower") << QPoint(100, 200) << QPoint(189, 344);
    QTest::newRow("partly off the left") << QPoint(-30, 0) << QPoint(59, 144);
}

void AboutTest::opensBesideTheClockAtTheAboutRow() {
    QFETCH(QPoint, clockAt);
    QFETCH(QPoint, aboutAt);
    m_clock->move(clockAt);
    QCOMPARE(m_clock->pos(), clockAt);
    clickAbout();
    QVERIFY(about());
    QVERIFY(about()->isVisible());
    QCOMPARE(about()->pos(), aboutAt);
    // 225 by 120 inside a one-pixel border.
    QCOMPARE(about()->size(), QSize(227, 122));
    QVERIFY(about()->windowFlags().testFlag(Qt::FramelessWindowHint));
}

void AboutTest::showsItsTexts() {
    clickAbout();
    auto text = [this](const char* name) {
        auto* label = about()->findChild<QLabel*>(QLatin1String(name));
        return label ? label->text() : QString();
    };
    QCOMPARE(text("productLabel"), QStringLiteral("Tempivo v2.0"));
    QCOMPARE(text("creatorCaption"), QStringLiteral("Created by:"));
    QCOMPARE(text("contactCaption"), QStringLiteral("Contact:"));
    QVERIFY(!text("creatorLabel").isEmpty());
    QVERIFY(!text("contactLabel").isEmpty());
    QVERIFY(about()->findChild<QWidget*>(QStringLiteral("aboutFrame")));
    QCOMPARE(about()->findChild<QPushButton*>(QStringLiteral("okButton"))->text(),
             QStringLiteral("OK"));
    // Every text fits its label.
    for (const char* name :
         {"productLabel", "creatorCaption", "contactCaption", "creatorLabel", "contactLabel"}) {
        auto* label = about()->findChild<QLabel*>(QLatin1String(name));
        QVERIFY2(label->fontMetrics().horizontalAdvance(label->text()) <= label->width(), name);
    }
}

void AboutTest::opensOnceAndStaysPut() {
    clickAbout();
    AboutBox* first = about();
    const QPoint placed = first->pos();
    m_clock->move(m_clock->pos() + QPoint(-100, 50));
    clickAbout();
    QCOMPARE(about(), first);
    QCOMPARE(about()->pos(), placed);
    int open = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        open += qobject_cast<AboutBox*>(w) && w->isVisible();
    QCOMPARE(open, 1);
}

void AboutTest::okClosesAndTheNextOpeningPlacesAnew() {
    clickAbout();
    QPointer<AboutBox> first = about();
    auto* ok = first->findChild<QPushButton*>(QStringLiteral("okButton"));
    QTest::mouseClick(ok, Qt::LeftButton);
    QVERIFY(!about());
    QVERIFY(first->isHidden());
    QTRY_VERIFY(!first);

    m_clock->move(200, 100);
    clickAbout();
    QVERIFY(about());
    QCOMPARE(about()->pos(), QPoint(289, 244));
}

void AboutTest::keysAndCloseRequestsAnswerAsOk() {
    for (const int key : {int(Qt::Key_Return), int(Qt::Key_Enter), int(Qt::Key_Escape), 0}) {
        clickAbout();
        QPointer<AboutBox> box = about();
        auto* ok = box->findChild<QPushButton*>(QStringLiteral("okButton"));
        QVERIFY(ok->isDefault());
        if (key)
            QTest::keyClick(ok, Qt::Key(key));
        else
            box->close();
        QVERIFY2(!about(), qPrintable(QString::number(key, 16)));
        QTRY_VERIFY(!box);
    }
}

void AboutTest::foldingCloses() {
    clickAbout();
    QPointer<AboutBox> box = about();
    QTest::mouseClick(m_clock->windowHandle(), Qt::LeftButton, {}, QPoint(80, 5));
    QCOMPARE(m_clock->height(), 18);
    QVERIFY(!about());
    QTRY_VERIFY(!box);
}

void AboutTest::aboutAndLinksCloseEachOther() {
    CompanionWindows& companions = *m_companions;
    clickAbout();
    QVERIFY(about());
    auto* links = m_clock->findChild<CommandLabel*>(QStringLiteral("linksCommand"));
    QTest::mouseClick(m_clock->windowHandle(), Qt::LeftButton, {}, links->geometry().center());
    QVERIFY(companions.linksWindow());
    QVERIFY(!about());

    clickAbout();
    QVERIFY(about());
    QVERIFY(!companions.linksWindow());
}

QTEST_MAIN(AboutTest)
#include "tst_about.moc"
