// Renders the main window offscreen to PNG pictures: English, simplified Chinese and traditional
// Chinese with the Default page in front, and English with the Command page in front.
// Usage: vr880tx-screenshots OUTPUT_FOLDER
#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QTemporaryDir>

#include <cstdio>

#include "link/controller_link.h"
#include "settings/settings_store.h"
#include "ui/frm_module.h"

namespace {

// A platform without ports whose clock stands still, so that the pictures come out the same on
// every run.
class StillPlatform : public vr::Platform {
public:
    std::uint32_t milliseconds() override { return 0; }
    void sleep(std::uint32_t) override {}
    void pumpEvents() override { QCoreApplication::processEvents(); }
    std::unique_ptr<vr::SerialPort> openSerial(int, const std::optional<vr::LineSettings> &,
                                               vr::PortOpenFailure &) override {
        return nullptr;
    }
    void beep(int, int) override {}
    vr::LocalTime localTime() override { return {2005, 9, 13, 7, 41, 51}; }
};

bool Save(vr::ui::TfrmModule &window, const QDir &folder, const QString &name) {
    QCoreApplication::processEvents();
    const QString path = folder.filePath(name);
    if (!window.grab().save(path, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

} // namespace

int main(int argc, char *argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.exists() && !QDir().mkpath(folder.path())) {
        std::fprintf(stderr, "cannot create %s\n", argv[1]);
        return 1;
    }

    // A store of its own, so that the pictures never touch the machine's settings.
    QTemporaryDir storeFolder;
    vr::SettingsStore store(storeFolder.path());
    StillPlatform platform;
    vr::ControllerLink link(platform);
    vr::ui::TfrmModule window(platform, link, store);
    window.show();
    window.tmrClock->stop();
    window.tmrClockTimer();

    bool ok = true;
    window.btnEngClick();
    ok = Save(window, folder, QStringLiteral("window-english.png")) && ok;
    window.btnGBClick();
    ok = Save(window, folder, QStringLiteral("window-simplified-chinese.png")) && ok;
    window.btnBIG5Click();
    ok = Save(window, folder, QStringLiteral("window-traditional-chinese.png")) && ok;
    window.btnEngClick();
    window.pcDefault->setCurrentWidget(window.tsCommand);
    ok = Save(window, folder, QStringLiteral("window-command-page.png")) && ok;
    return ok ? 0 : 1;
}
