// The toolbox's rows of the hook record the floors below call it through.
#include "toolbox/toolbox_install.h"

#include "graphics/cairo/dirty_areas.h"
#include "graphics/quickdraw/cursors.h"
#include "graphics/text/font_manager.h"
#include "graphics/text/textedit.h"
#include "graphics/toolbox_hooks.h"
#include "platform/core/language.h"
#include "platform/gtk/platform_windows.h"
#include "toolbox/cursors.h"
#include "toolbox/events.h"
#include "toolbox/menus.h"
#include "toolbox/theme_metrics.h"
#include "toolbox/themes.h"
#include "toolbox/windows.h"

namespace {

Boolean gInstalled = kFalse;  // main thread

OSStatus MenuBarHeight(SInt16 *height);
void RetraceAfterResize(WindowPtr w);
void LanguageChanged(SInt16 language);

}  // namespace

void OrvaInstallToolbox() {
    if (gInstalled) return;
    gInstalled = kTrue;
    ToolboxHooks hooks = {};
    hooks.postEvent = OrvaEventsPost;
    hooks.postPseudoEvent = OrvaEventsPostPseudo;
    hooks.getNextEvent = OrvaEventsGetNext;
    hooks.eventAvail = OrvaEventsAvail;
    hooks.generateEvent = OrvaEventsGenerate;
    hooks.lastTickCountEvent = OrvaEventsLastTick;
    hooks.getMouse = OrvaEventsGetMouse;
    hooks.readMouse = OrvaEventsReadMouse;
    hooks.setMousePos = OrvaEventsSetMousePos;
    hooks.button = OrvaEventsButton;
    hooks.stillDown = OrvaEventsStillDown;
    hooks.getKeys = OrvaEventsGetKeys;
    hooks.lastUnicodeKey = OrvaEventsLastUnicodeKey;
    hooks.setLastUnicodeKey = OrvaEventsSetLastUnicodeKey;
    hooks.obscureCursor = OrvaEventsObscureCursor;
    hooks.getCursor = OrvaGetCursor;
    hooks.setCursor = OrvaShowCursorArea;
    hooks.cursorForWindows = OrvaSetCursorForWindows;
    hooks.processUnderMouse = OrvaHoverUnderMouse;
    hooks.windowList = OrvaWindowListHead;
    hooks.nextWindow = OrvaNextWindowInList;
    hooks.windowFromPort = OrvaWindowOfPort;
    hooks.windowRegion = OrvaWindowsGetRegion;
    hooks.invalWindowRect = OrvaWindowsInvalRect;
    hooks.beginUpdate = OrvaWindowsBeginUpdate;
    hooks.endUpdate = OrvaWindowsEndUpdate;
    hooks.retraceDesktop = OrvaWindowsRetraceDesktop;
    hooks.insMenuItem = OrvaMenusInsertItem;
    hooks.countMItems = OrvaMenusCount;
    hooks.menuItem = OrvaMenusItem;
    hooks.computeItemArea = OrvaMenusItemArea;
    hooks.setItemIcon = OrvaMenusSetItemIcon;
    hooks.findMenuBarShortcut = OrvaMenusFindShortcut;
    hooks.flashMenuBar = OrvaMenusFlash;
    hooks.drawMenuBar = OrvaMenusDrawBar;
    hooks.getThemeDrawingState = OrvaThemeGetDrawingState;
    hooks.setThemeDrawingState = OrvaThemeSetDrawingState;
    hooks.getThemeMenuBarHeight = MenuBarHeight;
    hooks.themeWindowRegion = OrvaThemeWindowRegion;
    hooks.adjustDrawers = OrvaThemeAdjustDrawers;
    hooks.updateSkinFolder = OrvaThemeUpdateFolder;
    hooks.initTheme = OrvaThemeStart;
    hooks.openSystemFiles = OrvaOpenSystemFiles;
    OrvaSetToolboxHooks(&hooks);
    OrvaSetDirtyRefreshPass(OrvaWindowsRefreshPass);
    OrvaSetLanguageChangeHook(LanguageChanged);
    OrvaWindowsRetraceWindow = RetraceAfterResize;
}

Boolean OrvaIsToolboxInstalled() { return gInstalled; }

void OrvaInitToolboxManagers() {
    InitGraf(&qd);
    InitFonts();
    InitMenus();
    TEInit();
    InitDialogs(nullptr);
    InitCursor();
}

namespace {

OSStatus MenuBarHeight(SInt16 *height) {
    if (height) *height = OrvaThemeMenuBarHeight();
    return noErr;
}

// After the platform resized a window the whole content waits to be redrawn.
void RetraceAfterResize(WindowPtr w) { OrvaWindowsInvalRect(w, &w->port.portRect); }

// The menu bar keeps the theme's height whatever the language; its titles are drawn again.
void LanguageChanged(SInt16) { OrvaDrawMenuBar(); }

}  // namespace
