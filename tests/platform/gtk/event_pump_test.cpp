// ctest-labels: gtk-input-sound
// The pump and the signal handlers of a real GTK window, fed with synthetic GDK events.
#include <gdk/gdkkeysyms.h>
#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <string.h>

#include <utility>
#include <vector>

#include "graphics/quickdraw/regions.h"
#include "graphics/text/textedit.h"
#include "platform/core/runtime.h"
#include "platform/gtk/event_pump.h"
#include "platform/gtk/keyboard_mouse.h"
#include "platform/gtk/platform_windows.h"

namespace {

std::vector<EventRecord> Drain() {
    std::vector<EventRecord> events;
    EventRecord e;
    while (GetNextEvent(0xFFFF, &e)) events.push_back(e);
    return events;
}

// The one event waiting must be a suspend or resume event with that message.
void ExpectOneFocusEvent(UInt32 message) {
    std::vector<EventRecord> events = Drain();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].what, 15);
    EXPECT_EQ(events[0].message, message);
}

void DoEvents(int count) {
    for (int i = 0; i < count; i++) SystemDependantDoEvent();
}

int gReads;
Boolean CountingReader(SInt16 *h, SInt16 *v, UInt32 *mask) {
    gReads++;
    *h = *v = 0;
    *mask = 0;
    return kTrue;
}

std::vector<SInt16> gWheel;

class Pump : public ::testing::Test {
protected:
    GtkWidget *window = nullptr;
    void SetUp() override {
        if (!gtk_init_check(nullptr, nullptr)) GTEST_SKIP() << "no display";
        OrvaSetPointerStateReader(CountingReader);
        window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
        gtk_window_set_default_size(GTK_WINDOW(window), 100, 80);
        GTKSetWindowEvents(nullptr, window);
        gtk_widget_show(window);
        for (int i = 0; i < 50 && !gtk_widget_get_mapped(window); i++) {
            while (gtk_events_pending()) gtk_main_iteration();
            g_usleep(10000);
        }
        gWheel.clear();
        OrvaSetWheelHandler([](SInt16 delta) -> Boolean {
            gWheel.push_back(delta);
            return kTrue;
        });
        Drain();
    }
    void TearDown() override {
        OrvaSetWheelHandler(nullptr);
        OrvaSetPointerStateReader(nullptr);
        if (window) gtk_widget_destroy(window);
        OrvaSetProcessWindowMessages(kTrue);
    }
    // A new event of that type aimed at the window; Send hands it to the window's handlers.
    GdkEvent *Event(GdkEventType type) {
        GdkEvent *event = gdk_event_new(type);
        event->any.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(window)));
        return event;
    }
    void Send(GdkEvent *event) {
        gtk_widget_event(window, event);
        gdk_event_free(event);
    }
    void Key(GdkEventType type, guint keyval, guint16 keycode, guint state, const char *text) {
        GdkEvent *event = Event(type);
        event->key.keyval = keyval;
        event->key.hardware_keycode = keycode;
        event->key.state = state;
        event->key.string = g_strdup(text);
        event->key.length = gint(strlen(text));
        event->key.send_event = TRUE;
        Send(event);
    }
    void Scroll(GdkScrollDirection direction) {
        GdkEvent *event = Event(GDK_SCROLL);
        event->scroll.direction = direction;
        Send(event);
    }
};

TEST_F(Pump, KeysBecomeKeyEventsWithTheirMessages) {
    Key(GDK_KEY_PRESS, 'a', 38, GDK_CONTROL_MASK, "\x01");
    Key(GDK_KEY_RELEASE, 'a', 38, GDK_CONTROL_MASK, "\x01");
    Key(GDK_KEY_PRESS, GDK_Return, 36, 0, "\r");
    std::vector<std::pair<UInt16, UInt32>> got;
    for (const EventRecord &e : Drain()) got.emplace_back(e.what, UInt32(e.message));
    EXPECT_EQ(got, (std::vector<std::pair<UInt16, UInt32>>{{3, 0x00410041}, {4, 0x00410041}, {3, 0x000D240D}}));
    GTKUpdateKeyState(65535, 0, 0);
}

TEST_F(Pump, WheelAndCloseRequests) {
    Scroll(GDK_SCROLL_UP);
    Scroll(GDK_SCROLL_RIGHT);
    EXPECT_EQ(gWheel, (std::vector<SInt16>{-3, 3}));
    Send(Event(GDK_DELETE));
    std::vector<EventRecord> events = Drain();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].what, 3);
    EXPECT_EQ(events[0].message & 0xFF, UInt32('Q'));
    EXPECT_EQ(events[0].modifiers & 256, 256);
    EXPECT_EQ(events[1].what, 4);
    EXPECT_TRUE(gtk_widget_get_mapped(window));  // the window stays
}

