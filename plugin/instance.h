// The plug-in's record of one embed element (PlugInInstance), the list of live instances in
// page order, and the process-wide instance state. Main thread, inside the plug-in critical
// section (3).
#pragma once

#include "graphics/pictures/pictures.h"
#include "layout/pagination.h"
#include "plugin/interface/page_display.h"
#include "plugin/npapi.h"
#include "plugin/shell_standins.h"

struct PlugInWindow;
struct PlugInInstance;
struct DocumentRecord;
struct JukeBoxList;

// Called at idle while a press is held (stillDown 1) and once after its release (0).
typedef void (*PlugInPressHandler)(PlugInInstance *instance, Boolean stillDown);

enum : SInt32 {
    kPlugInMenuItemCount = 29,
    kPlugInKeySlotCount = 100,
    kDocNameSize = 256,       // 255 bytes and the terminator
    kDocTextSize = 1025,
    kUrlDirectorySize = 513,
    kCacheFileNameSize = 64,
    kMailAddressSize = 64,
};

// One icon of the icon menu.
struct PlugInMenuItem {
    UInt8 enabled;    // reacts and is drawn in its active colours
    UInt8 shown;      // takes a place in the menu
    UInt8 state;      // 0 normal, 1 pressed or on, 2 second highlight
    SInt16 position;  // place among the shown items, written by the drawing pass
};

// One key of the on-screen keyboard being shown.
struct KeySlot {
    UInt16 key;         // index from the keyboard's first key; 65535 free
    UInt16 state;       // 0 waiting, 1 struck, 2 held, 3 released
    SInt32 onTick;      // score units; -1 or -9999 when cleared
    SInt32 offTick;     // 0x7FFFFFFF while held
    UInt32 stateStart;  // tick count when the state began
    SInt32 stateTicks;  // length of the state's colour change, ticks
    UInt8 finger;       // 0 none
    UInt16 instrument;
};

// Value-initialised, then filled by PlugInDefaultInstance; allocated and freed through the
// browser. Flags are 0 or 1; "wanted" values are the page's, their partners the ones in force.
struct PlugInInstance {
    // Browser and download.
    PlugInWindow *window;       // given by NPP_SetWindow; null until then
    SInt16 areaLeft, areaTop;   // player area in port coordinates (areaLeft: play-list width)
    UInt16 browserMode;         // NP_EMBED or NP_FULL
    FILE *cacheStream;          // the cache file written during the download
    UInt8 cacheWriteFailed;     // a block could not be written: the download fails
    SInt32 bytesReceived;
    SInt32 streamLength;        // announced length, 0 unknown
    UInt8 downloadFailed, documentReady;
    NPP npp;
    UInt8 buttonDown, hideMail;

    // Permissions and interface switches.
    UInt8 printOff, saveOff, transposeOff, tempoOff, singOff, hasSungStaves, singInactive, autoPlay, zoomOff;
    SInt16 soundBankLevel;
    UInt8 logoShown;
    SInt16 soundBaseWanted;     // 999: none asked; 6 the best level
    UInt8 playAllowed;
    UInt8 loop, playNext;
    UInt8 pauseButton, stopButton, volumeButton, forwardButton, backwardButton;
    UInt8 mixerOff, keyboardEnabled;
    SInt16 language;            // 0 French 1 English 2 Italian 3 German 4 Spanish 5 Japanese 6 Portuguese 7 Dutch
    UInt8 infoItem;
    UInt8 titleWanted, titleShown, showFileName, menuWanted, menuShown, timeSliderWanted, timeSliderShown;
    UInt8 pageWanted, pageShown;
    UInt8 showName;
    UInt8 showDuration, showTime, showDocInfo, showSize;
    UInt8 showPosition;
    UInt16 titleHeightWanted, titleHeight;      // pixels; as the page gave them (see PlugInTitleHeight)
    UInt16 titleFontSizeWanted, titleFontSize;  // points
    UInt8 angloNotation, accidentalsAllOctaves;
    char mailAddress[kMailAddressSize];

    // Karaoke and chrome.
    UInt8 lyricsDisabled, karaokePossible, karaokeActive;
    Handle karaokeText, karaokeSyllables;
    SInt16 lyricStaffNumber, lyricStaffCount;
    float lyricsScale;
    UInt16 karaokeScrollSteps;
    SInt32 lookWanted, look;    // 0 MOON 1 OCEAN 2 EVEREST 3 SHADOW
    PlugInMenuItem menuItems[kPlugInMenuItemCount];
    SInt16 iconCellWidth, iconRowHeight, iconsPerRow, iconRows, iconBarPadding;
    RGBColor menuBkColor1, menuBkColor2;

