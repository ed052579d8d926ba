#pragma once

#include <QString>

namespace varnix {

// The device behind a port name. The optional section "PORTAS" of the
// settings file maps a name to a device path (COM1=/dev/ttyUSB0); without it
// "COM1" to "COM5" are the first five on-board serial ports, /dev/ttyS0 to
// /dev/ttyS4. The program never writes that section.
QString PortDevice(const QString &configurationPath, const QString &portName);

} // namespace varnix
