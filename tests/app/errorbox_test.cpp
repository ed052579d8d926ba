#include "errorbox.h"
#include "qtprint.h"

#include <gtest/gtest.h>

TEST(ErrorBox, AppendsAFullStopAfterCharactersAboveIt)
{
    const struct {
        const char *message;
        const char *shown;
    } cases[] = {
        {"Unable to write to /x//Varnix.ini", "Unable to write to /x//Varnix.ini."},
        {"Done.", "Done."},
        {"Pronto!", "Pronto!"},
        {"a,", "a,"},
        {"a ", "a "},
        {"a)", "a)"}, // ')' is below '.'
        {"a/", "a/."},
        {"", ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.message);
        EXPECT_EQ(ErrorBoxText(QString::fromUtf8(c.message)), QString::fromUtf8(c.shown));
    }
}

TEST(ErrorBox, TitleComesFromTheExecutableName)
{
    const struct {
        const char *path;
        const char *title;
    } cases[] = {
        {"/opt/varnix/Varnix", "Varnix"},
        {"C:/Programas/VARNIX.EXE", "Varnix"},
        {"/usr/bin/varnix.monitor.bin", "varnix"},
        {"/x/mONITOR", "monitor"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(ProgramTitle(QString::fromUtf8(c.path)), QString::fromUtf8(c.title));
    }
}
