#pragma once

#include <QColor>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>
#include <ostream>

#include <gtest/gtest.h>

#include "link/controller_link.h"
#include "settings/settings_store.h"
#include "support/virtual_platform.h"
#include "ui/frm_module.h"

// Readable QString values in failure messages.
inline void PrintTo(const QString &text, std::ostream *out) {
    *out << '"' << text.toStdString() << '"';
}

inline void PrintTo(const QColor &colour, std::ostream *out) {
    *out << colour.name(QColor::HexArgb).toStdString();
}

namespace vr::test {

// The main window on the virtual platform, with its settings store in a temporary folder of its
// own. `open` creates the window (FormCreate) after an optional preparation of the store, and
// shows it (FormShow).
class WindowTest : public ::testing::Test {
protected:
    ui::TfrmModule &open(const std::function<void(SettingsStore &)> &prepare = {}) {
        if (prepare)
            prepare(store);
        window = std::make_unique<ui::TfrmModule>(platform, link, store);
        window->show();
        return *window;
    }

    // The settings as a fresh read of the store finds them.
    ScanSettings stored() const { return SettingsStore(folder.path()).load(); }

    // The bytes of every file in the store's folder, by name.
    QMap<QString, QByteArray> storeFiles() const {
        QMap<QString, QByteArray> files;
        const QDir dir(folder.path());
        for (const QString &name : dir.entryList(QDir::Files)) {
            QFile file(dir.filePath(name));
            if (file.open(QIODevice::ReadOnly))
                files.insert(name, file.readAll());
        }
        return files;
    }

    QTemporaryDir folder;
    VirtualPlatform platform;
    ControllerLink link{platform};
    SettingsStore store{folder.path()};
    std::unique_ptr<ui::TfrmModule> window;
};

} // namespace vr::test
