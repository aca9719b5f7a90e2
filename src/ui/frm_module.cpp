#include "ui/frm_module.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QShowEvent>

#include <algorithm>
#include <vector>

#include "i18n/message_catalogue.h"
#include "operations/commands.h"
#include "ui/reply_text.h"
#include "ui/typing_limit.h"
#include "ui/window_look.h"

namespace vr::ui {

TfrmModule::TfrmModule(Platform &platform, ControllerLink &link, SettingsStore &store)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint),
      platform_(platform), link_(link), store_(store) {
    createControls();
    inputLock_ = new InputLock(this);
    operations_ =
        std::make_unique<ControllerOperations>(platform_, link_, session_, *this, &store_);
    connectHandlers();
    FormCreate();
    tmrClock->start();
}

TfrmModule::~TfrmModule() {
    // The override cursor belongs to the application; leave none behind.
    busyCursor(false);
}

void TfrmModule::connectHandlers() {
    connect(btnScan, &QPushButton::clicked, this, [this] { btnScanClick(); });
    connect(btnSetDate, &QPushButton::clicked, this, [this] { btnSetDateClick(); });
    connect(btnAlarm, &QPushButton::clicked, this, [this] { btnAlarmClick(); });
    connect(btnSetCard, &QPushButton::clicked, this, [this] { btnSetCardClick(); });
    connect(btnBaudRate, &QPushButton::clicked, this, [this] { btnBaudRateClick(); });
    connect(btnID, &QPushButton::clicked, this, [this] { btnIDClick(); });
    connect(btnMode, &QPushButton::clicked, this, [this] { btnModeClick(); });
    connect(btnCardType, &QPushButton::clicked, this, [this] { btnCardTypeClick(); });
    connect(btnFactory, &QPushButton::clicked, this, [this] { btnFactoryClick(); });
    connect(btnCommand, &QPushButton::clicked, this, [this] { btnCommandClick(); });
    connect(btnProcess, &QPushButton::clicked, this, [this] { btnProcessClick(); });
    connect(btnDIDO, &QPushButton::clicked, this, [this] { btnDIDOClick(); });
    connect(btnEng, &QPushButton::clicked, this, [this] { btnEngClick(); });
    connect(btnGB, &QPushButton::clicked, this, [this] { btnGBClick(); });
    connect(btnBIG5, &QPushButton::clicked, this, [this] { btnBIG5Click(); });
    connect(btnExit, &QPushButton::clicked, this, [this] { btnExitClick(); });
    for (auto *edit : {edCardID, edCommand, edRecCommand})
        connect(edit, &QLineEdit::textChanged, this, [this] { edCardIDChange(); });
    connect(sbID, &QScrollBar::valueChanged, this, [this] { sbIDChange(); });
    connect(tmrBusy, &QTimer::timeout, this, [this] { tmrBusyTimer(); });
    connect(tmrClock, &QTimer::timeout, this, [this] { tmrClockTimer(); });
}

// ---- Creation, showing, closing ----

void TfrmModule::FormCreate() {
    // Defaults, then whatever the store holds, by its failure rules.
    session_.settings = store_.load();
    // Differs from the design text "0000000000" unless stored so: the change handler then
    // stores the card number at once.
    SetProgramText(edCardID, session_.settings.ScanCardID);
    // The window has no close box and no Close command in its window menu (its flags); a close
    // request from the window manager is refused in closeEvent.
    session_.TestRunning = false;
    session_.ControllerFound = false;
    cmbAlarm->setCurrentIndex(0);
    cmbBaudRate->setCurrentIndex(session_.settings.ScanBaudRateNo);
}

void TfrmModule::FormShow() {
    const int language = session_.settings.LanguageNo;
    const auto text = [language](Msg message) { return MessageText(message, language); };
    setWindowTitle(text(Msg::Caption));
    pnVORNA->setText(text(Msg::Maker));
    pnMsg->setText(text(Msg::StartScan));
    pnSerial->setText(text(Msg::SerialNumber) + QStringLiteral(" : ________"));
    pnVersion->setText(text(Msg::Version) + QStringLiteral(" : __.__-__"));
    btnID->setText(text(Msg::SetId));
    btnMode->setText(text(Msg::SetMode));
    btnCardType->setText(text(Msg::SetCardType));
    btnBaudRate->setText(text(Msg::SetBaudRate));
    lblBaudRate->setText(text(Msg::BaudRate));
    lblCommand->setText(text(Msg::TestCommand));
    btnCommand->setText(text(Msg::TestCommand));
    lblRecCommand->setText(text(Msg::RecCommand));
    btnScan->setText(text(Msg::ScanController));
    btnSetDate->setText(text(Msg::SetDateTime));
    btnAlarm->setText(text(Msg::AlarmTest));
    btnSetCard->setText(text(Msg::AddCard));
    btnProcess->setText(text(Msg::AutoTestButton));
    btnDIDO->setText(text(Msg::DidoTest));
    gbDefault->setTitle(text(Msg::QuickSetting));
    pcDefault->setTabText(pcDefault->indexOf(tsDefault), text(Msg::DefaultPage));
    pcDefault->setTabText(pcDefault->indexOf(tsCommand), text(Msg::CommandPage));
    btnFactory->setText(QStringLiteral("(") + text(Msg::FactoryDefault) + QStringLiteral(")"));
    btnExit->setText(text(Msg::Exit));
}

