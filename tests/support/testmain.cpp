#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char *argv[])
{
    // Window tests run headless, and readings are formatted for pt_BR.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("LC_ALL", "pt_BR.UTF-8");
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