    // Playing and document.
    SInt32 pausePosition;       // played position of the pause; 0 not paused
    UInt8 infoPanelUp, infoPanelModal;
    UInt8 mixerShown, hasJoinedStaves;
    UInt8 drawingSuspended;
    DocumentRecord *document;   // owned; null when none is loaded
    SInt16 antialias;           // 0 none 1 medium 2 high
    Rect pagePictFrame, scrollContent, scrollContentSeen;
    PicHandle pictOdd, pictEven;
    SInt16 pageOffsetV, pageOffsetH;
    UInt8 pageFitsWhole;
    Rect pageScreenRect;
    float pageMapping[4];       // horizontal and vertical scale, horizontal and vertical scroll (pixels)
    UInt8 keepLoaded;
    SInt16 transposeOffset, transposeApplied;  // semitones
    SInt16 tempo;               // imposed at load; 0 the score's own
    SInt16 quality;
    char docTitle[kDocNameSize];
    char docText1[kDocTextSize], docText2[kDocTextSize], docText3[kDocTextSize];
    char pluginsPage[kDocNameSize];
    UInt8 docInCache;
    char docName[kDocNameSize];
    UInt8 docNameFromStream;    // docName came from the stream's address (no SRC or FILENAME)
    char urlDirectory[kUrlDirectorySize];
    char cacheFileName[kCacheFileNameSize];
    UInt8 cacheUnpacked;        // cacheFileName is the unpacked document, read by its own extension
    SInt32 totalDurationMs, totalDuration;  // milliseconds; score units
    SInt16 currentPage, pageCount;
    PrintInfoRecord pageSetup;  // the printer's resolutions and paper, raised to 300 dpi at least
    UInt8 keepRatio;
    SInt16 zoomMode;            // 0 zoom value, 1 fit width, 2 fit the page in two-page mode
    UInt8 fullScreenAllowed;
    float zoom;
    SInt16 scrollH, scrollHMax, scrollV, scrollVMax;
    RGBColor imgBkColor, titleBkColor, scrollBkColor, scrollThumbColor, titleFrColor, titleBkColPlay,
        titleFrColPlay, timeSliderBkColor1, timeSliderBkColor2, desktopColor, textSelectColor, listColor;
    SInt16 posCursorX;
    Rect playedMark;
    SInt16 volumeScale;
    UInt32 singLastTick;
    float singTicksPerStep;
    SInt16 singJobFollowed;
    SInt16 paperMargin;         // pixels, as given (see PlugInPaperMargin)
    UInt8 allowViews, startViewGiven, playViewOnly;
    char viewName[kDocNameSize];
    SInt16 startView, viewCount, currentView;  // currentView -1: the full score
    char karaokeTitle[kDocNameSize];
    UInt8 filmMode;
    FilmProject film;           // used in film mode only
    UInt8 metronomeOn, displayMetronome, metronomeGiven, metronomeStart;
    SInt16 metronomeBars;
    SInt16 listNumber;          // 1-based element of the play list or archive
    PlugInInstance *next;       // the instance list
    PlugInPressHandler pressHandler;
    UInt32 pressTick;           // tick count of the press on the position bar
    UInt8 pressSelecting;       // that press selects measures rather than a position
    UInt8 pressKeptLoaded;      // keepLoaded as it was before that press
    SInt16 measureCount;
    Handle measureTable;
    SInt16 ruptureCount;
    Handle ruptureTable;
    JukeBoxList *playList;      // owned; null without a list
    SInt16 listSplit, posSplit;  // posSplit: width of the play-list panel, as given
    Handle mixerEntries;
    SInt16 mixerFirstStrip, mixerShownStrips;
    SInt16 listPlayMode;        // as given (see PlugInListPlayMode)
    UInt8 invertVideo, allowTwoPages, twoPages, rotateOff;
    SInt16 quarterTurns;        // as given: ANGLE / 90 (see PlugInQuarterTurns)
    UInt8 twoPagesNoBinding;
    SInt16 selFirstMeasure, selLastMeasure;
    SInt16 screenSelFirstMeasure, screenSelLastMeasure, screenSelFirstStaff, screenSelLastStaff;
    Rect screenSelRect;
    Handle tempoMapPlayed, tempoMapWritten;
    Rect posBubble;
    UInt8 singlePageAtEnd, tooltipShown;
    UInt8 keyboardShown;
    UInt16 keyboardInstrument;  // 65535: all instruments
    SInt16 keyboardKeyCount, keyboardFirstOctave, keyboardOctaves;  // as given (see the accessors)
    KeySlot keySlots[kPlugInKeySlotCount];
    Handle keyRegions;          // one region per key
    SInt32 keyboardWidthSeen, keyboardHeightSeen;
    SInt32 playInstrument;
    NPObject *scriptObject;     // one reference held; released by NPP_Destroy
    UInt8 mixerScissor;
    UInt32 timerId;             // the browser's timer of the instance, 0 none
    UInt8 tooltipPending;
    Rect pendingInvalRect;
    UInt32 pendingInvalTick;    // 0 none

