// The window's design: every control at its place and size (pixels at 96 dpi), with its look,
// limits and initial content, and the order in which the keyboard focus moves.
#include "ui/frm_module.h"

#include <QStyle>

#include "link/line_modes.h"
#include "operations/commands.h"
#include "ui/pictures.h"
#include "ui/status_line.h"
#include "ui/typing_limit.h"
#include "ui/window_look.h"

namespace vr::ui {

namespace {

constexpr int kListItemHeight = 20;
constexpr int kCardIdMaxChars = 10;
constexpr int kCommandMaxChars = 30;
constexpr int kIdPageStep = 100;

template <typename W>
W *Place(W *widget, const char *name, int left, int top, int width, int height) {
    widget->setObjectName(QLatin1String(name));
    widget->setGeometry(left, top, width, height);
    return widget;
}

// The design's text colour is that of an enabled control. A disabled one keeps the platform's
// disabled text colour (grey), so that it looks disabled; the palette's disabled group is left
// to the platform for the text roles, and what a control inherits from the window follows suit.
void SetTextColour(QPalette &palette, const QColor &text) {
    for (const auto group : {QPalette::Active, QPalette::Inactive})
        for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
            palette.setColor(group, role, text);
}

void Colour(QWidget *widget, const QColor &text, const QColor &background) {
    QPalette palette = widget->palette();
    SetTextColour(palette, text);
    for (const auto role : {QPalette::Window, QPalette::Base, QPalette::Button})
        palette.setColor(role, background);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

void TextColour(QWidget *widget, const QColor &text) {
    QPalette palette = widget->palette();
    SetTextColour(palette, text);
    widget->setPalette(palette);
}

void PanelLook(QLabel *panel, TextStyle style, const QColor &textColour, const QColor &background) {
    panel->setFont(WindowFont(style));
    panel->setAlignment(Qt::AlignCenter);
    // Panels show controller bytes as they came; none of them is ever taken for markup.
    panel->setTextFormat(Qt::PlainText);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setLineWidth(1);
    Colour(panel, textColour, background);
}

// A panel with a single border and its text centred.
QLabel *Panel(QWidget *parent, const char *name, int left, int top, int width, int height,
              const QString &text, TextStyle style, const QColor &textColour,
              const QColor &background) {
    auto *panel = Place(new QLabel(text, parent), name, left, top, width, height);
    PanelLook(panel, style, textColour, background);
    return panel;
}

QLabel *Label(QWidget *parent, const char *name, int left, int top, int width, int height,
              const QString &text, TextStyle style, Qt::Alignment alignment) {
    auto *label = Place(new QLabel(text, parent), name, left, top, width, height);
    label->setFont(WindowFont(style));
    label->setAlignment(alignment);
    return label;
}

QPushButton *Button(QWidget *parent, const char *name, int left, int top, int width, int height) {
    auto *button = Place(new QPushButton(parent), name, left, top, width, height);
    // A focused button takes Enter itself; elsewhere Enter presses btnScan.
    button->setAutoDefault(true);
    return button;
}

// A drop-down list that accepts only its own items, with the input method off.
QComboBox *List(QWidget *parent, const char *name, int left, int top, int width,
                const QStringList &items) {
    auto *list = Place(new QComboBox(parent), name, left, top, width, 28);
    list->setEditable(false);
    list->setAttribute(Qt::WA_InputMethodEnabled, false);
    list->setFont(WindowFont(TextStyle::Display));
    Colour(list, clYellow, clHighlight());
    list->addItems(items);
    for (int i = 0; i < list->count(); ++i)
        list->setItemData(i, QSize(0, kListItemHeight), Qt::SizeHintRole);
    list->setCurrentIndex(0);
    return list;
}

QLineEdit *Edit(QWidget *parent, const char *name, int left, int top, const QString &text,
                int maxChars, const QColor &background) {
    auto *edit = Place(new QLineEdit(text, parent), name, left, top, 169, 28);
    edit->setFont(WindowFont(TextStyle::Display));
    Colour(edit, clWhite, background);
    new TypingLimit(edit, maxChars);
    return edit;
}

} // namespace

void TfrmModule::createControls() {
    setObjectName(QStringLiteral("frmModule"));
    // The design-time caption; FormShow replaces it before the window is first drawn.
    setWindowTitle(QStringLiteral("VORNA VR880TX Config"));
    setWindowIcon(WindowIconPicture());
    setFixedSize(kClientWidth, kClientHeight);
    setFont(WindowFont(TextStyle::Window));
    Colour(this, clWindowText(), clBtnFace());
    TextColour(this, clWindowText());

    createLeftColumn();
    createLampsAndTests();
    createRightColumn();

    tmrBusy = new QTimer(this);
    tmrBusy->setObjectName(QStringLiteral("tmrBusy"));
    tmrBusy->setInterval(200);
    tmrClock = new QTimer(this);
    tmrClock->setObjectName(QStringLiteral("tmrClock"));
    tmrClock->setInterval(500);

    arrangeTabOrder();
}

void TfrmModule::createLeftColumn() {
    auto *statusLine = Place(new StatusLine(QStringLiteral("Start Scan Controller!"), this),
                             "pnMsg", 8, 4, 345, 40);
    PanelLook(statusLine, TextStyle::Display, clWhite, clActiveCaption());
    statusLine->setLineWidth(2);
    shComm = Place(new LampShape(clRed, statusLine), "shComm", 314, 8, 23, 20);
    statusLine->keepClearOf(shComm);
    pnMsg = statusLine;

    pnSerial = Panel(this, "pnSerial", 8, 48, 169, 28, QStringLiteral("S/N : ________"),
                     TextStyle::Display, clYellow, clHighlight());
    pnVersion = Panel(this, "pnVersion", 184, 48, 169, 28, QStringLiteral("VER : __.__-__"),
                      TextStyle::Display, clYellow, clHighlight());

    btnScan = Button(this, "btnScan", 8, 78, 345, 33);
    btnScan->setText(QStringLiteral("Scan Controller"));
    btnScan->setIcon(MagnifierPicture());
    btnScan->setIconSize(QSize(16, 16));
    btnScan->setDefault(true);

    lblBaudRate = Label(this, "lblBaudRate", 8, 117, 169, 22, QStringLiteral("BaudRate"),
                        TextStyle::Label, Qt::AlignHCenter | Qt::AlignTop);
    pnSetDate = Panel(this, "pnSetDate", 184, 114, 169, 25, QStringLiteral("2001/01/01 12:00:00"),
                      TextStyle::Clock, clWhite, clGrayText());

    // Only the box shows: its caption lies outside the 17 pixels.
    chkLock = Place(new QCheckBox(QStringLiteral("chkLock"), this), "chkLock", 8, 140, 17, 17);
    chkLock->setChecked(true);

    QStringList lineModes;
    for (const auto &mode : kLineModes)
        lineModes << QString::fromLatin1(mode.data(), static_cast<qsizetype>(mode.size()));
    cmbBaudRate = List(this, "cmbBaudRate", 32, 136, 147, lineModes);
    pnDate = Panel(this, "pnDate", 184, 138, 169, 25, QStringLiteral("___/__/__  __:__:__"),
                   TextStyle::Clock, clYellow, clHighlight());

    btnBaudRate = Button(this, "btnBaudRate", 8, 168, 169, 33);
    btnBaudRate->setText(QStringLiteral("Set BaudRate"));
    btnSetDate = Button(this, "btnSetDate", 184, 168, 169, 33);
    btnSetDate->setText(QStringLiteral("Set Date Time"));

    lblID = Label(this, "lblID", 8, 208, 28, 22, QStringLiteral("ID :"), TextStyle::Label,
                  Qt::AlignRight | Qt::AlignVCenter);
    pnID = Panel(this, "pnID", 40, 208, 39, 25, QStringLiteral("001"), TextStyle::Display, clYellow,
                 clHighlight());
    sbID = Place(new QScrollBar(Qt::Horizontal, this), "sbID", 80, 208, 97, 23);
    sbID->setRange(kLowestNewAddress, kHighestNewAddress);
    sbID->setSingleStep(1);
    sbID->setPageStep(kIdPageStep);
    sbID->setValue(kLowestNewAddress);
    sbID->setFocusPolicy(Qt::StrongFocus);
    cmbMode =
        List(this, "cmbMode", 184, 208, 169,
             {QStringLiteral("24 bits"), QStringLiteral("32 bits"), QStringLiteral("40 bits")});

    btnID = Button(this, "btnID", 8, 240, 169, 33);
    btnID->setText(QStringLiteral("Set ID"));
    btnMode = Button(this, "btnMode", 184, 240, 169, 33);
    btnMode->setText(QStringLiteral("Set Mode"));

    cmbCardType = List(this, "cmbCardType", 8, 280, 169,
                       {QStringLiteral("EM/TEMIC Card"), QStringLiteral("VORNA Card"),
                        QStringLiteral("Secrity Card")});
    btnCardType = Button(this, "btnCardType", 184, 280, 169, 33);
    btnCardType->setText(QStringLiteral("Set Card Type"));

    cmbAlarm = List(this, "cmbAlarm", 8, 320, 171,
                    {QStringLiteral("Alarm Off"), QStringLiteral("Steal Alarm"),
                     QStringLiteral("Help Alarm"), QStringLiteral("Fire Alarm"),
                     QStringLiteral("Gas Alarm"), QStringLiteral("Forced Alarm"),
                     QStringLiteral("Duress Alarm")});
    edCardID = Edit(this, "edCardID", 184, 320, QStringLiteral("0000000000"), kCardIdMaxChars,
                    clHighlight());

    btnAlarm = Button(this, "btnAlarm", 8, 352, 169, 33);
    btnAlarm->setText(QStringLiteral("Alarm Test"));
    btnSetCard = Button(this, "btnSetCard", 184, 352, 169, 33);
    btnSetCard->setText(QStringLiteral("Add Card"));
}

void TfrmModule::createLampsAndTests() {
    static constexpr std::array<const char *, 6> lampNames = {"shDI1", "shDI2", "shDI3",
                                                              "shDI4", "shDI5", "shDI6"};
    static constexpr std::array<const char *, 6> labelNames = {"lblDI1", "lblDI2", "lblDI3",
                                                               "lblDI4", "lblDI5", "lblDI6"};
    // The fifth and sixth lamps show the controller's inputs 7 and 8.
    static constexpr std::array<const char *, 6> inputNumbers = {"1", "2", "3", "4", "7", "8"};
    std::array<LampShape *, 6> lamps{};
    std::array<QLabel *, 6> labels{};
    for (std::size_t i = 0; i < lamps.size(); ++i) {
        const int left = 2 + 32 * static_cast<int>(i);
        lamps[i] = Place(new LampShape(clWhite, this), lampNames[i], left, 392, 23, 15);
        labels[i] =
            Label(this, labelNames[i], left + 22, 394, 17, 17, QLatin1String(inputNumbers[i]),
                  TextStyle::Small, Qt::AlignLeft | Qt::AlignTop);
    }
    shDI1 = lamps[0], shDI2 = lamps[1], shDI3 = lamps[2];
    shDI4 = lamps[3], shDI5 = lamps[4], shDI6 = lamps[5];
    lblDI1 = labels[0], lblDI2 = labels[1], lblDI3 = labels[2];
    lblDI4 = labels[3], lblDI5 = labels[4], lblDI6 = labels[5];

    chkDO1 = Place(new QCheckBox(QStringLiteral("DO1"), this), "chkDO1", 208, 392, 49, 17);
    chkDO2 = Place(new QCheckBox(QStringLiteral("DO2"), this), "chkDO2", 256, 392, 49, 17);
    chkDO3 = Place(new QCheckBox(QStringLiteral("DO3"), this), "chkDO3", 304, 392, 49, 17);
    for (auto *box : {chkDO1, chkDO2, chkDO3})
        box->setFont(WindowFont(TextStyle::Small));

    btnProcess = Button(this, "btnProcess", 8, 416, 169, 33);
    btnProcess->setText(QStringLiteral("Auto Test"));
    btnDIDO = Button(this, "btnDIDO", 184, 416, 169, 33);
    btnDIDO->setText(QStringLiteral("DIDO Test"));
}

void TfrmModule::createRightColumn() {
    gbDefault =
        Place(new QGroupBox(QStringLiteral("Quick Setting"), this), "gbDefault", 360, 4, 193, 373);
    gbDefault->setFont(WindowFont(TextStyle::Window));

    pcDefault = Place(new QTabWidget(gbDefault), "pcDefault", 6, 27, 182, 342);
    pcDefault->setFont(WindowFont(TextStyle::Pages));
    pcDefault->setDocumentMode(true);
    pcDefault->setUsesScrollButtons(false);
    pcDefault->setElideMode(Qt::ElideNone);
    pcDefault->tabBar()->setObjectName(QStringLiteral("pcDefaultTabs"));
    // Tabs drawn as flat buttons, the one in front pressed in; narrow enough that both captions
    // fit side by side in every language.
    pcDefault->tabBar()->setStyleSheet(QStringLiteral(
        "QTabBar::tab { padding: 2px 5px; margin: 0 3px 3px 0; border: 1px solid palette(dark);"
        " background: palette(button); }"
        "QTabBar::tab:selected { border-style: inset; background: palette(midlight); }"));

    tsDefault = new QWidget;
    tsDefault->setObjectName(QStringLiteral("tsDefault"));
    pcDefault->addTab(tsDefault, QStringLiteral("Default"));
    btnFactory = Place(new GlyphAboveButton(tsDefault), "btnFactory", 4, 6, 165, 291);
    btnFactory->setAutoDefault(true);
    btnFactory->setText(QStringLiteral("(Factory Default)"));
    btnFactory->setFont(WindowFont(TextStyle::Display));
    btnFactory->setIcon(ToolboxPicture());
    btnFactory->setIconSize(QSize(32, 32));

    tsCommand = new QWidget;
    tsCommand->setObjectName(QStringLiteral("tsCommand"));
    pcDefault->addTab(tsCommand, QStringLiteral("Command"));
    lblCommand = Label(tsCommand, "lblCommand", 5, 21, 169, 22, QStringLiteral("Test Command"),
                       TextStyle::Label, Qt::AlignHCenter | Qt::AlignTop);
    edCommand =
        Edit(tsCommand, "edCommand", 5, 52, QStringLiteral("AB"), kCommandMaxChars, clHighlight());
    lblRecCommand =
        Label(tsCommand, "lblRecCommand", 5, 125, 169, 22, QStringLiteral("Rec Command"),
              TextStyle::Label, Qt::AlignHCenter | Qt::AlignTop);
    edRecCommand =
        Edit(tsCommand, "edRecCommand", 5, 156, QString(), kCommandMaxChars, clGrayText());
    edRecCommand->setReadOnly(true);
    btnCommand = Button(tsCommand, "btnCommand", 5, 215, 169, 82);
    btnCommand->setText(QStringLiteral("Test Command"));
    btnCommand->setFont(WindowFont(TextStyle::Pages));
    pcDefault->setCurrentWidget(tsDefault);

    btnEng = Button(this, "btnEng", 359, 384, 62, 24);
    btnEng->setText(QStringLiteral("English"));
    btnEng->setFont(WindowFont(TextStyle::Label));
    TextColour(btnEng, clRed);
    btnGB = Button(this, "btnGB", 426, 384, 62, 24);
    btnGB->setIcon(LanguagePicture(QStringLiteral("簡体")));
    btnGB->setIconSize(QSize(34, 16));
    btnGB->setFont(WindowFont(TextStyle::Small));
    btnBIG5 = Button(this, "btnBIG5", 492, 384, 62, 24);
    btnBIG5->setIcon(LanguagePicture(QStringLiteral("繁體")));
    btnBIG5->setIconSize(QSize(34, 16));
    btnBIG5->setFont(WindowFont(TextStyle::Small));

    btnExit = Button(this, "btnExit", 360, 416, 193, 33);
    btnExit->setText(QStringLiteral("Exit"));
    btnExit->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
    btnExit->setIconSize(QSize(16, 16));

    pnVORNA =
        Panel(this, "pnVORNA", 0, 453, 561, 21, QString(), TextStyle::Footer, clWhite, clPurple);
}

void TfrmModule::arrangeTabOrder() {
    QWidget *const order[] = {btnScan,      btnSetDate, cmbAlarm,    btnAlarm,    btnSetCard,
                              btnProcess,   btnExit,    pcDefault,   btnFactory,  edCommand,
                              edRecCommand, btnCommand, btnEng,      btnGB,       btnBIG5,
                              chkDO1,       chkDO2,     edCardID,    cmbBaudRate, btnBaudRate,
                              btnID,        sbID,       btnMode,     cmbMode,     btnDIDO,
                              chkDO3,       chkLock,    cmbCardType, btnCardType};
    for (std::size_t i = 1; i < std::size(order); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

} // namespace vr::ui
