#pragma once

#include <QByteArray>
#include <QString>

namespace vr {

enum class LampColour { Yellow, Red };

// Buttons that the looping tests turn into Cancel buttons.
enum class TestButton { btnProcess, btnDIDO };

// Controls that the looping tests disable and enable again, by name.
enum class Control {
    btnExit,
    btnDIDO,
    btnProcess,
    btnScan,
    btnFactory,
    btnSetDate,
    btnAlarm,
    btnSetCard,
    btnCardType,
    gbDefault,
    btnEng,
    btnGB,
    btnBIG5,
};

// What the operations need of the main window. The window implements it; tests implement it
// with a recorder, so that every operation runs without a display and in virtual time.
class OperatorView {
public:
    virtual ~OperatorView() = default;

    // Frame and feedback.
    virtual void setBusyCursor(bool busy) = 0;           // hourglass, or the default arrow
    virtual void lockWindow(bool locked) = 0;            // blocks clicks and keys, no greying out
    virtual void BusyMode(bool on) = 0;                  // blinking lamp and locked window
    virtual void setLamp(LampColour colour) = 0;         // shComm
    virtual void setStatusText(const QString &text) = 0; // pnMsg

    // Scan.
    virtual void setSerialText(const QString &text) = 0;         // pnSerial
    virtual void setVersionText(const QString &text) = 0;        // pnVersion
    virtual void setControllerDateText(const QString &text) = 0; // pnDate
    virtual bool lockTicked() const = 0;                         // chkLock
    virtual void selectBaudRate(int index) = 0;                  // cmbBaudRate
    virtual void selectCardMode(int index) = 0;                  // cmbMode
    virtual void setIdPosition(int position) = 0;                // sbID (kept within 1 to 999)
    virtual void SaveScanSettings() = 0;                         // stores port and line mode

    // Selections read by the single-command operations.
    virtual int selectedBaudRate() const = 0; // -1 without a selection
    virtual int selectedCardMode() const = 0;
    virtual int selectedCardType() const = 0;
    virtual int selectedAlarm() const = 0;
    virtual QString idCaption() const = 0;                  // pnID, three digits
    virtual QString cardIdText() const = 0;                 // edCardID
    virtual QString commandText() const = 0;                // edCommand
    virtual void setReplyText(const QByteArray &reply) = 0; // edRecCommand, held unchanged

    // Looping tests.
    virtual bool outputTicked(int output) const = 0; // chkDO1..chkDO3, output 1 to 3
    virtual void untickOutput(int output) = 0;
    virtual void setInputLamp(int lamp, bool on) = 0; // shDI1..shDI6, lamp 1 to 6: yellow or white
    virtual QString buttonCaption(TestButton button) const = 0;
    virtual void setButtonCaption(TestButton button, const QString &caption) = 0;
    virtual void setControlEnabled(Control control, bool enabled) = 0;
};

} // namespace vr