void TfrmModule::showEvent(QShowEvent *event) {
    // Spontaneous show events come from the window system (a restore after minimising); only
    // the program's own show writes the captions.
    if (!event->spontaneous()) {
        if (!placed_) {
            centreOnScreen();
            placed_ = true;
        }
        FormShow();
    }
    QWidget::showEvent(event);
}

void TfrmModule::centreOnScreen() {
    // Placed by the program, so that the window is centred also where no window manager
    // places it.
    const QScreen *target = screen() != nullptr ? screen() : QGuiApplication::primaryScreen();
    if (target == nullptr)
        return;
    // The frame's size where the window system already tells it, else the client area's.
    const QSize outer = frameGeometry().size().expandedTo(size());
    const QRect desktop = target->availableGeometry();
    move(desktop.x() + (desktop.width() - outer.width()) / 2,
         desktop.y() + (desktop.height() - outer.height()) / 2);
}

void TfrmModule::closeEvent(QCloseEvent *event) {
    // Exit is the only way out, so that no operation is torn down half way.
    if (exitRequested_)
        event->accept();
    else
        event->ignore();
}

void TfrmModule::keyPressEvent(QKeyEvent *event) {
    // Enter that no control took for itself presses the default button.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        btnScan->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TfrmModule::btnExitClick() {
    // Closes at once; nothing is saved at exit.
    exitRequested_ = true;
    close();
}

// ---- Buttons that start an operation ----

// The window is held (locked, or disabled by its busy mode) while an operation runs, so the
// selections and texts read here are the ones the operation would read at any later moment.

void TfrmModule::btnScanClick() {
    ScanInput input;
    input.lockTicked = chkLock->isChecked();
    operations_->scan(input);
}
void TfrmModule::btnSetDateClick() {
    operations_->setDateTime();
}
void TfrmModule::btnAlarmClick() {
    operations_->alarmTest(cmbAlarm->currentIndex());
}
void TfrmModule::btnSetCardClick() {
    operations_->addCard(edCardID->text());
}
void TfrmModule::btnBaudRateClick() {
    operations_->setBaudRate(cmbBaudRate->currentIndex());
}
void TfrmModule::btnIDClick() {
    operations_->setId(pnID->text());
}
void TfrmModule::btnModeClick() {
    operations_->setMode(cmbMode->currentIndex());
}
void TfrmModule::btnCardTypeClick() {
    operations_->setCardType(cmbCardType->currentIndex());
}
void TfrmModule::btnFactoryClick() {
    operations_->factoryDefault();
}
void TfrmModule::btnCommandClick() {
    operations_->testCommand(edCommand->text());
}
void TfrmModule::btnProcessClick() {
    // The output boxes are read live, each as its command goes out.
    operations_->autoTest(edCardID->text(), *this);
}
void TfrmModule::btnDIDOClick() {
    operations_->didoTest(*this);
}

// ---- Languages ----

void TfrmModule::btnEngClick() {
    switchLanguage(English);
}
void TfrmModule::btnGBClick() {
    switchLanguage(ChineseGB);
}
void TfrmModule::btnBIG5Click() {
    switchLanguage(ChineseBIG5);
}

void TfrmModule::switchLanguage(int languageNo) {
    session_.settings.LanguageNo = languageNo;
    session_.settings.LanguageFlag = LanguageFlag(languageNo);
    store_.SaveLanguage(session_.settings);
    FormShow();
}

// ---- Live parts of the window ----

void TfrmModule::edCardIDChange() {
    session_.settings.ScanCardID = edCardID->text();
    store_.SaveCardID(session_.settings);
}

void TfrmModule::sbIDChange() {
    pnID->setText(QString::asprintf("%03d", sbID->value()));
}

void TfrmModule::tmrBusyTimer() {
    if (tmrBusyTag_ == 1) {
        tmrBusyTag_ = 0;
        lamp(LampColour::Yellow);
    } else {
        tmrBusyTag_ = 1;
        lamp(LampColour::Red);
    }
}

