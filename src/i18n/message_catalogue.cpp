#include "i18n/message_catalogue.h"

#include <array>

namespace vr {
namespace {

constexpr int kLanguageCount = 3;
constexpr std::size_t kTextCount = std::size_t(kMessageCount) * kLanguageCount;

// The texts below are UTF-8 narrow literals; a different execution character set would garble
// every Chinese text.
static_assert(sizeof("\u4E2D") == 4, "string literals must be UTF-8");

// Message n in language L is entry 3 * n + L: English, simplified Chinese, traditional Chinese.
// Every simplified text must encode in GB2312 and every traditional text in Big5.
constexpr std::array<const char *, kTextCount> kTexts = {
    // 0: footer panel pnVORNA: maker and web address
    "VORNA Technology Co., Ltd.   www.example.com",
    "沃纳科技股份有限公司   www.example.com",
    "沃納科技股份有限公司   www.example.com",
    // 1: window caption
    "VORNA VR880TX Config V3.22-01",
    "VORNA VR880TX 控制器设定程式 V3.22-01",
    "VORNA VR880TX 控制器設定程式 V3.22-01",
    // 2: status line at show and after a switch; outcome of any operation before a scan
    "Start Scan Controller!",
    "请先扫描控制器!",
    "請先掃描控制器!",
    // 3: status line while the auto test runs
    "Auto Test",
    "自动测试",
    "自動測試",
    // 4: caption of btnProcess while the auto test runs
    "Cancel",
    "取消自动测试",
    "取消",
    // 5: caption of btnDIDO; status line while the DIDO test runs
    "DIDO Test",
    "DIDO测试",
    "DIDO測試",
    // 6: caption of btnDIDO while the DIDO test runs
    "Cancel",
    "取消",
    "取消",
    // 7: caption of btnID; title of Set ID
    "Set ID",
    "设定读卡机编号",
    "設定讀卡機編號",
    // 8: Set ID succeeded
    "Set ID Ok.",
    "设定读卡机编号完成",
    "設定讀卡機編號完成",
    // 9: Set ID failed
    "Set ID Error!",
    "设定读卡机编号错误",
    "設定讀卡機編號錯誤",
    // 10: caption of the page tsCommand
    "Command",
    "指令测试",
    "指令測試",
    // 11: captions of lblCommand and btnCommand; title of Test Command
    "Test Command",
    "指令测试",
    "指令測試",
    // 12: Test Command succeeded
    "Test Command Ok.",
    "指令测试完成.",
    "指令測試完成.",
    // 13: Test Command failed
    "Test Command Error!",
    "指令测试错误.",
    "指令測試錯誤.",
    // 14: caption of lblRecCommand
    "Rec Command",
    "接收指令",
    "接收指令",
    // 15: not shown
    "Holder Mode",
    "人员资料模式",
    "人員資料模式",
    // 16: not shown
    "Set Holder Mode.",
    "设定人员资料模式.",
    "設定人員資料模式.",
    // 17: not shown
    "Set Holder Mode Ok.",
    "设定人员资料模式完成.",
    "設定人員資料模式完成.",
    // 18: not shown
    "Set Holder Mode Error!",
    "设定人员资料模式错误.",
    "設定人員資料模式錯誤.",
    // 19: not shown
    "Door Mode",
    "开门资料模式",
    "開門資料模式",
    // 20: not shown
    "Set Door Mode.",
    "设定开门资料模式.",
    "設定開門資料模式.",
    // 21: not shown
    "Set Door Mode Ok.",
    "设定开门资料模式完成.",
    "設定開門資料模式完成.",
    // 22: not shown
    "Set Door Mode Error!",
    "设定开门资料模式错误.",
    "設定開門資料模式錯誤.",
    // 23: caption of btnMode; title of Set Mode
    "Set Mode",
    "设定输出模式",
    "設定輸出模式",
    // 24: Set Mode succeeded
    "Set Mode Ok.",
    "设定输出模式完成",
    "設定輸出模式完成",
    // 25: Set Mode failed
    "Set Mode Error!",
    "设定输出模式错误",
    "設定輸出模式錯誤",
    // 26: caption of btnCardType; title of Set Card Type
    "Set Card Type",
    "设定卡片类别",
    "設定卡片類別",
    // 27: Set Card Type succeeded
    "Set Card Type Ok.",
    "设定卡片类别完成",
    "設定卡片類別完成",
    // 28: Set Card Type failed
    "Set Card Type Error!",
    "设定卡片类别错误",
    "設定卡片類別錯誤",
    // 29: caption of btnProcess
    "Auto Test",
    "自动测试",
    "自動測試",
    // 30: caption of btnFactory, between "(" and ")"
    "Factory Default",
    "出厂预设",
    "出廠預設",
    // 31: not shown
    "Factory Test",
    "出厂测试",
    "出廠測試",
    // 32: caption of the group gbDefault
    "Quick Setting",
    "快速设定",
    "快速設定",
    // 33: not shown
    "Test Card",
    "测试卡",
    "測試卡",
    // 34: caption of the page tsDefault
    "Default",
    "预设",
    "預設",
    // 35: caption of lblBaudRate
    "BaudRate",
    "通讯速度",
    "通訊速度",
    // 36: not shown
    "Set Baud Rate",
    "设定通讯速度",
    "設定通訊速度",
    // 37: caption of btnExit
    "Exit",
    "结束",
    "結束",
    // 38: looping tests, port not opened
    "Open COM",
    "开启串口",
    "開啟串口",
    // 39: looping tests, port not opened
    "Error",
    "错误",
    "錯誤",
    // 40: caption of btnScan; controller scan
    "Scan Controller",
    "扫描控制器",
    "掃描控制器",
    // 41: first part of the text of pnSerial
    "S/N",
    "S/N",
    "序號",
    // 42: first part of the text of pnVersion
    "VER",
    "版本",
    "版本",
    // 43: controller scan
    "Scan COM",
    "扫描串口",
    "掃描串口",
    // 44: controller scan
    "Get Controller Info Ok. (COM",
    "读取控制器资讯完成. (串口",
    "讀取控制器資訊完成. (串口",
    // 45: controller scan
    "Get Controller Info Error. (COM",
    "读取控制器资讯错误. (串口",
    "讀取控制器資訊錯誤. (串口",
    // 46: controller scan
    "Controller Not Find",
    "控制器没有连线",
    "控制器沒有連線",
    // 47: caption of btnSetDate; title of Set Date Time
    "Set Date Time",
    "设定日期时间",
    "設定日期時間",
    // 48: Set Date Time succeeded
    "Set Date Time Ok",
    "设定日期时间完成",
    "設定日期時間完成",
    // 49: Set Date Time failed
    "Set Date Time Error",
    "设定日期时间错误",
    "設定日期時間錯誤",
    // 50: caption of btnAlarm; title of Alarm Test
    "Alarm Test",
    "设定警报测试",
    "警報測試",
    // 51: Alarm Test succeeded
    "Alarm Test Ok",
    "设定警报测试完成",
    "警報測試完成",
    // 52: Alarm Test failed
    "Alarm Test Error",
    "设定警报测试错误",
    "警報測試錯誤",
    // 53: caption of btnSetCard; title of Add Card
    "Add Card",
    "设定读卡机与卡片",
    "設定卡片",
    // 54: Add Card succeeded
    "Add Card Ok",
    "设定读卡机与卡片完成",
    "設定卡片完成",
    // 55: Add Card failed
    "Add Card Error",
    "设定读卡机与卡片错误",
    "設定卡片錯誤",
    // 56: title of Factory Default
    "Set Factory Default",
    "设定出厂预设值",
    "設定出廠預設值",
    // 57: Factory Default succeeded
    "Set Factory Default Ok",
    "设定出厂预设值完成",
    "設定出廠預設值完成",
    // 58: Factory Default failed
    "Set Factory Default Error",
    "设定出厂预设值错误",
    "設定出廠預設值錯誤",
    // 59: caption of btnBaudRate; title of Set Baud Rate
    "Set BaudRate",
    "设定通讯速度",
    "設定通訊速度",
    // 60: Set Baud Rate succeeded
    "Set BaudRate Ok",
    "设定通讯速度完成",
    "設定通訊速度完成",
    // 61: Set Baud Rate failed
    "Set BaudRate Error",
    "设定通讯速度错误",
    "設定通訊速度錯誤",
};

} // namespace

const QStringList &MessageCatalogue() {
    static const QStringList catalogue = [] {
        QStringList texts;
        texts.reserve(int(kTexts.size()));
        for (const char *text : kTexts)
            texts.append(QString::fromUtf8(text));
        return texts;
    }();
    return catalogue;
}

QString MessageText(int number, int languageNo) {
    if (number < 0 || number >= kMessageCount || languageNo < 0 || languageNo >= kLanguageCount)
        return {};
    return MessageCatalogue().at(number * kLanguageCount + languageNo);
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
