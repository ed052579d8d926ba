#include "portmap.h"

#include "qtprint.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

using varnix::PortDevice;

TEST(PortDevice, MapsPortNamesToDevices)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Varnix.ini");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[portas]\r\ncom2 = /dev/ttyUSB0\r\nCOM3=\r\n");
    file.close();

    const struct {
        const char *name;
        const char *device;
    } cases[] = {
        {"COM1", "/dev/ttyS0"}, {"COM2", "/dev/ttyUSB0"}, {"COM3", "/dev/ttyS2"},
        {"COM5", "/dev/ttyS4"}, {"/dev/ttyACM0", "/dev/ttyACM0"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(PortDevice(path, c.name), c.device);
    }
    EXPECT_EQ(PortDevice(dir.filePath("absent.ini"), "COM2"), "/dev/ttyS1");
}
