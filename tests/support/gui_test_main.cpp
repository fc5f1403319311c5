// main() of the GUI tests: one QApplication for the whole run.
#include <QApplication>
#include <gtest/gtest.h>

#include "base/Fonts.h"
#include "base/QtTexts.h"

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    hoxa::InstallFontSubstitutions();
    hoxa::InstallQtTranslation();  // as the program does
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
