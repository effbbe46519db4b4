// ctest-labels: encodings-files
// Interface metrics read from GTK's settings and cached until reset.
#include "platform/gtk/ui_metrics.h"

#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include "platform/core/os_utilities.h"
#include "platform/gtk/back_end.h"
#include "support/test_home.h"

namespace {

const std::string &gHome = OrvaTestHome();

TEST(UIMetrics, DoubleClickAndCaretTimesInTicks) {
    if (!gtk_init_check(nullptr, nullptr)) GTEST_SKIP() << "no display";
    OrvaInstallGtkBackEnd();  // the metrics reach GTK's settings through the back end
    GtkSettings *settings = gtk_settings_get_default();
    g_object_set(settings, "gtk-double-click-time", 400, "gtk-cursor-blink-time", 1000, nullptr);
    OrvaResetWindowsSystemSettings();
    EXPECT_EQ(OrvaWindowsGetDblTime(), 24);
    EXPECT_EQ(OrvaWindowsGetCaretTime(), 30);
    EXPECT_EQ(OrvaWindowsGetBorderWidth(), 3);
    g_object_set(settings, "gtk-double-click-time", 250, nullptr);
    EXPECT_EQ(OrvaWindowsGetDblTime(), 24);  // cached
    OrvaResetWindowsSystemSettings();
    EXPECT_EQ(OrvaWindowsGetDblTime(), 15);
    SInt16 width = 0, height = 0;
    EXPECT_TRUE(GTKGetScreenSize(&width, &height));
    EXPECT_GT(width, 0);
    EXPECT_GT(height, 0);
}

}  // namespace