void TfrmModule::tmrClockTimer() {
    const LocalTime now = platform_.localTime();
    pnSetDate->setText(QString::asprintf("%04d/%02d/%02d %02d:%02d:%02d", now.year, now.month,
                                         now.day, now.hour, now.minute, now.second));
}

// ---- OperationFeedback: frame and signals ----

void TfrmModule::busyCursor(bool on) {
    // One override at most: the cursor shown before is not remembered.
    if (on) {
        if (QGuiApplication::overrideCursor() != nullptr)
            QGuiApplication::changeOverrideCursor(Qt::WaitCursor);
        else
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        return;
    }
    while (QGuiApplication::overrideCursor() != nullptr)
        QGuiApplication::restoreOverrideCursor();
}

void TfrmModule::lockInput(bool on) {
    inputLock_->setLocked(on);
}

void TfrmModule::BusyMode(bool on) {
    // Switching off leaves the lamp in the colour of the last blink; the caller paints the
    // final one.
    if (on) {
        tmrBusy->start();
        lockInput(true);
    } else {
        lockInput(false);
        tmrBusy->stop();
    }
}

void TfrmModule::lamp(LampColour colour) {
    shComm->setBrushColour(colour == LampColour::Yellow ? clYellow : clRed);
    // Painted at once: a beep that follows blocks the thread.
    shComm->repaint();
}

void TfrmModule::status(const QString &text) {
    pnMsg->setText(text);
    pnMsg->repaint();
}

void TfrmModule::beep(int frequencyHz, int durationMs) {
    platform_.beep(frequencyHz, durationMs);
}

// ---- OperationFeedback: what the scan shows ----

void TfrmModule::lineMode(int index) {
    cmbBaudRate->setCurrentIndex(index);
}

void TfrmModule::address(int number) {
    // The scroll bar keeps its position within its limits: address 000 shows as 001.
    sbID->setValue(std::clamp(number, kLowestNewAddress, kHighestNewAddress));
}

void TfrmModule::cardWidth(int index) {
    cmbMode->setCurrentIndex(index);
}

void TfrmModule::controller(ControllerField field, const QString &text) {
    switch (field) {
    case ControllerField::Serial:
        pnSerial->setText(text);
        break;
    case ControllerField::Version:
        pnVersion->setText(text);
        break;
    case ControllerField::Clock:
        pnDate->setText(text);
        break;
    }
}

void TfrmModule::reply(const QByteArray &frame) {
    replyBytes_ = frame;
    SetProgramText(edRecCommand, VisibleReplyText(frame));
    // A reply longer than the box shows from its start (ETX, address, status).
    edRecCommand->setCursorPosition(0);
}

// ---- OperationFeedback: looping tests ----

std::array<LampShape *, 6> TfrmModule::inputLamps() const {
    return {shDI1, shDI2, shDI3, shDI4, shDI5, shDI6};
}

std::array<QCheckBox *, 3> TfrmModule::outputBoxes() const {
    return {chkDO1, chkDO2, chkDO3};
}

void TfrmModule::testRunning(LoopingTest test, bool running) {
    QPushButton *button = test == LoopingTest::Auto ? btnProcess : btnDIDO;
    QPushButton *other = test == LoopingTest::Auto ? btnDIDO : btnProcess;
    // The other test's button goes first (DIDO) or second (auto test) and comes back last.
    const std::array<QWidget *, 11> rest = {btnExit,  btnScan,    btnFactory,  btnSetDate,
                                            btnAlarm, btnSetCard, btnCardType, gbDefault,
                                            btnEng,   btnGB,      btnBIG5};
    if (running) {
        savedTestCaption_ = button->text();
        button->setText(
            MessageText(test == LoopingTest::Auto ? Msg::AutoTestCancel : Msg::DidoTestCancel,
                        session_.settings.LanguageNo));
        std::vector<QWidget *> order(rest.begin(), rest.end());
        order.insert(test == LoopingTest::Auto ? order.begin() + 1 : order.begin(), other);
        for (QWidget *widget : order)
            widget->setEnabled(false);
        return;
    }
    for (QWidget *widget : rest)
        widget->setEnabled(true);
    other->setEnabled(true);
    button->setText(savedTestCaption_);
}

void TfrmModule::inputLamp(int lamp, bool on) {
    if (lamp >= 1 && lamp <= 6)
        inputLamps()[static_cast<std::size_t>(lamp - 1)]->setBrushColour(on ? clYellow : clWhite);
}

bool TfrmModule::outputOn(int output) const {
    if (output < 1 || output > 3)
        return false;
    return outputBoxes()[static_cast<std::size_t>(output - 1)]->isChecked();
}

void TfrmModule::switchOff(int output) {
    if (output >= 1 && output <= 3)
        outputBoxes()[static_cast<std::size_t>(output - 1)]->setChecked(false);
}

} // namespace vr::ui
