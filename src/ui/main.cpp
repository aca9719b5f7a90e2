// Start-up: the message catalogue, the application and its title, the one main window on the
// real platform, the message loop. An error that reaches this level is shown in the standard
// error box with its own text; the program ends with exit code 0 in every case.
#include <QApplication>
#include <QMessageBox>

#include <exception>
#include <optional>

#include "i18n/message_catalogue.h"
#include "link/controller_link.h"
#include "platform/qt_platform.h"
#include "settings/settings_store.h"
#include "ui/frm_module.h"

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

} // namespace

int main(int argc, char *argv[]) {
    vr::BuildMessageCatalogue(); // built before anything else, lives until the process ends

    Application app(argc, argv);
    // The application's title. Not the display name: Qt appends that to every window title,
    // and the window's caption must read exactly as the catalogue gives it.
    QCoreApplication::setApplicationName(kApplicationTitle);
    QGuiApplication::setDesktopFileName(QStringLiteral("vr880tx-config"));

    try {
        vr::QtPlatform platform;
        vr::ControllerLink link(platform);
        vr::SettingsStore store;
        vr::ui::TfrmModule frmModule(platform, link, store);
        frmModule.show();
        app.exec();
        if (app.error())
            ShowError(*app.error());
    } catch (const std::exception &error) {
        ShowError(QString::fromLocal8Bit(error.what()));
    } catch (...) {
        ShowError(QStringLiteral("Unknown error"));
    }
    return 0;
}
