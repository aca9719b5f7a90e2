// Start-up: the message catalogue, the application and its title, the one main window on the
// real platform, the message loop. An error that reaches this level is shown in the standard
// error box with its own text; the program ends with exit code 0 in every case.
//
// Before all that, its own few options: --trace FILE, --help, --version. Every other argument is
// Qt's (or ignored, as it always was).
#include <QApplication>
#include <QDateTime>
#include <QFile>
#include <QMessageBox>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <optional>
#include <string>

#include "i18n/message_catalogue.h"
#include "link/controller_link.h"
#include "link/exchange_trace.h"
#include "platform/qt_platform.h"
#include "settings/front_end_store.h"
#include "ui/frm_module.h"

#ifndef VR_VERSION
#define VR_VERSION "0"
#endif

namespace {

// Shown on the taskbar and in the title of the error box; never translated.
const QString kApplicationTitle = QStringLiteral("VORNA VR880TX Config");

// Catches an error thrown out of a handler, so that it reaches the top instead of ending the
// process inside Qt's event delivery.
class Application : public QApplication {
public:
    using QApplication::QApplication;

    bool notify(QObject *receiver, QEvent *event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception &error) {
            fail(QString::fromLocal8Bit(error.what()));
        } catch (...) {
            fail(QStringLiteral("Unknown error"));
        }
        return false;
    }

    const std::optional<QString> &error() const { return error_; }

private:
    void fail(const QString &text) {
        if (!error_)
            error_ = text;
        exit(0);
    }

    std::optional<QString> error_;
};

void ShowError(const QString &text) {
    QMessageBox::critical(nullptr, kApplicationTitle, text);
}

const char kUsage[] =
    "usage: vr880tx-config [--trace FILE] [--help] [--version] [Qt options]\n"
    "\n"
    "The window of VR880TX Config. For scripts and test stations there is vr880tx.\n"
    "  --trace FILE  append every byte sent to and received from the controller to FILE\n"
    "                (- for standard error)\n"
    "The settings are read from the machine's store, or from the folder named by\n"
    "VR880TX_SETTINGS_DIR.\n";

struct StartOptions {
    bool help = false;
    bool version = false;
    std::optional<std::string> trace;
    std::string error;
};

// Read before the application exists, so that --help and --version need no display.
StartOptions ReadStartOptions(int argc, char *argv[]) {
    StartOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--help") {
            options.help = true;
        } else if (argument == "--version") {
            options.version = true;
        } else if (argument == "--trace") {
            if (i + 1 >= argc || argv[i + 1][0] == '\0') {
                options.error = "--trace needs a value: a file name, or - for standard error";
                return options;
            }
            options.trace = argv[++i];
        } else if (argument.rfind("--trace=", 0) == 0) {
            options.trace = argument.substr(8);
            if (options.trace->empty()) {
                options.error = "--trace needs a value: a file name, or - for standard error";
                return options;
            }
        }
    }
    return options;
}

// The trace file, appended to; standard error for "-". Closed when the window has gone.
struct TraceFile {
    std::FILE *file = nullptr;
    bool owned = false;
    ~TraceFile() {
        if (owned)
            std::fclose(file);
    }
};

} // namespace

int main(int argc, char *argv[]) {
    const StartOptions options = ReadStartOptions(argc, argv);
    if (!options.error.empty()) {
        std::fprintf(stderr, "vr880tx-config: %s\n", options.error.c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (options.version) {
        std::fputs("vr880tx-config " VR_VERSION "\n", stdout);
        return 0;
    }
    TraceFile trace;
    if (options.trace) {
        trace.file = *options.trace == "-" ? stderr : std::fopen(options.trace->c_str(), "a");
        if (trace.file == nullptr) {
            std::fprintf(stderr, "vr880tx-config: --trace: cannot write %s: %s\n",
                         options.trace->c_str(), std::strerror(errno));
            return 2;
        }
        trace.owned = trace.file != stderr;
    }

    vr::BuildMessageCatalogue(); // built before anything else, lives until the process ends

    Application app(argc, argv);
    // The application's title. Not the display name: Qt appends that to every window title,
    // and the window's caption must read exactly as the catalogue gives it.
    QCoreApplication::setApplicationName(kApplicationTitle);
    QGuiApplication::setDesktopFileName(QStringLiteral("vr880tx-config"));

    try {
        vr::QtPlatform platform;
        vr::ControllerLink link(platform);
        std::unique_ptr<vr::ExchangeTrace> exchangeTrace;
        if (trace.file != nullptr) {
            const std::uint32_t start = platform.milliseconds();
            exchangeTrace = std::make_unique<vr::ExchangeTrace>(trace.file, start);
            exchangeTrace->note(start, "vr880tx-config " VR_VERSION ", " +
                                           QDateTime::currentDateTime()
                                               .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
                                               .toStdString());
            link.setObserver(exchangeTrace.get());
        }
        vr::SettingsStore store = vr::FrontEndSettingsStore();
        vr::ui::TfrmModule frmModule(platform, link, store);
        frmModule.show();
        app.exec();
        link.setObserver(nullptr);
        if (app.error())
            ShowError(*app.error());
    } catch (const std::exception &error) {
        ShowError(QString::fromLocal8Bit(error.what()));
    } catch (...) {
        ShowError(QStringLiteral("Unknown error"));
    }
    return 0;
}