    // Place in the instance list.
    UInt8 pagePositionKnown;    // the page gave the element's position at the last NPP_SetWindow
    SInt32 pageTop, pageLeft;   // the element's top-left corner on the page, CSS pixels
    UInt32 creationSerial;      // order of creation, for elements without a position

    // The window size the instance was last drawn at (0 x 0 never): a window of another size
    // is drawn again when it comes, its port having been made again.
    SInt32 drawnWidth, drawnHeight;
    PlugPageImage pageImages[3];  // per side of the page display (0 single page, 1, 2)
};

// Process-wide instance state; main thread, plug-in critical section.
struct PlugInProcessState {
    PlugInInstance *premiereInstance;   // head of the instance list, page order
    PlugInInstance *plugInInstancePlay; // the instance whose document plays, or null
    PlugInInstance *redrawInstance;     // to redraw at the next idle, or null
    PlugInInstance *curThis;            // the instance that last started playing
    UInt8 doitRetracerTout;             // every instance is redrawn after the current click
    SInt16 globalVolume;                // playback volume, 0..200 (VOLUME)
    UInt8 isRecordMixer;                // mixer settings are recorded (RECORD_MIXER)
    UInt32 instancesCreated;            // serial of the last instance made
};
extern PlugInProcessState plugInState;

// The instance record of a browser instance, or null.
PlugInInstance *PlugInFromNPP(NPP npp);
// Every default of the record; asks the browser for its language when npp is given.
void PlugInDefaultInstance(PlugInInstance *instance, NPP npp);
void PlugInDefaultColor(PlugInInstance *instance);  // the fourteen colours
// Colour slot 0..13 (imgBkColor, titleBkColor, titleFrColor, scrollBkColor, scrollThumbColor,
// titleBkColPlay, titleFrColPlay, menuBkColor1, menuBkColor2, timeSliderBkColor1,
// timeSliderBkColor2, desktopColor, textSelectColor, listColor); slot 0 for any other.
RGBColor *PlugInColourSlot(PlugInInstance *instance, SInt16 slot);
// Puts the instance in the list by its place on the page (moved if already there).
void LinkInstance(PlugInInstance *instance);
void UnlinkInstance(PlugInInstance *instance);  // nothing when it is not listed
Boolean IsInstanceValid(const PlugInInstance *instance);
// Stores the window and relinks the instance; 2 without instance or record.
NPError NPP_SetWindow(NPP npp, PlugInWindow *window);
// Releases everything the instance owns and clears every process-wide reference to it;
// 2 without instance, 0 without record.
NPError NPP_Destroy(NPP npp, NPSavedData **save);
void SetCurThis(PlugInInstance *instance);
PlugInInstance *GetCurThis();
NPObject *RetrievePlugInObject(NPP npp);  // the instance's scriptable object, or null

// Values of the page held to what their users can take; the record keeps what the page gave.
SInt16 PlugInQuarterTurns(const PlugInInstance *instance);      // 0..3
SInt16 PlugInKeyboardOctaves(const PlugInInstance *instance);   // 1..9
SInt16 PlugInKeyboardFirstOctave(const PlugInInstance *instance);  // 0..10
SInt16 PlugInCurrentPage(const PlugInInstance *instance);       // 1 or more
float PlugInLyricsScale(const PlugInInstance *instance);        // 0.1 or more
SInt16 PlugInListPlayMode(const PlugInInstance *instance);      // 0..5, 2 for anything else
SInt16 PlugInPaperMargin(const PlugInInstance *instance);       // 0 or more
SInt16 PlugInPosSplit(const PlugInInstance *instance);          // 0 or more
SInt16 PlugInTitleHeight(const PlugInInstance *instance);       // 1..32767
SInt16 PlugInTitleFontSize(const PlugInInstance *instance);     // 1..32767
