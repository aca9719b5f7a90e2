#pragma once

#include <QByteArray>
#include <QMetaType>
#include <QSettings>
#include <QString>

class QIODevice;

namespace vr {

// The one registry key that the file store holds, as its section header names it.
inline constexpr char kStoreKeyPath[] = "HKEY_LOCAL_MACHINE\\Software\\VORNA\\VR880TXConfig";

// A registry value in one of the `hex(N):` forms that has no Qt type of its own (expandable or
// multi-line text, a 64-bit number, ...). Kept with its registry type so that a save writes it
// back unchanged; to the settings it is just "another type".
struct RegTypedData {
    int type = 0;
    QByteArray bytes;
};

// The QSettings format of a registry-export text file ("Windows Registry Editor Version 5.00",
// one section for kStoreKeyPath, UTF-8). Values map as:
//   "name"="text"        <-> QString  (backslash and double quote escaped as \\ and \")
//   "name"=dword:0000000c <-> int      (32 bits, as the registry keeps REG_DWORD)
//   "name"=hex:31,39      <-> QByteArray (REG_BINARY)
//   "name"=hex(1):...     <-> QString  (REG_SZ as UTF-16LE, written for text with line breaks)
//   "name"=hex(4):...     <-> int      (REG_DWORD as four little-endian bytes)
//   "name"=hex(N):...     <-> RegTypedData for any other N
// A file that does not parse as a whole is rejected; QSettings then reports a FormatError and
// holds no values from it. Registered once; thread-safe.
QSettings::Format RegFileFormat();

bool ReadRegFile(QIODevice &device, QSettings::SettingsMap &map);
bool WriteRegFile(QIODevice &device, const QSettings::SettingsMap &map);

} // namespace vr

Q_DECLARE_METATYPE(vr::RegTypedData)
