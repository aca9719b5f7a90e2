// The live parts of the window and what the operations drive through it: the blinking lamp,
// the ID panel, the clock panel, the card number store, the reply field, the window lock and the
// busy cursor.
#include <QGuiApplication>
#include <QPainter>
#include <QSignalSpy>
#include <QWheelEvent>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "i18n/message_catalogue.h"
#include "ui/reply_text.h"
#include "ui/status_line.h"
#include "window_fixture.h"

namespace vr::test {
namespace {

const QColor kYellow(255, 255, 0);
const QColor kRed(255, 0, 0);
const QColor kWhite(255, 255, 255);

class FeedbackTest : public WindowTest {};

TEST_F(FeedbackTest, BlinkPhaseContinuesAcrossBusyPeriods) {
    auto &w = open();
    w.BusyMode(true);
    EXPECT_TRUE(w.tmrBusy->isActive());
    EXPECT_TRUE(w.isLocked());
    std::vector<QColor> blinks;
    const auto tick = [&] {
        w.tmrBusyTimer();
        blinks.push_back(w.shComm->brushColour());
    };
    tick();
    tick();
    tick();
    w.BusyMode(false);
    EXPECT_FALSE(w.tmrBusy->isActive());
    EXPECT_FALSE(w.isLocked());
    // Switching off leaves the lamp as the last blink painted it.
    EXPECT_EQ(w.shComm->brushColour(), kRed);
    w.lamp(LampColour::Yellow); // the caller's final colour

    w.BusyMode(true);
    tick();
    tick();
    w.BusyMode(false);
    EXPECT_EQ(blinks, (std::vector<QColor>{kRed, kYellow, kRed, kYellow, kRed}));
}

TEST_F(FeedbackTest, BusyModeOffWhileRedStaysRedUntilTheCallerPaints) {
    auto &w = open();
    w.lamp(LampColour::Yellow);
    w.BusyMode(true);
    w.tmrBusyTimer(); // first tick of the run: red
    w.BusyMode(false);
    EXPECT_EQ(w.shComm->brushColour(), kRed);
    EXPECT_EQ(w.busyPhase(), 1);
}

struct IdCase {
    int position;
    const char *caption;
};

void PrintTo(const IdCase &c, std::ostream *out) {
    *out << c.position;
}

class IdPanel : public WindowTest, public ::testing::WithParamInterface<IdCase> {};

TEST_P(IdPanel, ShowsThePositionAsThreeDigitsWithinTheLimits) {
    auto &w = open();
    w.sbID->setValue(500); // so that every row is a change
    w.address(GetParam().position);
    EXPECT_EQ(w.pnID->text(), GetParam().caption);
}

INSTANTIATE_TEST_SUITE_P(Window, IdPanel,
                         ::testing::Values(IdCase{1, "001"}, IdCase{7, "007"}, IdCase{42, "042"},
                                           IdCase{999, "999"}, IdCase{0, "001"}, IdCase{-5, "001"},
                                           IdCase{1000, "999"}, IdCase{123456, "999"}));

TEST_F(IdPanel, ScrollBarStepsByOneAndByAHundredInItsTrack) {
    auto &w = open();
    EXPECT_EQ(w.sbID->minimum(), 1);
    EXPECT_EQ(w.sbID->maximum(), 999);
    w.sbID->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(w.pnID->text(), "001");
    w.sbID->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(w.pnID->text(), "002");
    // A click in the track, right of the slider.
    QTest::mouseClick(w.sbID, Qt::LeftButton, {}, QPoint(w.sbID->width() * 3 / 4, 11));
    EXPECT_EQ(w.pnID->text(), "102");
    w.sbID->setValue(950);
    w.sbID->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(w.pnID->text(), "999");
}

TEST_F(FeedbackTest, ClockPanelShowsThePcClock) {
    auto &w = open();
    platform.setLocalTime(LocalTime{2005, 9, 13, 7, 41, 51});
    w.tmrClockTimer();
    EXPECT_EQ(w.pnSetDate->text(), "2005/09/13 07:41:51");
    platform.setLocalTime(LocalTime{2024, 12, 31, 23, 59, 5});
    w.tmrClockTimer();
    EXPECT_EQ(w.pnSetDate->text(), "2024/12/31 23:59:05");
}

TEST_F(FeedbackTest, FirstStartStoresTheDefaultCardNumber) {
    auto &w = open();
    EXPECT_EQ(w.edCardID->text(), "00000000");
    EXPECT_EQ(stored().ScanCardID, "00000000");
}

// Each change of any of the three edit boxes stores the text of the card field again. The row's
// action changes one box; before it, the store is given another card number behind the window's
// back, so that a save of an unchanged text shows too.
struct CardSaveCase {
    const char *name;
    void (*change)(ui::TfrmModule &);
    const char *card; // the card field and the stored card number afterwards
};

void PrintTo(const CardSaveCase &c, std::ostream *out) {
    *out << c.name;
}

class CardNumberStore : public WindowTest, public ::testing::WithParamInterface<CardSaveCase> {};

TEST_P(CardNumberStore, EveryChangeOfAnyEditBoxSavesTheCardField) {
    auto &w = open();
    w.pcDefault->setCurrentWidget(w.tsCommand);
    ScanSettings other;
    other.ScanCardID = "elsewhere";
    store.SaveCardID(other);

    GetParam().change(w);

    EXPECT_EQ(w.edCardID->text(), GetParam().card);
    EXPECT_EQ(w.session().settings.ScanCardID, GetParam().card);
    EXPECT_EQ(stored().ScanCardID, GetParam().card);
}

INSTANTIATE_TEST_SUITE_P(Window, CardNumberStore,
                         ::testing::Values(CardSaveCase{"TypingInTheCardField",
                                                        [](ui::TfrmModule &w) {
                                                            w.edCardID->end(false);
                                                            QTest::keyClicks(w.edCardID, "5");
                                                        },
                                                        "000000005"},
                                           CardSaveCase{"ClearingTheCardField",
                                                        [](ui::TfrmModule &w) {
                                                            w.edCardID->selectAll();
                                                            QTest::keyClick(w.edCardID,
                                                                            Qt::Key_Delete);
                                                        },
                                                        ""},
                                           CardSaveCase{"TypingACommand",
                                                        [](ui::TfrmModule &w) {
                                                            w.edCommand->end(false);
                                                            QTest::keyClicks(w.edCommand, "C");
                                                        },
                                                        "00000000"},
                                           CardSaveCase{"FillingTheReplyField",
                                                        [](ui::TfrmModule &w) {
                                                            w.reply("\x03"
                                                                    "001OK\x04"
                                                                    "ABCD\r");
                                                        },
                                                        "00000000"}),
                         [](const ::testing::TestParamInfo<CardSaveCase> &param) {
                             return std::string(param.param.name);
                         });

TEST_F(FeedbackTest, ReplyFieldShowsControlBytesAndKeepsTheRawReply) {
    auto &w = open();
    const QByteArray reply("\x03"
                           "001OK\x00Z\x04"
                           "5A3F\r",
                           14);
    w.reply(reply);
    EXPECT_EQ(w.edRecCommand->text(), "<ETX>001OK<NUL>Z<EOT>5A3F<CR>");
    EXPECT_EQ(w.replyBytes(), reply);
    EXPECT_EQ(w.edRecCommand->cursorPosition(), 0);
    w.reply({});
    EXPECT_TRUE(w.edRecCommand->text().isEmpty());
}

TEST(ReplyText, NamesEveryControlByteAndPassesTheRest) {
    EXPECT_EQ(ui::VisibleReplyText(QByteArray("\x01\x02\x0a\x1f", 4)), "<SOH><STX><LF><US>");
    EXPECT_EQ(ui::VisibleReplyText("a\x7f b"), "a<DEL> b");
    EXPECT_EQ(ui::VisibleReplyText("\xb0"), QString(QChar(0xB0)));
    EXPECT_EQ(ui::VisibleReplyText(" ~<>"), " ~<>");
}

// Every text the operations write on the status line, with the widest values it can carry:
// port 16, the longest line mode, ten wide characters of card number, ID 999 and trailing
// records of wide characters. The one place that names their messages.
std::vector<QString> StatusTexts(int language) {
    const auto m = [language](Msg message) { return MessageText(message, language); };
    std::vector<QString> texts = {
        // No controller found yet; the scan.
        m(Msg::StartScan), m(Msg::ScanController) + " ....", m(Msg::ScanCom) + " : #16",
        m(Msg::InfoOk) + " : #16)", m(Msg::InfoError) + " : #16)", m(Msg::NotFound),
        // The looping tests, with trailing records (one that looks like markup is shown as it
        // came).
        m(Msg::AutoTestStatus), m(Msg::DidoTest), m(Msg::OpenCom) + " : 16 " + m(Msg::Error),
        "WWWWWWWWWWWWWW (WWWW) (WW)", "<b>WWWWWWW</b> (WWWW) (WW)",
        // Titles with a value.
        m(Msg::AddCard) + " = WWWWWWWWWW", m(Msg::SetBaudRate) + " = 115200,e,8,1",
        m(Msg::SetId) + " = 999"};
    // The single-command operations: title, OK and error message.
    for (Msg first :
         {Msg::SetDateTime, Msg::AlarmTest, Msg::AddCard, Msg::SetBaudRate, Msg::SetFactoryDefault,
          Msg::SetId, Msg::SetMode, Msg::SetCardType, Msg::TestCommand})
        for (int number = static_cast<int>(first); number < static_cast<int>(first) + 3; ++number)
            texts.push_back(m(static_cast<Msg>(number)));
    return texts;
}

// The first and last columns of `area` in which `image` differs from `background`.
std::pair<int, int> InkedColumns(const QImage &image, const QRect &area, QRgb background) {
    int first = area.right() + 1;
    int last = area.left() - 1;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (image.pixel(x, y) != background) {
                first = std::min(first, x);
                last = std::max(last, x);
            }
    return {first, last};
}

// How many columns `text` inks when nothing cuts it.
int InkWidth(const QString &text, const QFont &font) {
    QImage image(800, 40, QImage::Format_RGB32);
    image.fill(Qt::black);
    {
        QPainter painter(&image);
        painter.setFont(font);
        painter.setPen(Qt::white);
        painter.drawText(QRect(10, 0, 780, 40), Qt::AlignLeft | Qt::AlignVCenter, text);
    }
    const auto [first, last] = InkedColumns(image, image.rect(), qRgb(0, 0, 0));
    return last - first + 1;
}

class StatusLineFit : public WindowTest, public ::testing::WithParamInterface<int> {
protected:
    // The columns of the status line that its text inks, the lamp left out.
    std::pair<int, int> inkedColumns() {
        QWidget *line = window->pnMsg;
        QImage image(line->size(), QImage::Format_RGB32);
        line->render(&image, QPoint(), QRegion(), QWidget::DrawWindowBackground);
        return InkedColumns(image, line->contentsRect(),
                            line->palette().color(QPalette::Window).rgb());
    }
};

TEST_P(StatusLineFit, EveryStatusTextShowsWholeLeftOfTheLamp) {
    auto &w = open();
    auto *line = qobject_cast<ui::StatusLine *>(w.pnMsg);
    ASSERT_NE(line, nullptr);
    const int inside = line->contentsRect().left();
    const int lampLeft = w.shComm->x() + w.shComm->circleRect().left();
    // Under Wine the platform may find no face at all and draw every character as a box: the
    // widths mean nothing then.
    if (!QFontMetrics(line->font()).inFont(u'S'))
        GTEST_SKIP() << "no face with Latin letters on this platform";
    for (const QString &text : StatusTexts(GetParam())) {
        SCOPED_TRACE(text.toStdString());
        line->setText(text);
        const auto [first, last] = inkedColumns();
        // Clear of the frame and of the lamp, with a pixel to spare on either side.
        EXPECT_GT(first, inside);
        EXPECT_LT(last, lampLeft - 1);
        // Not cut: as wide as the text's ink in the font it is drawn in, which keeps the
        // display font's height and weight, at the scale it is drawn.
        const QFont font = line->textFont();
        EXPECT_EQ(font.pixelSize(), 16);
        EXPECT_TRUE(font.bold());
        EXPECT_GE(line->textScale(), 0.75);
        EXPECT_NEAR(last - first + 1, InkWidth(text, font) * line->textScale(), 2);
    }
    // A text that clears the lamp when centred (message 2 in the faces of this machine) stays
    // centred on the panel.
    line->setText(StatusTexts(GetParam()).front());
    const auto [first, last] = inkedColumns();
    if ((line->width() + (last - first + 1)) / 2 < lampLeft - 2) {
        EXPECT_NEAR(first + last, line->width() - 1, 3);
    }
}

INSTANTIATE_TEST_SUITE_P(Window, StatusLineFit, ::testing::Values(English, ChineseGB, ChineseBIG5),
                         [](const ::testing::TestParamInfo<int> &param) {
                             return LanguageFlag(param.param).toStdString();
                         });

TEST_F(FeedbackTest, LampsTakeTheExactColours) {
    auto &w = open();
    w.lamp(LampColour::Yellow);
    EXPECT_EQ(w.shComm->brushColour(), kYellow);
    w.lamp(LampColour::Red);
    EXPECT_EQ(w.shComm->brushColour(), kRed);
    w.inputLamp(5, true);
    EXPECT_EQ(w.shDI5->brushColour(), kYellow);
    w.inputLamp(5, false);
    EXPECT_EQ(w.shDI5->brushColour(), kWhite);
    w.inputLamp(0, true);
    w.inputLamp(7, true);
    for (auto *lamp : {w.shDI1, w.shDI2, w.shDI3, w.shDI4, w.shDI5, w.shDI6})
        EXPECT_EQ(lamp->brushColour(), kWhite);
}

// The window's share of a looping test: its button reads Cancel and its list of controls is
// disabled in its order while the test runs; at the end the list comes back in its own order
// and the button gets its caption back. The order is watched through the widgets' enabled-change
// events; btnFactory lies inside gbDefault, whose change carries it, so it is checked by its own
// explicit state instead.
class EnabledOrder : public QObject {
public:
    std::vector<std::string> changes;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() == QEvent::EnabledChange) {
            const auto *widget = static_cast<QWidget *>(watched);
            changes.push_back((widget->isEnabled() ? "enable " : "disable ") +
                              widget->objectName().toStdString());
        }
        return false;
    }
};

