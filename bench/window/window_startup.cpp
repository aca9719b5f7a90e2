// vr880tx-bench-window: starts the way the program starts (the message catalogue, the
// application and its title, the platform, the link, the settings store, the main window) on the
// platform plugin the environment names, and prints on stdout, in monotonic seconds:
//   main T          main() was entered
//   created T       the window exists (FormCreate has run)
//   exposed T       the window system has exposed it
//   painted T       its first frame has been painted
//   peak-kb N       the peak resident memory (VmHWM) after the window has lived LINGER ms
// then exits. The settings store is STORE, or a temporary folder (a first run) without it.
//
//   vr880tx-bench-window [LINGER [STORE]]   LINGER default 1000 ms, so that both timers have
//                                           ticked

#include <QApplication>
#include <QEvent>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>

#include <cstdio>
#include <cstdlib>

#include "figures.h"
#include "i18n/message_catalogue.h"
#include "link/controller_link.h"
#include "platform/qt_platform.h"
#include "settings/settings_store.h"
#include "ui/frm_module.h"

namespace {

// Notes the first expose of `window`'s native window and the end of its first paint.
class FirstFrameWatch : public QObject {
public:
    explicit FirstFrameWatch(QWidget *window) : window_(window) {}

    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() == QEvent::Expose && exposed_ == 0 && window_->windowHandle() &&
            watched == window_->windowHandle() && window_->windowHandle()->isExposed()) {
            exposed_ = vr::bench::MonotonicSeconds();
            std::printf("exposed %.6f\n", exposed_);
        }
        if (event->type() == QEvent::Paint && watched == window_ && !paintSeen_) {
            paintSeen_ = true;
            // A posted call runs once the whole window (its controls included) has painted.
            QTimer::singleShot(0, [] {
                std::printf("painted %.6f\n", vr::bench::MonotonicSeconds());
                std::fflush(stdout);
            });
        }
        return false;
    }

private:
    QWidget *window_;
    double exposed_ = 0;
    bool paintSeen_ = false;
};

} // namespace

int main(int argc, char *argv[]) {
    std::printf("main %.6f\n", vr::bench::MonotonicSeconds());
    const int lingerMs = argc > 1 ? std::atoi(argv[1]) : 1000;

    vr::BuildMessageCatalogue();
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("VORNA VR880TX Config"));

    QTemporaryDir firstRun;
    vr::QtPlatform platform;
    vr::ControllerLink link(platform);
    vr::SettingsStore store(argc > 2 ? QString::fromLocal8Bit(argv[2]) : firstRun.path());
    vr::ui::TfrmModule frmModule(platform, link, store);
    std::printf("created %.6f\n", vr::bench::MonotonicSeconds());

    FirstFrameWatch watch(&frmModule);
    app.installEventFilter(&watch);
    frmModule.show();

    QTimer::singleShot(lingerMs, [] {
        std::printf("peak-kb %ld\n", vr::bench::ReadProcessStatus().peakResidentKb);
        std::fflush(stdout);
        // Not quit(): that asks the window to close, and only its Exit button closes it.
        QCoreApplication::exit(0);
    });
    app.exec();
    return 0;
}
