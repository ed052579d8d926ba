#include "portmap.h"

#include "inifile.h"

#include <QRegularExpression>

namespace varnix {

QString PortDevice(const QString &configurationPath, const QString &portName)
{
    const QString mapped = TIniFile(configurationPath).ReadString(QStringLiteral("PORTAS"), portName, QString());
    if (!mapped.isEmpty())
        return mapped;
    static const QRegularExpression comPort(QStringLiteral("^COM([1-9][0-9]*)$"));
    const auto match = comPort.match(portName);
    if (match.hasMatch())
        return QStringLiteral("/dev/ttyS%1").arg(match.captured(1).toInt() - 1);
    return portName;
}

} // namespace varnix
