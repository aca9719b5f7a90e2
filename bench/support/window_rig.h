#pragma once

#include <QString>
#include <QTemporaryDir>

#include <functional>
#include <memory>

#include "link/controller_link.h"
#include "platform/qt_platform.h"
#include "settings/settings_store.h"
#include "ui/frm_module.h"

namespace vr::bench {

// The program's real window on the real platform, for runs driven the way an operator drives
// it: buttons are pressed with mouse clicks, so the window's input lock applies. The settings
// store lives in a temporary folder and names COM<com> in line mode `modeIndex` as the port of
// the last scan, so a scan finds a simulator there with its first probe.
class WindowRig {
public:
    WindowRig(int com, int modeIndex);
    ~WindowRig();

    ui::TfrmModule &window() { return *window_; }
    ControllerLink &link() { return link_; }

    // Presses Scan Controller and returns when the scan has ended; true when it found the
    // controller and read its details.
    bool scan();

    // Presses Auto Test and returns when the test has ended. Cancel is pressed once `seconds`
    // have passed (again while the locked window swallows it); a test that ends by itself
    // before then is not pressed again. `tick`, when given, is called with the seconds since the
    // press about every 50 ms while the test dispatches the window's messages.
    struct AutoTestRun {
        bool cancelled = false; // ended by the Cancel press, not by four misses
        bool yellowLamp = false;
        double seconds = 0;
    };
    AutoTestRun runAutoTest(double seconds, const std::function<void(double)> &tick = {});

    // Lets the window handle its pending messages for `ms` milliseconds.
    void idle(int ms);

private:
    void press(QWidget *button);

    QTemporaryDir storeFolder_;
    QtPlatform platform_;
    ControllerLink link_{platform_};
    std::unique_ptr<SettingsStore> store_;
    std::unique_ptr<ui::TfrmModule> window_;
};

} // namespace vr::bench
