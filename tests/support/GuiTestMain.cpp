#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    // Every test starts from the same locale; those that need another pin it themselves.
    qputenv("LC_ALL", "C.UTF-8");
    qunsetenv("LANG");
    qunsetenv("LC_TIME");
    qunsetenv("LC_NUMERIC");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