struct HoldCase {
    const char *name;
    LoopingTest test;
    std::vector<std::string> disabled;
    std::vector<std::string> enabled;
};

class TestHolding : public WindowTest, public ::testing::WithParamInterface<HoldCase> {};

TEST_P(TestHolding, DisablesItsListInOrderAndGivesItBackInItsOwn) {
    auto &w = open();
    const HoldCase &c = GetParam();
    QPushButton *button = c.test == LoopingTest::Auto ? w.btnProcess : w.btnDIDO;
    const QString caption = button->text();
    EnabledOrder order;
    for (QWidget *widget : w.findChildren<QWidget *>())
        widget->installEventFilter(&order);

    // The colour a control's caption is drawn in, in its present state.
    const auto captionColour = [](const QWidget *widget) {
        return widget->palette().color(widget->foregroundRole());
    };
    std::vector<QWidget *> held = {w.btnFactory};
    for (const auto &name : c.disabled)
        held.push_back(w.findChild<QWidget *>(QString::fromStdString(name)));
    std::vector<QColor> enabledColours;
    for (QWidget *widget : held)
        enabledColours.push_back(captionColour(widget));

    w.testRunning(c.test, true);
    EXPECT_TRUE(w.btnFactory->testAttribute(Qt::WA_ForceDisabled));
    // Disabled looks disabled: the platform's grey, not the design's colour.
    for (std::size_t i = 0; i < held.size(); ++i) {
        SCOPED_TRACE(held[i]->objectName().toStdString());
        EXPECT_FALSE(held[i]->isEnabled());
        EXPECT_NE(captionColour(held[i]), enabledColours[i]);
        EXPECT_EQ(captionColour(held[i]),
                  QApplication::palette().color(QPalette::Disabled, held[i]->foregroundRole()));
    }
    EXPECT_EQ(button->text(), "Cancel");
    EXPECT_TRUE(button->isEnabled());
    const std::vector<QWidget *> stayLive = {w.btnBaudRate, w.btnID,    w.btnMode,
                                             w.cmbAlarm,    w.edCardID, w.chkDO1};
    for (QWidget *live : stayLive)
        EXPECT_TRUE(live->isEnabled()) << live->objectName().toStdString();
    // Children of a disabled group box report their own change too; only the list counts.
    std::vector<std::string> expected;
    for (const auto &name : c.disabled)
        expected.push_back("disable " + name);
    std::vector<std::string> seen;
    for (const auto &change : order.changes)
        if (std::find(c.disabled.begin(), c.disabled.end(), change.substr(8)) != c.disabled.end())
            seen.push_back(change);
    EXPECT_EQ(seen, expected);

    order.changes.clear();
    w.testRunning(c.test, false);
    expected.clear();
    for (const auto &name : c.enabled)
        expected.push_back("enable " + name);
    seen.clear();
    for (const auto &change : order.changes)
        if (std::find(c.enabled.begin(), c.enabled.end(), change.substr(7)) != c.enabled.end())
            seen.push_back(change);
    EXPECT_EQ(seen, expected);
    EXPECT_FALSE(w.btnFactory->testAttribute(Qt::WA_ForceDisabled));
    for (std::size_t i = 0; i < held.size(); ++i)
        EXPECT_EQ(captionColour(held[i]), enabledColours[i]) << held[i]->objectName().toStdString();
    EXPECT_EQ(button->text(), caption);
}