TEST_F(Pump, CommittedTextPostsOnePairPerUtf16Unit) {
    Key(GDK_KEY_PRESS, 'a', 38, 0, "a");  // the scan code of the last key press goes along
    Drain();
    OrvaPostCommittedText("\xC3\xA9\xF0\x9D\x84\x9E");  // e acute, then a character outside the BMP
    std::vector<EventRecord> events = Drain();
    ASSERT_EQ(events.size(), 6u);
    EXPECT_EQ(events[0].what, 3);
    EXPECT_EQ(events[0].message, 0x00E9008Eu);  // unit, scan code 0, MacRoman 0x8E
    EXPECT_EQ(events[1].what, 4);
    EXPECT_EQ(events[2].message >> 16, 0xD834u);
    EXPECT_EQ(events[4].message >> 16, 0xDD1Eu);
    OrvaPostCommittedText("\xC3");  // cut short: nothing
    OrvaPostCommittedText("");
    OrvaPostCommittedText(nullptr);
    EXPECT_TRUE(Drain().empty());
    GTKUpdateKeyState(65535, 0, 0);
}

TEST_F(Pump, FocusChangesTakeSixChecks) {
    OrvaSetProcessWindowMessages(kFalse);
    gReads = 0;
    UInt32 checks = OrvaGetFocusCheckCount();
    OrvaRequestApplicationFocus(-1);
    DoEvents(5);
    EXPECT_EQ(OrvaGetFocusCheckCount() - checks, 5u);
    EXPECT_EQ(gReads, 0);  // only the focus check ran
    EXPECT_TRUE(Drain().empty());
    SystemDependantDoEvent();
    ExpectOneFocusEvent(0x1000000);
    EXPECT_FALSE(SystemDependantApplicationHasFocus());
    OrvaRequestApplicationFocus(1);
    DoEvents(6);
    ExpectOneFocusEvent(0x1000001);
    EXPECT_TRUE(SystemDependantApplicationHasFocus());
}

void Settle(int passes) {
    for (int i = 0; i < passes; i++) {
        while (g_main_context_iteration(nullptr, FALSE)) {
        }
        g_usleep(2000);
    }
}

TEST_F(Pump, MenuBarHidesAndAPlaceholderStandsInWhileInactive) {
    orvaSettings.pluginFlag = 0;
    GtkWidget *menuBar = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_default_size(GTK_WINDOW(menuBar), 300, 22);
    gtk_widget_show(menuBar);
    GTKSetMenuBar(menuBar, nullptr);
    Settle(5);
    OrvaRequestApplicationFocus(-1);
    DoEvents(6);
    EXPECT_FALSE(SystemDependantApplicationHasFocus());
    EXPECT_FALSE(gtk_widget_get_visible(menuBar));
    EXPECT_FALSE(gtk_widget_get_mapped(menuBar));
    // No window of ours is in the task bar: the placeholder, 1 x 1, is shown.
    WindowPtr placeholder = OrvaGetPlaceholderWindow();
    ASSERT_NE(placeholder, nullptr);
    GtkWidget *stand = static_cast<GtkWidget *>(placeholder->platformWindow);
    ASSERT_NE(stand, nullptr);
    EXPECT_TRUE(gtk_widget_get_mapped(stand));
    EXPECT_EQ(placeholder->port.portRect.right, 1);
    EXPECT_EQ(placeholder->port.portRect.bottom, 1);
    ExpectOneFocusEvent(0x1000000);
    // Back: the placeholder goes, the menu bar comes back mapped.
    OrvaRequestApplicationFocus(1);
    DoEvents(6);
    EXPECT_TRUE(SystemDependantApplicationHasFocus());
    EXPECT_EQ(OrvaGetPlaceholderWindow(), nullptr);
    EXPECT_TRUE(gtk_widget_get_visible(menuBar));
    EXPECT_TRUE(gtk_widget_get_mapped(menuBar));
    ExpectOneFocusEvent(0x1000001);
    GTKSetMenuBar(nullptr, nullptr);
    gtk_widget_destroy(menuBar);
}

TEST_F(Pump, NoPlaceholderWhileAWindowStaysInTheTaskBar) {
    orvaSettings.pluginFlag = 0;
    WindowRecord record;
    memset(&record, 0, sizeof record);
    Rect r = {40, 40, 80, 120};
    GtkWidget *shown = SystemDependantCreatePhysicalWindow(&record, &r, nullptr, kTrue);
    ASSERT_NE(shown, nullptr);
    SystemDependantShowWindow(shown, &record);
    OrvaRequestApplicationFocus(-1);
    for (int i = 0; i < 12 && SystemDependantApplicationHasFocus(); i++) SystemDependantDoEvent();
    EXPECT_FALSE(SystemDependantApplicationHasFocus());
    EXPECT_EQ(OrvaGetPlaceholderWindow(), nullptr);
    OrvaRequestApplicationFocus(1);
    DoEvents(6);
    EXPECT_TRUE(SystemDependantApplicationHasFocus());
    Drain();
    SystemDependantDestroyWindow(shown);
    if (record.strucRgn) DisposeRgn(record.strucRgn);
}

}  // namespace
