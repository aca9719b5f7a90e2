// The window's design: controls, places, looks, limits, keyboard focus order, the default
// button, the frame and its close box.
#include <QScreen>
#include <QSignalSpy>
#include <QStyle>

#include <vector>

#include "window_fixture.h"

namespace vr::test {
namespace {

struct Placement {
    const char *name;
    const char *container;
    QRect geometry;
};

class DesignTest : public WindowTest {};

TEST_F(DesignTest, ControlsSitAtTheirPlacesInTheirContainers) {
    auto &w = open();
    const std::vector<Placement> placements = {
        {"pnMsg", "frmModule", {8, 4, 345, 40}},
        {"shComm", "pnMsg", {314, 8, 23, 20}},
        {"pnSerial", "frmModule", {8, 48, 169, 28}},
        {"pnVersion", "frmModule", {184, 48, 169, 28}},
        {"btnScan", "frmModule", {8, 78, 345, 33}},
        {"lblBaudRate", "frmModule", {8, 117, 169, 22}},
        {"pnSetDate", "frmModule", {184, 114, 169, 25}},
        {"chkLock", "frmModule", {8, 140, 17, 17}},
        {"cmbBaudRate", "frmModule", {32, 136, 147, 28}},
        {"pnDate", "frmModule", {184, 138, 169, 25}},
        {"lblID", "frmModule", {8, 208, 28, 22}},
        {"pnID", "frmModule", {40, 208, 39, 25}},
        {"sbID", "frmModule", {80, 208, 97, 23}},
        {"cmbMode", "frmModule", {184, 208, 169, 28}},
        {"cmbAlarm", "frmModule", {8, 320, 171, 28}},
        {"edCardID", "frmModule", {184, 320, 169, 28}},
        {"shDI1", "frmModule", {2, 392, 23, 15}},
        {"shDI6", "frmModule", {162, 392, 23, 15}},
        {"lblDI5", "frmModule", {152, 394, 17, 17}},
        {"chkDO3", "frmModule", {304, 392, 49, 17}},
        {"btnDIDO", "frmModule", {184, 416, 169, 33}},
        {"gbDefault", "frmModule", {360, 4, 193, 373}},
        {"pcDefault", "gbDefault", {6, 27, 182, 342}},
        {"btnFactory", "tsDefault", {4, 6, 165, 291}},
        {"lblCommand", "tsCommand", {5, 21, 169, 22}},
        {"edCommand", "tsCommand", {5, 52, 169, 28}},
        {"edRecCommand", "tsCommand", {5, 156, 169, 28}},
        {"btnCommand", "tsCommand", {5, 215, 169, 82}},
        {"btnEng", "frmModule", {359, 384, 62, 24}},
        {"btnGB", "frmModule", {426, 384, 62, 24}},
        {"btnBIG5", "frmModule", {492, 384, 62, 24}},
        {"btnExit", "frmModule", {360, 416, 193, 33}},
        {"pnVORNA", "frmModule", {0, 453, 561, 21}},
    };
    for (const auto &p : placements) {
        SCOPED_TRACE(p.name);
        auto *control = w.findChild<QWidget *>(p.name);
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(control->geometry(), p.geometry);
        ASSERT_NE(control->parentWidget(), nullptr);
        // Pages sit inside the page control's stack; the container is the page itself.
        EXPECT_EQ(control->parentWidget()->objectName(), p.container);
    }
    EXPECT_EQ(w.objectName(), "frmModule");
    EXPECT_EQ(w.size(), QSize(560, 477));
    EXPECT_EQ(w.tmrBusy->objectName(), "tmrBusy");
    EXPECT_EQ(w.tmrClock->objectName(), "tmrClock");
}

TEST_F(DesignTest, FontsAndColoursFollowTheDesign) {
    auto &w = open();
    const QColor yellow(255, 255, 0), white(255, 255, 255), red(255, 0, 0), purple(128, 0, 128);
    struct Look {
        QWidget *control;
        int pixels;
        bool bold;
    };
    for (const auto &look : std::vector<Look>{{w.btnScan, 16, true},
                                              {w.pnSerial, 16, true},
                                              {w.edCardID, 16, true},
                                              {w.lblBaudRate, 13, false},
                                              {w.btnEng, 13, false},
                                              {w.pnSetDate, 13, true},
                                              {w.lblDI1, 11, false},
                                              {w.chkDO1, 11, false},
                                              {w.pcDefault, 16, false},
                                              {w.btnCommand, 16, false},
                                              {w.pnVORNA, 11, false}}) {
        SCOPED_TRACE(look.control->objectName().toStdString());
        EXPECT_EQ(look.control->font().pixelSize(), look.pixels);
        EXPECT_EQ(look.control->font().bold(), look.bold);
        // Chinese captions need a face that has their characters after the Latin ones.
        EXPECT_TRUE(look.control->font().families().contains("WenQuanYi Micro Hei"));
    }
    EXPECT_EQ(w.pnVORNA->palette().color(QPalette::Window), purple);
    EXPECT_EQ(w.pnVORNA->palette().color(QPalette::WindowText), white);
    EXPECT_EQ(w.pnSerial->palette().color(QPalette::WindowText), yellow);
    EXPECT_EQ(w.pnSerial->palette().color(QPalette::Window),
              QApplication::palette().color(QPalette::Highlight));
    EXPECT_EQ(w.pnSetDate->palette().color(QPalette::WindowText), white);
    EXPECT_EQ(w.edCardID->palette().color(QPalette::Text), white);
    EXPECT_EQ(w.cmbMode->palette().color(QPalette::ButtonText), yellow);
    EXPECT_EQ(w.btnEng->palette().color(QPalette::ButtonText), red);
    EXPECT_EQ(w.shComm->brushColour(), red);
    EXPECT_EQ(w.shDI4->brushColour(), white);
}

// The part of a widget that its own painting covers (its background left out).
QRect PaintedBounds(QWidget *widget) {
    QImage image(widget->size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    widget->render(&image, QPoint(), QRegion(), QWidget::RenderFlags());
    QRect bounds;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) != 0)
                bounds |= QRect(x, y, 1, 1);
    return bounds;
}

TEST_F(DesignTest, LampsAreCirclesOfTheShorterSideCentred) {
    auto &w = open();
    const std::vector<std::pair<ui::LampShape *, QRect>> lamps = {
        {w.shComm, {1, 0, 20, 20}}, // 23 x 20
        {w.shDI1, {4, 0, 15, 15}},  // 23 x 15
        {w.shDI6, {4, 0, 15, 15}},
    };
    for (const auto &[lamp, circle] : lamps) {
        SCOPED_TRACE(lamp->objectName().toStdString());
        EXPECT_EQ(PaintedBounds(lamp), circle);
        EXPECT_EQ(lamp->circleRect(), circle);
    }
}

TEST_F(DesignTest, StartsWithTheDesignedContent) {
    auto &w = open([](SettingsStore &s) {
        ScanSettings settings;
        settings.ScanCommNo = 4;
        settings.ScanBaudRateNo = 9;
        settings.ScanBaudRate = "57600,e,8,1";
        s.SaveScanSettings(settings);
    });
    EXPECT_EQ(w.cmbBaudRate->count(), 12);
    EXPECT_EQ(w.cmbBaudRate->itemText(0), "4800,n,8,1");
    EXPECT_EQ(w.cmbBaudRate->itemText(11), "115200,e,8,1");
    EXPECT_EQ(w.cmbBaudRate->currentIndex(), 9);
    EXPECT_EQ(w.cmbMode->currentText(), "24 bits");
    EXPECT_EQ(w.cmbCardType->itemText(2), "Secrity Card");
    EXPECT_EQ(w.cmbCardType->currentIndex(), 0);
    EXPECT_EQ(w.cmbAlarm->count(), 7);
    EXPECT_EQ(w.cmbAlarm->currentIndex(), 0);
    for (auto *list : {w.cmbBaudRate, w.cmbMode, w.cmbCardType, w.cmbAlarm}) {
        EXPECT_FALSE(list->isEditable());
        EXPECT_FALSE(list->testAttribute(Qt::WA_InputMethodEnabled));
    }
    EXPECT_EQ(w.pnDate->text(), "___/__/__  __:__:__");
    EXPECT_EQ(w.pnSetDate->text(), "2001/01/01 12:00:00");
    EXPECT_EQ(w.pnID->text(), "001");
    EXPECT_EQ(w.edCommand->text(), "AB");
    EXPECT_TRUE(w.edRecCommand->text().isEmpty());
    EXPECT_TRUE(w.edRecCommand->isReadOnly());
    EXPECT_TRUE(w.chkLock->isChecked());
    EXPECT_FALSE(w.chkDO1->isChecked() || w.chkDO2->isChecked() || w.chkDO3->isChecked());
    EXPECT_EQ(w.pcDefault->currentWidget(), w.tsDefault);
    EXPECT_FALSE(w.tmrBusy->isActive());
    EXPECT_EQ(w.tmrBusy->interval(), 200);
    EXPECT_TRUE(w.tmrClock->isActive());
    EXPECT_EQ(w.tmrClock->interval(), 500);
    EXPECT_FALSE(w.session().ControllerFound);
    EXPECT_FALSE(w.session().TestRunning);
    EXPECT_EQ(w.session().settings.ScanCommNo, 4);
    EXPECT_FALSE(w.btnScan->icon().isNull());
    EXPECT_FALSE(w.btnFactory->icon().isNull());
    EXPECT_FALSE(w.btnExit->icon().isNull());
    EXPECT_FALSE(w.windowIcon().isNull());
}

TEST_F(DesignTest, FrameIsFixedWithAMinimizeBoxOnlyAndCentred) {
    auto &w = open();
    const Qt::WindowFlags flags = w.windowFlags();
    EXPECT_TRUE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowCloseButtonHint);
    EXPECT_EQ(w.minimumSize(), QSize(560, 477));
    EXPECT_EQ(w.maximumSize(), QSize(560, 477));
    const QRect desktop = w.screen()->availableGeometry();
    EXPECT_LE((w.frameGeometry().center() - desktop.center()).manhattanLength(), 1);
}

