// Captions in the three languages: at start from the stored language flag, and after a switch.
#include <vector>

#include "i18n/message_catalogue.h"
#include "window_fixture.h"

namespace vr::test {
namespace {

// The 24 translated captions of the window, in the order the show handler writes them.
std::vector<QString> Captions(const ui::TfrmModule &w) {
    return {w.windowTitle(),
            w.pnVORNA->text(),
            w.pnMsg->text(),
            w.pnSerial->text(),
            w.pnVersion->text(),
            w.btnID->text(),
            w.btnMode->text(),
            w.btnCardType->text(),
            w.btnBaudRate->text(),
            w.lblBaudRate->text(),
            w.lblCommand->text(),
            w.btnCommand->text(),
            w.lblRecCommand->text(),
            w.btnScan->text(),
            w.btnSetDate->text(),
            w.btnAlarm->text(),
            w.btnSetCard->text(),
            w.btnProcess->text(),
            w.btnDIDO->text(),
            w.gbDefault->title(),
            w.pcDefault->tabText(w.pcDefault->indexOf(w.tsDefault)),
            w.pcDefault->tabText(w.pcDefault->indexOf(w.tsCommand)),
            w.btnFactory->text(),
            w.btnExit->text()};
}

std::vector<QString> ExpectedCaptions(int language) {
    const auto m = [language](Msg message) { return MessageText(message, language); };
    return {m(Msg::Caption),
            m(Msg::Maker),
            m(Msg::StartScan),
            m(Msg::SerialNumber) + " : ________",
            m(Msg::Version) + " : __.__-__",
            m(Msg::SetId),
            m(Msg::SetMode),
            m(Msg::SetCardType),
            m(Msg::SetBaudRate),
            m(Msg::BaudRate),
            m(Msg::TestCommand),
            m(Msg::TestCommand),
            m(Msg::RecCommand),
            m(Msg::ScanController),
            m(Msg::SetDateTime),
            m(Msg::AlarmTest),
            m(Msg::AddCard),
            m(Msg::AutoTestButton),
            m(Msg::DidoTest),
            m(Msg::QuickSetting),
            m(Msg::DefaultPage),
            m(Msg::CommandPage),
            "(" + m(Msg::FactoryDefault) + ")",
            m(Msg::Exit)};
}

// Texts that no language changes.
void ExpectFixedTexts(const ui::TfrmModule &w) {
    EXPECT_EQ(w.lblID->text(), "ID :");
    EXPECT_EQ(w.btnEng->text(), "English");
    EXPECT_TRUE(w.btnGB->text().isEmpty());
    EXPECT_TRUE(w.btnBIG5->text().isEmpty());
    const std::vector<QString> inputs = {w.lblDI1->text(), w.lblDI2->text(), w.lblDI3->text(),
                                         w.lblDI4->text(), w.lblDI5->text(), w.lblDI6->text()};
    EXPECT_EQ(inputs, (std::vector<QString>{"1", "2", "3", "4", "7", "8"}));
    EXPECT_EQ(w.cmbAlarm->itemText(0), "Alarm Off");
}

struct StartCase {
    const char *name;
    const char *storedFlag; // nullptr: nothing stored
    int language;
    const char *status;  // the status line, as written
    const char *serial;  // the serial panel, as written
    const char *factory; // btnFactory, as written
};

void PrintTo(const StartCase &c, std::ostream *out) {
    *out << c.name;
}

class StartLanguage : public WindowTest, public ::testing::WithParamInterface<StartCase> {};

TEST_P(StartLanguage, ShowsEveryCaptionInTheStoredLanguage) {
    const StartCase &c = GetParam();
    auto &w = open([&](SettingsStore &s) {
        if (c.storedFlag != nullptr) {
            ScanSettings settings;
            settings.LanguageFlag = QString::fromUtf8(c.storedFlag);
            s.SaveLanguage(settings);
        }
    });
    EXPECT_EQ(w.session().settings.LanguageNo, c.language);
    EXPECT_EQ(Captions(w), ExpectedCaptions(c.language));
    EXPECT_EQ(w.pnMsg->text(), QString::fromUtf8(c.status));
    EXPECT_EQ(w.pnSerial->text(), QString::fromUtf8(c.serial));
    EXPECT_EQ(w.btnFactory->text(), QString::fromUtf8(c.factory));
    ExpectFixedTexts(w);
    // An unknown flag is shown as English but kept as it is until a language button is pressed.
    if (c.storedFlag != nullptr) {
        EXPECT_EQ(stored().LanguageFlag, QString::fromUtf8(c.storedFlag));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Window, StartLanguage,
    ::testing::Values(StartCase{"NothingStored", nullptr, 0, "Start Scan Controller!",
                                "S/N : ________", "(Factory Default)"},
                      StartCase{"English", "English", 0, "Start Scan Controller!", "S/N : ________",
                                "(Factory Default)"},
                      StartCase{"ChineseGB", "ChineseGB", 1, "请先扫描控制器!", "S/N : ________",
                                "(出厂预设)"},
                      StartCase{"ChineseBIG5", "ChineseBIG5", 2, "請先掃描控制器!",
                                "序號 : ________", "(出廠預設)"},
                      StartCase{"WronglyCased", "chinesebig5", 0, "Start Scan Controller!",
                                "S/N : ________", "(Factory Default)"},
                      StartCase{"Unknown", "German", 0, "Start Scan Controller!", "S/N : ________",
                                "(Factory Default)"}),
    [](const ::testing::TestParamInfo<StartCase> &param) { return std::string(param.param.name); });

struct SwitchCase {
    const char *name;
    void (ui::TfrmModule::*button)();
    int language;
    const char *flag;
};

void PrintTo(const SwitchCase &c, std::ostream *out) {
    *out << c.name;
}

class LanguageSwitch : public WindowTest, public ::testing::WithParamInterface<SwitchCase> {};

TEST_P(LanguageSwitch, RewritesCaptionsStoresTheChoiceAndKeepsEverythingElse) {
    const SwitchCase &c = GetParam();
    auto &w = open([](SettingsStore &s) {
        ScanSettings settings;
        settings.LanguageFlag = "ChineseGB";
        s.SaveLanguage(settings);
    });
    // State that a switch must leave alone; the status line and the panels it rewrites.
    w.lamp(LampColour::Yellow);
    w.status("Set Date Time Ok");
    w.controller(ControllerField::Serial, "S/N : 12345678");
    w.controller(ControllerField::Version, "VER : 03.22-01");
    w.session().ControllerFound = true;
    QTest::keyClicks(w.edCardID, "7");
    const QString card = w.edCardID->text();
    w.cmbAlarm->setCurrentIndex(3);

    (w.*c.button)();

    EXPECT_EQ(Captions(w), ExpectedCaptions(c.language));
    EXPECT_EQ(w.session().settings.LanguageNo, c.language);
    EXPECT_EQ(w.session().settings.LanguageFlag, c.flag);
    EXPECT_EQ(stored().LanguageFlag, c.flag);
    EXPECT_EQ(w.shComm->brushColour(), QColor(255, 255, 0));
    EXPECT_TRUE(w.session().ControllerFound);
    EXPECT_EQ(w.edCardID->text(), card);
    EXPECT_EQ(w.cmbAlarm->currentIndex(), 3);
}

INSTANTIATE_TEST_SUITE_P(
    Window, LanguageSwitch,
    ::testing::Values(SwitchCase{"ToEnglish", &ui::TfrmModule::btnEngClick, 0, "English"},
                      SwitchCase{"ToSameLanguage", &ui::TfrmModule::btnGBClick, 1, "ChineseGB"},
                      SwitchCase{"ToTraditional", &ui::TfrmModule::btnBIG5Click, 2, "ChineseBIG5"}),
    [](const ::testing::TestParamInfo<SwitchCase> &param) {
        return std::string(param.param.name);
    });

class LanguageButtons : public WindowTest {};

TEST_F(LanguageButtons, AreWiredToTheirLanguages) {
    auto &w = open();
    QTest::mouseClick(w.btnBIG5, Qt::LeftButton);
    EXPECT_EQ(w.btnScan->text(), "掃描控制器");
    QTest::mouseClick(w.btnGB, Qt::LeftButton);
    EXPECT_EQ(w.btnScan->text(), "扫描控制器");
    QTest::mouseClick(w.btnEng, Qt::LeftButton);
    EXPECT_EQ(w.btnScan->text(), "Scan Controller");
}

} // namespace
} // namespace vr::test
