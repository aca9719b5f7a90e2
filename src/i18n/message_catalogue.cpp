#include "i18n/message_catalogue.h"

#include <array>

namespace vr {
namespace {

// The texts below are UTF-8 narrow literals; a different execution character set would garble
// every Chinese text.
static_assert(sizeof("\u4E2D") == 4, "string literals must be UTF-8");

// One message: its three texts side by side, English, simplified Chinese (must encode in GB2312),
// traditional Chinese (must encode in Big5). The constructor takes every text, so a row with a
// text missing does not compile.
struct MessageRow {
    constexpr MessageRow(Msg message, const char *english, const char *simplified,
                         const char *traditional)
        : id(message), texts{english, simplified, traditional} {}
    Msg id;
    std::array<const char *, kLanguageCount> texts;
};

constexpr std::array<MessageRow, kMessageCount> kRows = {{
    {Msg::Maker, "VORNA Technology Co., Ltd.   www.example.com",
     "沃纳科技股份有限公司   www.example.com", "沃納科技股份有限公司   www.example.com"},
    {Msg::Caption, "VORNA VR880TX Config V3.22-01", "VORNA VR880TX 控制器设定程式 V3.22-01",
     "VORNA VR880TX 控制器設定程式 V3.22-01"},
    {Msg::StartScan, "Start Scan Controller!", "请先扫描控制器!", "請先掃描控制器!"},
    {Msg::AutoTestStatus, "Auto Test", "自动测试", "自動測試"},
    {Msg::AutoTestCancel, "Cancel", "取消自动测试", "取消"},
    {Msg::DidoTest, "DIDO Test", "DIDO测试", "DIDO測試"},
    {Msg::DidoTestCancel, "Cancel", "取消", "取消"},
    {Msg::SetId, "Set ID", "设定读卡机编号", "設定讀卡機編號"},
    {Msg::SetIdOk, "Set ID Ok.", "设定读卡机编号完成", "設定讀卡機編號完成"},
    {Msg::SetIdError, "Set ID Error!", "设定读卡机编号错误", "設定讀卡機編號錯誤"},
    {Msg::CommandPage, "Command", "指令测试", "指令測試"},
    {Msg::TestCommand, "Test Command", "指令测试", "指令測試"},
    {Msg::TestCommandOk, "Test Command Ok.", "指令测试完成.", "指令測試完成."},
    {Msg::TestCommandError, "Test Command Error!", "指令测试错误.", "指令測試錯誤."},
    {Msg::RecCommand, "Rec Command", "接收指令", "接收指令"},
    {Msg::HolderMode, "Holder Mode", "人员资料模式", "人員資料模式"},
    {Msg::SetHolderMode, "Set Holder Mode.", "设定人员资料模式.", "設定人員資料模式."},
    {Msg::SetHolderModeOk, "Set Holder Mode Ok.", "设定人员资料模式完成.", "設定人員資料模式完成."},
    {Msg::SetHolderModeError, "Set Holder Mode Error!", "设定人员资料模式错误.",
     "設定人員資料模式錯誤."},
    {Msg::DoorMode, "Door Mode", "开门资料模式", "開門資料模式"},
    {Msg::SetDoorMode, "Set Door Mode.", "设定开门资料模式.", "設定開門資料模式."},
    {Msg::SetDoorModeOk, "Set Door Mode Ok.", "设定开门资料模式完成.", "設定開門資料模式完成."},
    {Msg::SetDoorModeError, "Set Door Mode Error!", "设定开门资料模式错误.",
     "設定開門資料模式錯誤."},
    {Msg::SetMode, "Set Mode", "设定输出模式", "設定輸出模式"},
    {Msg::SetModeOk, "Set Mode Ok.", "设定输出模式完成", "設定輸出模式完成"},
    {Msg::SetModeError, "Set Mode Error!", "设定输出模式错误", "設定輸出模式錯誤"},
    {Msg::SetCardType, "Set Card Type", "设定卡片类别", "設定卡片類別"},
    {Msg::SetCardTypeOk, "Set Card Type Ok.", "设定卡片类别完成", "設定卡片類別完成"},
    {Msg::SetCardTypeError, "Set Card Type Error!", "设定卡片类别错误", "設定卡片類別錯誤"},
    {Msg::AutoTestButton, "Auto Test", "自动测试", "自動測試"},
    {Msg::FactoryDefault, "Factory Default", "出厂预设", "出廠預設"},
    {Msg::FactoryTest, "Factory Test", "出厂测试", "出廠測試"},
    {Msg::QuickSetting, "Quick Setting", "快速设定", "快速設定"},
    {Msg::TestCard, "Test Card", "测试卡", "測試卡"},
    {Msg::DefaultPage, "Default", "预设", "預設"},
    {Msg::BaudRate, "BaudRate", "通讯速度", "通訊速度"},
    {Msg::SetBaudRateUnused, "Set Baud Rate", "设定通讯速度", "設定通訊速度"},
    {Msg::Exit, "Exit", "结束", "結束"},
    {Msg::OpenCom, "Open COM", "开启串口", "開啟串口"},
    {Msg::Error, "Error", "错误", "錯誤"},
    {Msg::ScanController, "Scan Controller", "扫描控制器", "掃描控制器"},
    {Msg::SerialNumber, "S/N", "S/N", "序號"},
    {Msg::Version, "VER", "版本", "版本"},
    {Msg::ScanCom, "Scan COM", "扫描串口", "掃描串口"},
    {Msg::InfoOk, "Get Controller Info Ok. (COM", "读取控制器资讯完成. (串口",
     "讀取控制器資訊完成. (串口"},
    {Msg::InfoError, "Get Controller Info Error. (COM", "读取控制器资讯错误. (串口",
     "讀取控制器資訊錯誤. (串口"},
    {Msg::NotFound, "Controller Not Find", "控制器没有连线", "控制器沒有連線"},
    {Msg::SetDateTime, "Set Date Time", "设定日期时间", "設定日期時間"},
    {Msg::SetDateTimeOk, "Set Date Time Ok", "设定日期时间完成", "設定日期時間完成"},
    {Msg::SetDateTimeError, "Set Date Time Error", "设定日期时间错误", "設定日期時間錯誤"},
    {Msg::AlarmTest, "Alarm Test", "设定警报测试", "警報測試"},
    {Msg::AlarmTestOk, "Alarm Test Ok", "设定警报测试完成", "警報測試完成"},
    {Msg::AlarmTestError, "Alarm Test Error", "设定警报测试错误", "警報測試錯誤"},
    {Msg::AddCard, "Add Card", "设定读卡机与卡片", "設定卡片"},
    {Msg::AddCardOk, "Add Card Ok", "设定读卡机与卡片完成", "設定卡片完成"},
    {Msg::AddCardError, "Add Card Error", "设定读卡机与卡片错误", "設定卡片錯誤"},
    {Msg::SetFactoryDefault, "Set Factory Default", "设定出厂预设值", "設定出廠預設值"},
    {Msg::SetFactoryDefaultOk, "Set Factory Default Ok", "设定出厂预设值完成",
     "設定出廠預設值完成"},
    {Msg::SetFactoryDefaultError, "Set Factory Default Error", "设定出厂预设值错误",
     "設定出廠預設值錯誤"},
    {Msg::SetBaudRate, "Set BaudRate", "设定通讯速度", "設定通訊速度"},
    {Msg::SetBaudRateOk, "Set BaudRate Ok", "设定通讯速度完成", "設定通訊速度完成"},
    {Msg::SetBaudRateError, "Set BaudRate Error", "设定通讯速度错误", "設定通訊速度錯誤"},
}};

// Every row stands at its message's number.
constexpr bool RowsInOrder() {
    for (int number = 0; number < kMessageCount; ++number)
        if (static_cast<int>(kRows[static_cast<std::size_t>(number)].id) != number)
            return false;
    return true;
}
static_assert(RowsInOrder(), "a row of the catalogue is out of place");

using Texts = std::array<std::array<QString, kLanguageCount>, kMessageCount>;

const Texts &Catalogue() {
    static const Texts texts = [] {
        Texts built;
        for (std::size_t number = 0; number < kRows.size(); ++number)
            for (std::size_t language = 0; language < kLanguageCount; ++language)
                built[number][language] = QString::fromUtf8(kRows[number].texts[language]);
        return built;
    }();
    return texts;
}

} // namespace

void BuildMessageCatalogue() {
    Catalogue();
}

QString MessageText(Msg message, int languageNo) {
    const int number = static_cast<int>(message);
    if (number < 0 || number >= kMessageCount || languageNo < 0 || languageNo >= kLanguageCount)
        return {};
    return Catalogue()[static_cast<std::size_t>(number)][static_cast<std::size_t>(languageNo)];
}

int LanguageNoFromFlag(const QString &flag) {
    if (flag == QLatin1String("ChineseGB"))
        return ChineseGB;
    if (flag == QLatin1String("ChineseBIG5"))
        return ChineseBIG5;
    return English;
}

QString LanguageFlag(int languageNo) {
    switch (languageNo) {
    case ChineseGB:
        return QStringLiteral("ChineseGB");
    case ChineseBIG5:
        return QStringLiteral("ChineseBIG5");
    default:
        return QStringLiteral("English");
    }
}

} // namespace vr