TEST_F(DesignTest, CloseRequestIsRefusedAndExitClosesWithoutSaving) {
    auto &w = open();
    QTest::keyClicks(w.edCardID, "12");
    EXPECT_FALSE(w.close());
    EXPECT_TRUE(w.isVisible());

    const auto before = storeFiles();
    QTest::mouseClick(w.btnExit, Qt::LeftButton);
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(storeFiles(), before);
}

struct TypingCase {
    const char *edit;
    const char *typed;
    const char *expected; // text after typing at the end of the initial text
};

void PrintTo(const TypingCase &c, std::ostream *out) {
    *out << c.edit;
}

class TypingLimitTest : public WindowTest, public ::testing::WithParamInterface<TypingCase> {};

TEST_P(TypingLimitTest, StopsAtTheLimit) {
    auto &w = open();
    w.pcDefault->setCurrentWidget(w.tsCommand);
    auto *edit = w.findChild<QLineEdit *>(GetParam().edit);
    ASSERT_NE(edit, nullptr);
    edit->setFocus();
    edit->end(false);
    QTest::keyClicks(edit, GetParam().typed);
    EXPECT_EQ(edit->text(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Window, TypingLimitTest,
                         ::testing::Values(
                             // The card field starts with the default "00000000".
                             TypingCase{"edCardID", "12345", "0000000012"},
                             TypingCase{"edCommand", "CDEFGHIJKLMNOPQRSTUVWXYZ0123456789",
                                        "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123"},
                             TypingCase{"edRecCommand", "XYZ", ""}),
                         [](const ::testing::TestParamInfo<TypingCase> &param) {
                             return std::string(param.param.edit);
                         });

TEST_F(TypingLimitTest, LongerStoredCardIsShownWholeAndCanOnlyShrink) {
    auto &w = open([](SettingsStore &s) {
        ScanSettings settings;
        settings.ScanCardID = "123456789012";
        s.SaveCardID(settings);
    });
    EXPECT_EQ(w.edCardID->text(), "123456789012");
    w.edCardID->setFocus();
    w.edCardID->end(false);
    QTest::keyClicks(w.edCardID, "3");
    EXPECT_EQ(w.edCardID->text(), "123456789012");
    QTest::keyClick(w.edCardID, Qt::Key_Backspace);
    EXPECT_EQ(w.edCardID->text(), "12345678901");
    QTest::keyClicks(w.edCardID, "4");
    EXPECT_EQ(w.edCardID->text(), "12345678901");
    EXPECT_EQ(stored().ScanCardID, "12345678901");
}

class FocusTest : public WindowTest {
protected:
    // The controls that Tab visits from btnScan until it comes back, by name (the page control
    // by its own name for its tab bar).
    std::vector<std::string> tabCycle() {
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
        window->btnScan->setFocus();
        std::vector<std::string> names;
        for (int i = 0; i < 40; ++i) {
            QWidget *focus = QApplication::focusWidget();
            if (focus == nullptr)
                break;
            names.push_back(focus == window->pcDefault->tabBar()
                                ? "pcDefault"
                                : focus->objectName().toStdString());
            QTest::keyClick(focus, Qt::Key_Tab);
            if (QApplication::focusWidget() == window->btnScan)
                break;
        }
        return names;
    }
};

TEST_F(FocusTest, TabFollowsTheDesignedOrderOnEitherPage) {
    open();
    const std::vector<std::string> before = {"btnScan",    "btnSetDate", "cmbAlarm", "btnAlarm",
                                             "btnSetCard", "btnProcess", "btnExit",  "pcDefault"};
    const std::vector<std::string> after = {
        "btnEng",      "btnGB",       "btnBIG5", "chkDO1",      "chkDO2",     "edCardID",
        "cmbBaudRate", "btnBaudRate", "btnID",   "sbID",        "btnMode",    "cmbMode",
        "btnDIDO",     "chkDO3",      "chkLock", "cmbCardType", "btnCardType"};
    const auto cycle = [&](std::vector<std::string> page) {
        std::vector<std::string> names = before;
        names.insert(names.end(), page.begin(), page.end());
        names.insert(names.end(), after.begin(), after.end());
        return names;
    };
    EXPECT_EQ(tabCycle(), cycle({"btnFactory"}));
    window->pcDefault->setCurrentWidget(window->tsCommand);
    EXPECT_EQ(tabCycle(), cycle({"edCommand", "edRecCommand", "btnCommand"}));
}

class DefaultButtonTest : public WindowTest, public ::testing::WithParamInterface<const char *> {};

TEST_P(DefaultButtonTest, EnterInAControlThatDoesNotTakeItPressesScan) {
    auto &w = open();
    w.pcDefault->setCurrentWidget(w.tsCommand);
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    auto *control = w.findChild<QWidget *>(GetParam());
    ASSERT_NE(control, nullptr);
    control->setFocus();
    QSignalSpy scan(w.btnScan, &QPushButton::clicked);
    QTest::keyClick(control, Qt::Key_Return);
    EXPECT_EQ(scan.count(), 1);
}

INSTANTIATE_TEST_SUITE_P(Window, DefaultButtonTest,
                         ::testing::Values("edCardID", "edCommand", "edRecCommand", "cmbAlarm",
                                           "chkLock", "sbID"));

TEST_F(DesignTest, EnterOnAFocusedButtonPressesThatButton) {
    auto &w = open();
    QSignalSpy scan(w.btnScan, &QPushButton::clicked);
    QSignalSpy setDate(w.btnSetDate, &QPushButton::clicked);
    w.btnSetDate->setFocus();
    QTest::keyClick(w.btnSetDate, Qt::Key_Return);
    EXPECT_EQ(setDate.count(), 1);
    EXPECT_EQ(scan.count(), 0);
    EXPECT_TRUE(w.btnScan->isDefault());
}

} // namespace
} // namespace vr::test