INSTANTIATE_TEST_SUITE_P(
    Window, TestHolding,
    ::testing::Values(
        HoldCase{"AutoTest",
                 LoopingTest::Auto,
                 {"btnExit", "btnDIDO", "btnScan", "btnSetDate", "btnAlarm", "btnSetCard",
                  "btnCardType", "gbDefault", "btnEng", "btnGB", "btnBIG5"},
                 {"btnExit", "btnScan", "btnSetDate", "btnAlarm", "btnSetCard", "btnCardType",
                  "gbDefault", "btnEng", "btnGB", "btnBIG5", "btnDIDO"}},
        HoldCase{"DidoTest",
                 LoopingTest::Dido,
                 {"btnProcess", "btnExit", "btnScan", "btnSetDate", "btnAlarm", "btnSetCard",
                  "btnCardType", "gbDefault", "btnEng", "btnGB", "btnBIG5"},
                 {"btnExit", "btnScan", "btnSetDate", "btnAlarm", "btnSetCard", "btnCardType",
                  "gbDefault", "btnEng", "btnGB", "btnBIG5", "btnProcess"}}),
    [](const auto &row) { return std::string(row.param.name); });

TEST_F(FeedbackTest, OutputBoxesAreTheDidoTestsSwitches) {
    auto &w = open();
    w.chkDO2->setChecked(true);
    EXPECT_TRUE(w.outputOn(2));
    EXPECT_FALSE(w.outputOn(1));
    w.switchOff(2);
    EXPECT_FALSE(w.chkDO2->isChecked());
}

