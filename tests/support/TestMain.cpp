#include <QByteArray>
#ifdef LIRRA_TEST_GUI
#include <QApplication>
#endif
#include <gtest/gtest.h>

// Tests find the built programs through LIRRA_BIN_DIR and draw widgets
// without a display.
int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("LIRRA_BIN_DIR"))
        qputenv("LIRRA_BIN_DIR", QByteArray(LIRRA_BIN_DIR));
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", QByteArray("offscreen"));
    ::testing::InitGoogleTest(&argc, argv);
#ifdef LIRRA_TEST_GUI
    // Widget tests share one application object that lives as long as main.
    QApplication app(argc, argv);
#endif
    return RUN_ALL_TESTS();
}
