#include "ui/frm_module.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QShowEvent>

#include <algorithm>

#include "i18n/message_catalogue.h"
#include "ui/reply_text.h"
#include "ui/typing_limit.h"
#include "ui/window_look.h"

namespace vr::ui {

namespace {
constexpr int kIdMinimum = 1;
constexpr int kIdMaximum = 999;
} // namespace

TfrmModule::TfrmModule(Platform &platform, ControllerLink &link, SettingsStore &store)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint),
      platform_(platform), link_(link), store_(store) {
    createControls();
    inputLock_ = new InputLock(this);
    operations_ = std::make_unique<ControllerOperations>(platform_, link_, *this, session_);
    connectHandlers();
    FormCreate();
    tmrClock->start();
}

TfrmModule::~TfrmModule() {
    // The override cursor belongs to the application; leave none behind.
    setBusyCursor(false);
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

void TfrmModule::btnScanClick() {
    operations_->scan();
}
void TfrmModule::btnSetDateClick() {
    operations_->setDateTime();
}
void TfrmModule::btnAlarmClick() {
    operations_->alarmTest();
}
void TfrmModule::btnSetCardClick() {
    operations_->addCard();
}
void TfrmModule::btnBaudRateClick() {
    operations_->setBaudRate();
}
void TfrmModule::btnIDClick() {
    operations_->setId();
}
void TfrmModule::btnModeClick() {
    operations_->setMode();
}
void TfrmModule::btnCardTypeClick() {
    operations_->setCardType();
}
void TfrmModule::btnFactoryClick() {
    operations_->factoryDefault();
}
void TfrmModule::btnCommandClick() {
    operations_->testCommand();
}
void TfrmModule::btnProcessClick() {
    operations_->autoTest();
}
void TfrmModule::btnDIDOClick() {
    operations_->didoTest();
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
        setLamp(LampColour::Yellow);
    } else {
        tmrBusyTag_ = 1;
        setLamp(LampColour::Red);
    }
}

void TfrmModule::tmrClockTimer() {
    const LocalTime now = platform_.localTime();
    pnSetDate->setText(QString::asprintf("%04d/%02d/%02d %02d:%02d:%02d", now.year, now.month,
                                         now.day, now.hour, now.minute, now.second));
}

// ---- OperatorView: frame and feedback ----

void TfrmModule::setBusyCursor(bool busy) {
    // One override at most: the cursor shown before is not remembered.
    if (busy) {
        if (QGuiApplication::overrideCursor() != nullptr)
            QGuiApplication::changeOverrideCursor(Qt::WaitCursor);
        else
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        return;
    }
    while (QGuiApplication::overrideCursor() != nullptr)
        QGuiApplication::restoreOverrideCursor();
}

void TfrmModule::lockWindow(bool locked) {
    inputLock_->setLocked(locked);
}

void TfrmModule::BusyMode(bool on) {
    // Switching off leaves the lamp in the colour of the last blink; the caller paints the
    // final one.
    if (on) {
        tmrBusy->start();
        lockWindow(true);
    } else {
        lockWindow(false);
        tmrBusy->stop();
    }
}

void TfrmModule::setLamp(LampColour colour) {
    shComm->setBrushColour(colour == LampColour::Yellow ? clYellow : clRed);
    // Painted at once: a beep that follows blocks the thread.
    shComm->repaint();
}

void TfrmModule::setStatusText(const QString &text) {
    pnMsg->setText(text);
    pnMsg->repaint();
}

// ---- OperatorView: scan ----

void TfrmModule::setSerialText(const QString &text) {
    pnSerial->setText(text);
}
void TfrmModule::setVersionText(const QString &text) {
    pnVersion->setText(text);
}
void TfrmModule::setControllerDateText(const QString &text) {
    pnDate->setText(text);
}
bool TfrmModule::lockTicked() const {
    return chkLock->isChecked();
}
void TfrmModule::selectBaudRate(int index) {
    cmbBaudRate->setCurrentIndex(index);
}
void TfrmModule::selectCardMode(int index) {
    cmbMode->setCurrentIndex(index);
}

void TfrmModule::setIdPosition(int position) {
    sbID->setValue(std::clamp(position, kIdMinimum, kIdMaximum));
}

void TfrmModule::SaveScanSettings() {
    store_.SaveScanSettings(session_.settings);
}

// ---- OperatorView: selections ----

int TfrmModule::selectedBaudRate() const {
    return cmbBaudRate->currentIndex();
}
int TfrmModule::selectedCardMode() const {
    return cmbMode->currentIndex();
}
int TfrmModule::selectedCardType() const {
    return cmbCardType->currentIndex();
}
int TfrmModule::selectedAlarm() const {
    return cmbAlarm->currentIndex();
}
QString TfrmModule::idCaption() const {
    return pnID->text();
}
QString TfrmModule::cardIdText() const {
    return edCardID->text();
}
QString TfrmModule::commandText() const {
    return edCommand->text();
}

void TfrmModule::setReplyText(const QByteArray &reply) {
    replyBytes_ = reply;
    SetProgramText(edRecCommand, VisibleReplyText(reply));
    // A reply longer than the box shows from its start (ETX, address, status).
    edRecCommand->setCursorPosition(0);
}

// ---- OperatorView: looping tests ----

std::array<LampShape *, 6> TfrmModule::inputLamps() const {
    return {shDI1, shDI2, shDI3, shDI4, shDI5, shDI6};
}

std::array<QCheckBox *, 3> TfrmModule::outputBoxes() const {
    return {chkDO1, chkDO2, chkDO3};
}

bool TfrmModule::outputTicked(int output) const {
    if (output < 1 || output > 3)
        return false;
    return outputBoxes()[static_cast<std::size_t>(output - 1)]->isChecked();
}

void TfrmModule::untickOutput(int output) {
    if (output >= 1 && output <= 3)
        outputBoxes()[static_cast<std::size_t>(output - 1)]->setChecked(false);
}

void TfrmModule::setInputLamp(int lamp, bool on) {
    if (lamp >= 1 && lamp <= 6)
        inputLamps()[static_cast<std::size_t>(lamp - 1)]->setBrushColour(on ? clYellow : clWhite);
}

QPushButton *TfrmModule::testButton(TestButton which) const {
    return which == TestButton::btnProcess ? btnProcess : btnDIDO;
}

QString TfrmModule::buttonCaption(TestButton button) const {
    return testButton(button)->text();
}

void TfrmModule::setButtonCaption(TestButton button, const QString &caption) {
    testButton(button)->setText(caption);
}

QWidget *TfrmModule::controlWidget(Control which) const {
    switch (which) {
    case Control::btnExit:
        return btnExit;
    case Control::btnDIDO:
        return btnDIDO;
    case Control::btnProcess:
        return btnProcess;
    case Control::btnScan:
        return btnScan;
    case Control::btnFactory:
        return btnFactory;
    case Control::btnSetDate:
        return btnSetDate;
    case Control::btnAlarm:
        return btnAlarm;
    case Control::btnSetCard:
        return btnSetCard;
    case Control::btnCardType:
        return btnCardType;
    case Control::gbDefault:
        return gbDefault;
    case Control::btnEng:
        return btnEng;
    case Control::btnGB:
        return btnGB;
    case Control::btnBIG5:
        return btnBIG5;
    }
    return nullptr;
}

void TfrmModule::setControlEnabled(Control control, bool enabled) {
    if (QWidget *widget = controlWidget(control))
        widget->setEnabled(enabled);
}

} // namespace vr::ui
