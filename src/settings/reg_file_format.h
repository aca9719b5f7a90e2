#pragma once

#include <QByteArray>
#include <QMetaType>
#include <QSettings>
#include <QString>

class QIODevice;

namespace vr {

// The one registry key that the file store holds, as its section header names it.
inline constexpr char kStoreKeyPath[] = "HKEY_LOCAL_MACHINE\\Software\\VORNA\\VR880TXConfig";

// The largest store file that is read or written. The five settings take about 200 bytes; a
// larger file is damaged or was made to hold the program back, and is treated like one that does
// not parse. Reading and writing a file of this size costs a few milliseconds.
inline constexpr qint64 kMaxStoreFileBytes = 64 * 1024;

// A registry value in one of the `hex(N):` forms that has no Qt type of its own (expandable or
// multi-line text, a 64-bit number, ...). Kept with its registry type so that a save writes it
// back unchanged; to the settings it is just "another type".
struct RegTypedData {
    int type = 0;
    QByteArray bytes;
};

// A registry-export text file ("Windows Registry Editor Version 5.00", one section for
// kStoreKeyPath, UTF-8) as a map of value names to values. Values map as:
//   "name"="text"        <-> QString  (backslash and double quote escaped as \\ and \")
//   "name"=dword:0000000c <-> int      (32 bits, as the registry keeps REG_DWORD)
//   "name"=hex:31,39      <-> QByteArray (REG_BINARY)
//   "name"=hex(1):...     <-> QString  (REG_SZ as UTF-16LE, written for text with line breaks)
//   "name"=hex(4):...     <-> int      (REG_DWORD as four little-endian bytes)
//   "name"=hex(N):...     <-> RegTypedData for any other N
// Reading and writing make one pass over the text, which is never longer than
// kMaxStoreFileBytes.

// Reads the whole device into `map`. False, with `map` unchanged, for a text that does not parse
// as a whole or holds more than kMaxStoreFileBytes.
bool ReadRegFile(QIODevice &device, QSettings::SettingsMap &map);

// Writes the five settings first, in the order they are read, then any other value by name.
// False, with nothing written, for a value the registry cannot hold or a text that would exceed
// kMaxStoreFileBytes; false also when the device does not take the whole text.
bool WriteRegFile(QIODevice &device, const QSettings::SettingsMap &map);

} // namespace vr

Q_DECLARE_METATYPE(vr::RegTypedData)
