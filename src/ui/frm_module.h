#pragma once

#include <QByteArray>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTimer>
#include <QWidget>

#include <array>
#include <memory>

#include "link/controller_link.h"
#include "operations/controller_operations.h"
#include "operations/operation_feedback.h"
#include "operations/session.h"
#include "platform/platform.h"
#include "settings/settings_store.h"
#include "ui/glyph_above_button.h"
#include "ui/input_lock.h"
#include "ui/lamp_shape.h"

namespace vr::ui {

// The one main window of the program. Its controls and handlers keep the names of the window's
// design; every button hands the selections and texts of the window to the matching operation,
// which reports back through the OperationFeedback half of this class.
class TfrmModule : public QWidget, public OperationFeedback, public OutputSwitches {
    Q_OBJECT
public:
    // Client area of the design, in pixels at 96 dpi.
    static constexpr int kClientWidth = 560;
    static constexpr int kClientHeight = 477;

    // Creates the window and runs FormCreate: the stored settings are read from `store` and
    // every later save goes to it.
    TfrmModule(Platform &platform, ControllerLink &link, SettingsStore &store);
    ~TfrmModule() override;

    Session &session() { return session_; }
    const Session &session() const { return session_; }
    // The reply of the free test command exactly as the operation gave it.
    const QByteArray &replyBytes() const { return replyBytes_; }
    int busyPhase() const { return tmrBusyTag_; }
    bool isLocked() const { return inputLock_->isLocked(); }

    // Handlers; each takes the event's sender in the design and ignores it.
    void FormCreate();
    void FormShow();
    void btnScanClick();
    void btnSetDateClick();
    void btnAlarmClick();
    void btnSetCardClick();
    void btnBaudRateClick();
    void btnIDClick();
    void btnModeClick();
    void btnCardTypeClick();
    void btnFactoryClick();
    void btnCommandClick();
    void btnProcessClick();
    void btnDIDOClick();
    void btnEngClick();
    void btnGBClick();
    void btnBIG5Click();
    void btnExitClick();
    void edCardIDChange();
    void sbIDChange();
    void tmrBusyTimer();
    void tmrClockTimer();

    // OperationFeedback.
    void busyCursor(bool on) override;
    void lockInput(bool on) override;
    void BusyMode(bool on) override;
    void status(const QString &text) override;
    void lamp(LampColour colour) override;
    void beep(int frequencyHz, int durationMs) override;
    void lineMode(int index) override;
    void address(int number) override;
    void cardWidth(int index) override;
    void controller(ControllerField field, const QString &text) override;
    void reply(const QByteArray &frame) override;
    void testRunning(LoopingTest test, bool running) override;
    void inputLamp(int lamp, bool on) override;

    // OutputSwitches: the output boxes chkDO1 to chkDO3.
    bool outputOn(int output) const override;
    void switchOff(int output) override;

    // The controls, named as in the design.
    QLabel *pnMsg = nullptr;
    LampShape *shComm = nullptr;
    QLabel *pnSerial = nullptr;
    QLabel *pnVersion = nullptr;
    QPushButton *btnScan = nullptr;
    QLabel *lblBaudRate = nullptr;
    QLabel *pnSetDate = nullptr;
    QCheckBox *chkLock = nullptr;
    QComboBox *cmbBaudRate = nullptr;
    QLabel *pnDate = nullptr;
    QPushButton *btnBaudRate = nullptr;
    QPushButton *btnSetDate = nullptr;
    QLabel *lblID = nullptr;
    QLabel *pnID = nullptr;
    QScrollBar *sbID = nullptr;
    QComboBox *cmbMode = nullptr;
    QPushButton *btnID = nullptr;
    QPushButton *btnMode = nullptr;
    QComboBox *cmbCardType = nullptr;
    QPushButton *btnCardType = nullptr;
    QComboBox *cmbAlarm = nullptr;
    QLineEdit *edCardID = nullptr;
    QPushButton *btnAlarm = nullptr;
    QPushButton *btnSetCard = nullptr;
    LampShape *shDI1 = nullptr;
    LampShape *shDI2 = nullptr;
    LampShape *shDI3 = nullptr;
    LampShape *shDI4 = nullptr;
    LampShape *shDI5 = nullptr;
    LampShape *shDI6 = nullptr;
    QLabel *lblDI1 = nullptr;
    QLabel *lblDI2 = nullptr;
    QLabel *lblDI3 = nullptr;
    QLabel *lblDI4 = nullptr;
    QLabel *lblDI5 = nullptr;
    QLabel *lblDI6 = nullptr;
    QCheckBox *chkDO1 = nullptr;
    QCheckBox *chkDO2 = nullptr;
    QCheckBox *chkDO3 = nullptr;
    QPushButton *btnProcess = nullptr;
    QPushButton *btnDIDO = nullptr;
    QGroupBox *gbDefault = nullptr;
    QTabWidget *pcDefault = nullptr;
    QWidget *tsDefault = nullptr;
    GlyphAboveButton *btnFactory = nullptr;
    QWidget *tsCommand = nullptr;
    QLabel *lblCommand = nullptr;
    QLineEdit *edCommand = nullptr;
    QLabel *lblRecCommand = nullptr;
    QLineEdit *edRecCommand = nullptr;
    QPushButton *btnCommand = nullptr;
    QPushButton *btnEng = nullptr;
    QPushButton *btnGB = nullptr;
    QPushButton *btnBIG5 = nullptr;
    QPushButton *btnExit = nullptr;
    QLabel *pnVORNA = nullptr;
    QTimer *tmrBusy = nullptr;
    QTimer *tmrClock = nullptr;

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    // Builds every control at its place (frm_module_design.cpp).
    void createControls();
    void createLeftColumn();
    void createLampsAndTests();
    void createRightColumn();
    void arrangeTabOrder();
    void connectHandlers();
    void centreOnScreen();
    void switchLanguage(int languageNo);
    std::array<LampShape *, 6> inputLamps() const;
    std::array<QCheckBox *, 3> outputBoxes() const;

    Platform &platform_;
    ControllerLink &link_;
    SettingsStore &store_;
    Session session_;
    std::unique_ptr<ControllerOperations> operations_;
    InputLock *inputLock_ = nullptr;
    QByteArray replyBytes_;
    QString savedTestCaption_; // the caption of a looping test's button while it reads Cancel
    int tmrBusyTag_ = 0;       // phase bit of the blink, kept across busy periods
    bool exitRequested_ = false;
    bool placed_ = false;
};

} // namespace vr::ui
