#pragma once

#include <QString>
#include <QtGlobal>

#include "settings/settings_store.h"

namespace vr {

// The environment variable that gives a front end a settings store of its own: a folder that
// holds the settings file in place of the machine-wide store (the registry on Windows). Tests
// use it; so may a second set of settings on one machine.
inline constexpr char kSettingsFolderVariable[] = "VR880TX_SETTINGS_DIR";

// The store both front ends use: the folder named by VR880TX_SETTINGS_DIR when it is set and not
// empty, else the machine-wide store.
inline SettingsStore FrontEndSettingsStore() {
    const QString folder = qEnvironmentVariable(kSettingsFolderVariable);
    return folder.isEmpty() ? SettingsStore() : SettingsStore(folder);
}

} // namespace vr