TEST_F(FeedbackTest, BusyCursorIsOneOverrideThatIsGoneAfterwards) {
    auto &w = open();
    w.busyCursor(true);
    w.busyCursor(true);
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    w.busyCursor(false);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

class LockTest : public WindowTest {
protected:
    // Clicks, keys and a wheel turn aimed at the window. Records whether each got through.
    struct Reach {
        int languageClicks = 0;
        bool typed = false;
        bool wheeled = false;
        bool tabbed = false;
    };

    Reach tryEverything() {
        auto &w = *window;
        Reach reach;
        QSignalSpy gb(w.btnGB, &QPushButton::clicked);
        const QString card = w.edCardID->text();
        const int alarm = w.cmbAlarm->currentIndex();
        QTest::mouseClick(w.btnGB, Qt::LeftButton);
        w.edCardID->setFocus();
        w.edCardID->end(false);
        QTest::keyClicks(w.edCardID, "9");
        QWheelEvent wheel(QPointF(20, 10), w.cmbAlarm->mapToGlobal(QPointF(20, 10)), QPoint(),
                          QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(w.cmbAlarm, &wheel);
        QTest::keyClick(w.edCardID, Qt::Key_Tab);
        reach.languageClicks = static_cast<int>(gb.count());
        reach.typed = w.edCardID->text() != card;
        reach.wheeled = w.cmbAlarm->currentIndex() != alarm;
        reach.tabbed = QApplication::focusWidget() != w.edCardID;
        return reach;
    }

    // Nothing of the window is greyed out.
    void expectNothingDisabled() {
        EXPECT_TRUE(window->isEnabled());
        for (auto *widget : window->findChildren<QWidget *>())
            EXPECT_TRUE(widget->isEnabled()) << widget->objectName().toStdString();
    }
};

TEST_F(LockTest, LockedWindowSwallowsClicksKeysAndWheelWithoutGreyingOut) {
    auto &w = open();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));

    w.lockInput(true);
    const Reach locked = tryEverything();
    EXPECT_EQ(locked.languageClicks, 0);
    EXPECT_FALSE(locked.typed);
    EXPECT_FALSE(locked.wheeled);
    EXPECT_FALSE(locked.tabbed);
    EXPECT_EQ(w.session().settings.LanguageNo, 0);
    expectNothingDisabled();

    w.lockInput(false);
    const Reach unlocked = tryEverything();
    EXPECT_EQ(unlocked.languageClicks, 1);
    EXPECT_TRUE(unlocked.typed);
    EXPECT_TRUE(unlocked.wheeled);
    EXPECT_TRUE(unlocked.tabbed);
}

TEST_F(LockTest, InputDuringAnOperationIsSwallowed) {
    auto &w = open();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    bool pumped = false;
    Reach during;
    platform.onPump = [&] {
        if (pumped)
            return;
        pumped = true;
        during = tryEverything();
        expectNothingDisabled();
    };
    QTest::mouseClick(w.btnSetDate, Qt::LeftButton);
    ASSERT_TRUE(pumped);
    EXPECT_EQ(during.languageClicks, 0);
    EXPECT_FALSE(during.typed);
    EXPECT_FALSE(during.tabbed);
    EXPECT_FALSE(w.isLocked());
}

// Every single-command button runs its operation through the frame: before a scan each one
// ends with message 2, a red lamp and the low beep, sends nothing and leaves the window usable.
class OperationButtons : public WindowTest, public ::testing::WithParamInterface<const char *> {};

TEST_P(OperationButtons, BeforeAScanEachEndsWithStartScanController) {
    auto &w = open([](SettingsStore &s) {
        ScanSettings settings;
        settings.LanguageFlag = "ChineseBIG5";
        s.SaveLanguage(settings);
    });
    w.pcDefault->setCurrentWidget(std::string(GetParam()) == "btnFactory" ? w.tsDefault
                                                                          : w.tsCommand);
    w.reply("old reply");
    w.lamp(LampColour::Yellow);
    w.status("something else");
    auto *button = w.findChild<QPushButton *>(GetParam());
    ASSERT_NE(button, nullptr);

    QTest::mouseClick(button, Qt::LeftButton);

    EXPECT_EQ(w.pnMsg->text(), "請先掃描控制器!");
    EXPECT_EQ(w.shComm->brushColour(), kRed);
    const auto beeps = platform.eventsOf(VirtualPlatform::Event::Kind::Beep);
    ASSERT_EQ(beeps.size(), 1u);
    EXPECT_EQ(beeps[0].hz, 300);
    EXPECT_EQ(beeps[0].ms, 300u);
    EXPECT_TRUE(platform.eventsOf(VirtualPlatform::Event::Kind::Open).empty());
    EXPECT_FALSE(w.isLocked());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    if (button == w.btnCommand) {
        EXPECT_TRUE(w.edRecCommand->text().isEmpty());
    }
}

INSTANTIATE_TEST_SUITE_P(Window, OperationButtons,
                         ::testing::Values("btnSetDate", "btnAlarm", "btnSetCard", "btnBaudRate",
                                           "btnID", "btnMode", "btnCardType", "btnFactory",
                                           "btnCommand"));

} // namespace
} // namespace vr::test
