// NPP_New: the instance record and the embed element's parameters, one table row per name.
#include "plugin/embed_params.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <strings.h>

#include "platform/core/runtime.h"
#include "plugin/browser_calls.h"
#include "plugin/host_services.h"
#include "plugin/instance.h"
#include "plugin/interface/areas.h"
#include "plugin/interface/themes.h"
#include "plugin/scripting.h"
#include "plugin/shell_standins.h"
#include "score/preferences.h"

namespace {

// What a row does with its value.
enum ParamKind : UInt8 {
    kSetWhenFalse,  // a false word gives the fields the row's number
    kSetWhenTrue,   // a true word gives the fields the row's number
    kTrueTest,      // field 1 takes the true-word test; field 2, when named, is set
    kNotFalseTest,  // the fields take "not a false word"
    kFalseTest,     // the fields take the false-word test
    kNumber,        // a signed 16-bit decimal into the fields
    kColour,        // six hexadecimal digits into the RGBColor field
    kWord,          // a word of the row's list gives the fields its number
    kFalseOrWord,   // a false word sets field 1 to the row's number; a listed word sets field 2
    kZoom,          // value / 100, 1.0 outside 0.5..4.0
    kAngle,         // quarter turns: value / 90
    kLyricsScale,   // value / 100
    kStartView,
    kWidth,
    kHeight,
    kVolume,        // process-wide
    kMetronome,
    kRecordMixer,   // process-wide; a false word clears it
    kSource,        // SRC: the name after the last "/", film mode for "pek"
    kFileName,      // FILENAME: the whole decoded name
    kPluginsPage,
    kColourTheme,
    kDebug,         // a true word turns tracing on, process-wide
    kPlayInstrument,
    kIgnored,       // known names without effect, not traced
};

struct WordRow {
    const char *word;
    SInt32 number;
};

constexpr size_t kNoField = SIZE_MAX;
#define FIELD(name) offsetof(PlugInInstance, name)

struct ParamRow {
    const char *name;
    ParamKind kind;
    UInt8 width;             // bytes of the fields: 1, 2 or 4
    size_t field1, field2;   // offsets in the record, or kNoField
    SInt32 number;           // what the row stores
    const WordRow *words;    // null-terminated list, for kWord and kFalseOrWord
};

const WordRow kLooks[] = {{"MOON", 0}, {"OCEAN", 1}, {"EVEREST", 2}, {"SHADOW", 3}, {nullptr, 0}};
const WordRow kQualities[] = {{"LOW", 0}, {"MEDIUM", 1}, {"HIGH", 2}, {nullptr, 0}};
const WordRow kAntialias[] = {{"MEDIUM", 1}, {"HIGH", 2}, {nullptr, 0}};
const WordRow kLyricsWords[] = {{"DEFAULT", 1}, {nullptr, 0}};
const WordRow kSingWords[] = {{"INACTIVE", 1}, {nullptr, 0}};
// The sound-bank levels by the names of the banks; "BEST" and "VELM" ask for the best present.
const WordRow kSoundBases[] = {{"BEST", 6},  {"VELM", 6},   {"FULL", 5},  {"EXTENDED", 4}, {"LARGE", 3},
                               {"MEDIUM", 2}, {"SMALL", 1}, {"BASIC", 0}, {nullptr, 0}};
const WordRow kLanguages[] = {{"FR", 0}, {"EN", 1}, {"IT", 2}, {"DL", 3}, {"DE", 3}, {"ES", 4},
                              {"JA", 5}, {"JP", 5}, {"PT", 6}, {"NL", 7}, {nullptr, 0}};

const ParamRow kParams[] = {
    // Interface elements and permissions.
    {"PRINT", kSetWhenFalse, 1, FIELD(printOff), kNoField, 1, nullptr},
    {"SAVE", kSetWhenFalse, 1, FIELD(saveOff), kNoField, 1, nullptr},
    {"TRANSP", kSetWhenFalse, 1, FIELD(transposeOff), kNoField, 1, nullptr},
    {"TEMPO", kSetWhenFalse, 1, FIELD(tempoOff), kNoField, 1, nullptr},
    {"ZOOM", kSetWhenFalse, 1, FIELD(zoomOff), kNoField, 1, nullptr},
    {"PLAY", kSetWhenFalse, 1, FIELD(playAllowed), kNoField, 0, nullptr},
    {"PAUSE", kSetWhenFalse, 1, FIELD(pauseButton), kNoField, 0, nullptr},
    {"STOP", kSetWhenFalse, 1, FIELD(stopButton), kNoField, 0, nullptr},
    {"CHANGE_VOLUME", kSetWhenFalse, 1, FIELD(volumeButton), kNoField, 0, nullptr},
    {"FORWARD", kSetWhenFalse, 1, FIELD(forwardButton), kNoField, 0, nullptr},
    {"BACKWARD", kSetWhenFalse, 1, FIELD(backwardButton), kNoField, 0, nullptr},
    {"MIXER", kSetWhenFalse, 1, FIELD(mixerOff), kNoField, 1, nullptr},
    {"TITLE", kSetWhenFalse, 1, FIELD(titleWanted), FIELD(titleShown), 0, nullptr},
    {"DISPFILENAME", kSetWhenFalse, 1, FIELD(showFileName), kNoField, 0, nullptr},
    {"MENU", kSetWhenFalse, 1, FIELD(menuWanted), FIELD(menuShown), 0, nullptr},
    {"TIMESLIDER", kSetWhenFalse, 1, FIELD(timeSliderWanted), FIELD(timeSliderShown), 0, nullptr},
    {"PAGE", kSetWhenFalse, 1, FIELD(pageWanted), FIELD(pageShown), 0, nullptr},
    {"DISPLAYSIZE", kSetWhenFalse, 1, FIELD(showSize), kNoField, 0, nullptr},
    {"DISPLAYNAME", kSetWhenTrue, 1, FIELD(showName), kNoField, 1, nullptr},
    {"DISPLAYTIME", kSetWhenFalse, 1, FIELD(showTime), kNoField, 0, nullptr},
    {"DOCINFO", kSetWhenFalse, 1, FIELD(showDocInfo), kNoField, 0, nullptr},
    {"DURATION", kSetWhenFalse, 1, FIELD(showDuration), kNoField, 0, nullptr},
    {"DISPLAY_POS", kTrueTest, 1, FIELD(showPosition), kNoField, 0, nullptr},
    {"FULLSCREEN", kSetWhenFalse, 1, FIELD(fullScreenAllowed), kNoField, 0, nullptr},
    {"SOUNDBASELOGO", kSetWhenFalse, 1, FIELD(logoShown), kNoField, 1, nullptr},
    {"TITLEHEIGHT", kNumber, 2, FIELD(titleHeightWanted), FIELD(titleHeight), 0, nullptr},
    {"TITLEFONTSIZE", kNumber, 2, FIELD(titleFontSizeWanted), FIELD(titleFontSize), 0, nullptr},
    {"WIDTH", kWidth, 0, kNoField, kNoField, 0, nullptr},
    {"HEIGHT", kHeight, 0, kNoField, kNoField, 0, nullptr},
    {"LOOK", kWord, 4, FIELD(lookWanted), FIELD(look), 0, kLooks},
    {"COLOR_THEME", kColourTheme, 0, kNoField, kNoField, 0, nullptr},
    {"KBD_ENABLED", kTrueTest, 1, FIELD(keyboardEnabled), kNoField, 0, nullptr},
    {"KBD_DISPLAYED", kTrueTest, 1, FIELD(keyboardShown), FIELD(keyboardEnabled), 0, nullptr},
    {"KBD_FIRST_OCTAVE", kNumber, 2, FIELD(keyboardFirstOctave), kNoField, 0, nullptr},
    {"KBD_NB_OCTAVES", kNumber, 2, FIELD(keyboardOctaves), kNoField, 0, nullptr},
    {"MIXER_SCISSOR", kTrueTest, 1, FIELD(mixerScissor), kNoField, 0, nullptr},
    // Display, zoom and views.
    {"ZOOMVALUE", kZoom, 0, kNoField, kNoField, 0, nullptr},
    {"FULLWIDTH", kSetWhenTrue, 2, FIELD(zoomMode), kNoField, 1, nullptr},
    {"RATIO", kSetWhenFalse, 1, FIELD(keepRatio), kNoField, 0, nullptr},
    {"NUMPAGE", kNumber, 2, FIELD(currentPage), kNoField, 0, nullptr},
    {"PAPERMARGIN", kNumber, 2, FIELD(paperMargin), kNoField, 0, nullptr},
    {"QUALITY", kWord, 2, FIELD(quality), kNoField, 0, kQualities},
    {"ANTIALIAS", kFalseOrWord, 2, FIELD(antialias), FIELD(antialias), 0, kAntialias},
    {"ALLOW_VIEWS", kSetWhenFalse, 1, FIELD(allowViews), kNoField, 0, nullptr},
    {"START_VIEW", kStartView, 0, kNoField, kNoField, 0, nullptr},
    {"PLAY_VIEW_ONLY", kNotFalseTest, 1, FIELD(playViewOnly), kNoField, 0, nullptr},
    {"INVERT_VIDEO", kTrueTest, 1, FIELD(invertVideo), kNoField, 0, nullptr},
    {"ALLOW_TWO_PAGES", kTrueTest, 1, FIELD(allowTwoPages), kNoField, 0, nullptr},
    {"TWO_PAGES", kTrueTest, 1, FIELD(twoPages), kNoField, 0, nullptr},
    {"ROTATE", kFalseTest, 1, FIELD(rotateOff), kNoField, 0, nullptr},
    {"ANGLE", kAngle, 0, kNoField, kNoField, 0, nullptr},
    {"LYRICS", kFalseOrWord, 1, FIELD(lyricsDisabled), FIELD(karaokeActive), 1, kLyricsWords},
    {"LYRICSTAFFNUMBER", kNumber, 2, FIELD(lyricStaffNumber), kNoField, 0, nullptr},
    {"LYRICSSCALE", kLyricsScale, 0, kNoField, kNoField, 0, nullptr},
    {"POS_SPLIT", kNumber, 2, FIELD(posSplit), kNoField, 0, nullptr},
    {"ACCALLOCTAVE", kSetWhenFalse, 1, FIELD(accidentalsAllOctaves), kNoField, 0, nullptr},
    {"ANGLONOT", kSetWhenFalse, 1, FIELD(angloNotation), kNoField, 0, nullptr},
    // Colours.
    {"IMGBKCOLOR", kColour, 0, FIELD(imgBkColor), kNoField, 0, nullptr},
    {"TITLEBKCOLOR", kColour, 0, FIELD(titleBkColor), kNoField, 0, nullptr},
    {"TITLEFRCOLOR", kColour, 0, FIELD(titleFrColor), kNoField, 0, nullptr},
    {"SCROLLBKCOLOR", kColour, 0, FIELD(scrollBkColor), kNoField, 0, nullptr},
    {"SCROLLTHUMBCOLOR", kColour, 0, FIELD(scrollThumbColor), kNoField, 0, nullptr},
    {"TITLEBKCOLPLAY", kColour, 0, FIELD(titleBkColPlay), kNoField, 0, nullptr},
    {"TITLEFRCOLPLAY", kColour, 0, FIELD(titleFrColPlay), kNoField, 0, nullptr},
    {"MENUBKCOLOR1", kColour, 0, FIELD(menuBkColor1), kNoField, 0, nullptr},
    {"MENUBKCOLOR2", kColour, 0, FIELD(menuBkColor2), kNoField, 0, nullptr},
    {"TIMESLIDERBKCOLOR1", kColour, 0, FIELD(timeSliderBkColor1), kNoField, 0, nullptr},
    {"TIMESLIDERBKCOLOR2", kColour, 0, FIELD(timeSliderBkColor2), kNoField, 0, nullptr},
    {"DESKTOPCOLOR", kColour, 0, FIELD(desktopColor), kNoField, 0, nullptr},
    {"TEXTSELECTCOLOR", kColour, 0, FIELD(textSelectColor), kNoField, 0, nullptr},
    {"LISTCOLOR", kColour, 0, FIELD(listColor), kNoField, 0, nullptr},
    // Playing, sound and document.
    {"AUTOPLAY", kSetWhenTrue, 1, FIELD(autoPlay), kNoField, 1, nullptr},
    {"LOOP", kSetWhenTrue, 1, FIELD(loop), kNoField, 1, nullptr},
    {"NEXT", kSetWhenTrue, 1, FIELD(playNext), kNoField, 1, nullptr},
    {"LIST_PLAY_MODE", kNumber, 2, FIELD(listPlayMode), kNoField, 0, nullptr},
    {"PURGE", kSetWhenFalse, 1, FIELD(keepLoaded), kNoField, 1, nullptr},
    {"SETTEMPO", kNumber, 2, FIELD(tempo), kNoField, 0, nullptr},
    {"TRANSP_OFFSET", kNumber, 2, FIELD(transposeOffset), kNoField, 0, nullptr},
    {"VOLUME", kVolume, 0, kNoField, kNoField, 0, nullptr},
    {"RECORD_MIXER", kRecordMixer, 0, kNoField, kNoField, 0, nullptr},
    {"SING", kFalseOrWord, 1, FIELD(singOff), FIELD(singInactive), 1, kSingWords},
    {"METRONOME", kMetronome, 0, kNoField, kNoField, 0, nullptr},
    {"DISPLAY_METRONOME", kNotFalseTest, 1, FIELD(displayMetronome), kNoField, 0, nullptr},
    {"METRONOME_BARS", kNumber, 2, FIELD(metronomeBars), kNoField, 0, nullptr},
    {"SOUNDBASE", kWord, 2, FIELD(soundBaseWanted), kNoField, 0, kSoundBases},
    {"LANG", kWord, 2, FIELD(language), kNoField, 0, kLanguages},
    {"SRC", kSource, 0, kNoField, kNoField, 0, nullptr},
    {"FILENAME", kFileName, 0, kNoField, kNoField, 0, nullptr},
    {"pluginspage", kPluginsPage, 0, kNoField, kNoField, 0, nullptr},
    {"DEBUG", kDebug, 0, kNoField, kNoField, 0, nullptr},
    {"playinstrument", kPlayInstrument, 0, kNoField, kNoField, 0, nullptr},
    {"type", kIgnored, 0, kNoField, kNoField, 0, nullptr},
    {"codebase", kIgnored, 0, kNoField, kNoField, 0, nullptr},
};

#undef FIELD

const char *const kFalseWords[] = {"OFF", "NONE", "NO", "FALSE", "NON", "0"};
const char *const kTrueWords[] = {"ON", "OK", "YES", "TRUE", "OUI", "1"};

// What the parameters give to the steps after them.
struct ParamContext {
    SInt16 width, height;
};

}  // namespace

static const ParamRow *FindParam(const char *name);
static void ApplyParam(PlugInInstance *instance, const ParamRow &row, const char *value, ParamContext *context);
static void ApplyValueKinds(PlugInInstance *instance, const ParamRow &row, const char *value, ParamContext *context);
static void StoreField(PlugInInstance *instance, size_t offset, UInt8 width, SInt32 number);
static void StoreFields(PlugInInstance *instance, const ParamRow &row, SInt32 number);
static Boolean ReadNumber16(const char *value, SInt16 *number);
static const WordRow *FindWord(const WordRow *words, const char *value);
static std::string PercentDecoded(const char *value);
static void CopyName(const char *from, size_t length, char *out, size_t size);
static void TraceStart(PlugInInstance *instance);

NPError NPP_New(char *, NPP npp, uint16_t mode, int16_t argc, char *argn[], char *argv[], NPSavedData *) {
    if (!npp) return NPERR_INVALID_INSTANCE_ERROR;
    void *block = NPN_MemAlloc(sizeof(PlugInInstance));
    npp->pdata = block;
    PlugTrace("NPP_New Instance %8lx This=%8lx", static_cast<unsigned long>(uintptr_t(npp)),
              static_cast<unsigned long>(uintptr_t(block)));
    plugInState.isRecordMixer = 1;
    if (!block) return NPERR_OUT_OF_MEMORY_ERROR;
    PlugInInstance *instance = new (block) PlugInInstance();
    instance->window = nullptr;
    instance->browserMode = mode;
    instance->creationSerial = ++plugInState.instancesCreated;
    PlugInDefaultInstance(instance, npp);
    SInt16 width = 0, height = 0;
    PlugInApplyParams(instance, argc, argn, argv, &width, &height);
    PlugInCalculeAireAffichables(instance, width, height);
    TraceStart(instance);
    instance->scriptObject = CreatePluginObject(npp);
    Langue = instance->language;
    return NPERR_NO_ERROR;
}

void PlugInApplyParams(PlugInInstance *instance, int16_t argc, char *argn[], char *argv[], SInt16 *width,
                       SInt16 *height) {
    ParamContext context = {0, 0};
    for (int i = 0; i < argc && argn; i++) {
        const char *name = argn[i];
        if (!name) continue;
        const char *value = argv && argv[i] ? argv[i] : "";
        const ParamRow *row = FindParam(name);
        if (row) ApplyParam(instance, *row, value, &context);
        else PlugTrace("Error: Illegal command [%s][%s]", name, value);
    }
    *width = context.width;
    *height = context.height;
}

void PlugInTraceIfAsked(int16_t argc, char *argn[], char *argv[]) {
    for (int i = 0; i < argc && argn; i++) {
        const ParamRow *row = argn[i] ? FindParam(argn[i]) : nullptr;
        if (row && row->kind == kDebug && argv && PlugInIsTrueWord(argv[i])) PlugSetTrace(kTrue);
    }
}

Boolean PlugInIsFalseWord(const char *value) {
    for (const char *word : kFalseWords)
        if (value && strcasecmp(value, word) == 0) return kTrue;
    return kFalse;
}

Boolean PlugInIsTrueWord(const char *value) {
    for (const char *word : kTrueWords)
        if (value && strcasecmp(value, word) == 0) return kTrue;
    return kFalse;
}

void PlugInPercentDecode(const char *value, char *out, size_t size) {
    std::string decoded = PercentDecoded(value);
    CopyName(decoded.data(), decoded.size(), out, size);
}

static const ParamRow *FindParam(const char *name) {
    for (const ParamRow &row : kParams)
        if (strcasecmp(name, row.name) == 0) return &row;
    return nullptr;
}

static void ApplyParam(PlugInInstance *instance, const ParamRow &row, const char *value, ParamContext *context) {
    switch (row.kind) {
    case kSetWhenFalse:
        if (PlugInIsFalseWord(value)) StoreFields(instance, row, row.number);
        break;
    case kSetWhenTrue:
        if (PlugInIsTrueWord(value)) StoreFields(instance, row, row.number);
        break;
    case kTrueTest:
        StoreField(instance, row.field1, row.width, PlugInIsTrueWord(value));
        if (row.field2 != kNoField) StoreField(instance, row.field2, row.width, 1);
        break;
    case kNotFalseTest:
        StoreFields(instance, row, !PlugInIsFalseWord(value));
        break;
    case kFalseTest:
        StoreFields(instance, row, PlugInIsFalseWord(value));
        break;
    case kNumber: {
        SInt16 number;
        if (ReadNumber16(value, &number)) StoreFields(instance, row, number);
        break;
    }
    case kColour:
        // A value that does not start with a hexadecimal digit keeps the colour.
        if (isxdigit(UInt8(value[0])))
            CvtStrToRGBColor(value, reinterpret_cast<RGBColor *>(reinterpret_cast<UInt8 *>(instance) + row.field1));
        else PlugTrace("Error: Illegal color [%s][%s]", row.name, value);
        break;
    case kWord:
        if (const WordRow *word = FindWord(row.words, value)) StoreFields(instance, row, word->number);
        break;
    case kFalseOrWord:
        if (PlugInIsFalseWord(value)) StoreField(instance, row.field1, row.width, row.number);
        else if (const WordRow *word = FindWord(row.words, value))
            StoreField(instance, row.field2, row.width, word->number);
        break;
    default:
        ApplyValueKinds(instance, row, value, context);
        break;
    }
}

// The rows whose value is a number to convert, a name or a process-wide switch.
static void ApplyValueKinds(PlugInInstance *instance, const ParamRow &row, const char *value, ParamContext *context) {
    SInt16 number = 0;
    Boolean read = ReadNumber16(value, &number);
    switch (row.kind) {
    case kZoom:
        if (read) {
            float zoom = float(number) / 100.0f;
            instance->zoom = zoom < 0.5f || zoom > 4.0f ? 1.0f : zoom;
        }
        break;
    case kAngle:
        if (read) instance->quarterTurns = SInt16(number / 90);
        break;
    case kLyricsScale:
        if (read) instance->lyricsScale = float(number) / 100.0f;
        break;
    case kStartView:
        if (read) {
            instance->startViewGiven = 1;
            instance->startView = number;
        }
        break;
    case kWidth:
        if (read) context->width = number;
        break;
    case kHeight:
        if (read) context->height = number;
        break;
    case kVolume:
        if (read) plugInState.globalVolume = number;
        break;
    case kMetronome:
        instance->metronomeGiven = 1;
        instance->metronomeStart = !PlugInIsFalseWord(value);
        break;
    case kRecordMixer:
        if (PlugInIsFalseWord(value)) plugInState.isRecordMixer = 0;
        break;
    case kSource: {
        std::string decoded = PercentDecoded(value);
        size_t slash = decoded.rfind('/');
        size_t start = slash == std::string::npos ? 0 : slash + 1;
        CopyName(decoded.data() + start, decoded.size() - start, instance->docName, sizeof instance->docName);
        const char *dot = strrchr(instance->docName, '.');
        instance->filmMode = dot && strcasecmp(dot + 1, "pek") == 0;
        break;
    }
    case kFileName:
        PlugInPercentDecode(value, instance->docName, sizeof instance->docName);
        break;
    case kPluginsPage:
        CopyName(value, strlen(value), instance->pluginsPage, sizeof instance->pluginsPage);
        break;
    case kColourTheme:
        ApplyColorCommand(instance, value);
        break;
    case kDebug:
        if (PlugInIsTrueWord(value)) PlugSetTrace(kTrue);
        break;
    case kPlayInstrument: {
        errno = 0;
        long given = strtol(value, nullptr, 10);
        instance->playInstrument = SInt32(given < INT32_MIN ? INT32_MIN : given > INT32_MAX ? INT32_MAX : given);
        break;
    }
    default:
        break;
    }
}

static void StoreField(PlugInInstance *instance, size_t offset, UInt8 width, SInt32 number) {
    if (offset == kNoField) return;
    UInt8 *field = reinterpret_cast<UInt8 *>(instance) + offset;
    if (width == 1) {
        UInt8 v = UInt8(number);
        memcpy(field, &v, 1);
    } else if (width == 2) {
        SInt16 v = SInt16(number);
        memcpy(field, &v, 2);
    } else {
        memcpy(field, &number, 4);
    }
}

static void StoreFields(PlugInInstance *instance, const ParamRow &row, SInt32 number) {
    StoreField(instance, row.field1, row.width, number);
    StoreField(instance, row.field2, row.width, number);
}

// A signed decimal at the start of the value (spaces before it allowed), held to 16 bits;
// false when there is none.
static Boolean ReadNumber16(const char *value, SInt16 *number) {
    char *end = nullptr;
    errno = 0;
    long given = strtol(value, &end, 10);
    if (end == value) return kFalse;
    *number = SInt16(given < -32768 ? -32768 : given > 32767 ? 32767 : given);
    return kTrue;
}

static const WordRow *FindWord(const WordRow *words, const char *value) {
    for (const WordRow *w = words; w && w->word; w++)
        if (strcasecmp(value, w->word) == 0) return w;
    return nullptr;
}

// A "%" takes the next two characters whatever they are (fewer at the end of the value) and
// gives the byte their leading hexadecimal digits spell; without a digit it gives nothing.
static std::string PercentDecoded(const char *value) {
    std::string decoded;
    for (const char *p = value ? value : ""; *p; p++) {
        if (*p != '%') {
            decoded += *p;
            continue;
        }
        unsigned byte = 0;
        int digits = 0;
        for (int i = 0; i < 2 && p[1]; i++, p++) {
            if (digits != i || !isxdigit(UInt8(p[1]))) continue;
            byte = byte * 16 + unsigned(isdigit(UInt8(p[1])) ? p[1] - '0' : toupper(UInt8(p[1])) - 'A' + 10);
            digits++;
        }
        if (digits) decoded += char(byte);
    }
    return decoded;
}

// Copies at most size - 1 bytes of from and terminates; a UTF-8 sequence the cut would split
// is left out whole.
static void CopyName(const char *from, size_t length, char *out, size_t size) {
    if (size == 0) return;
    if (length > size - 1) {
        length = size - 1;  // from[length] is the first byte left out
        while (length > 0 && (UInt8(from[length]) & 0xC0) == 0x80) length--;
    }
    memmove(out, from, length);
    out[length] = 0;
}

static void TraceStart(PlugInInstance *instance) {
    if (!PlugGetTrace()) return;
    char version[kVersionTextSize];
    GetVersionPlugIn(version);
    PlugTrace("**** Ondrak Music Plug-In V %s Compiled %s,%s ****", version, __DATE__, __TIME__);
    if (const char *agent = NPN_UserAgent(instance->npp)) PlugTrace("**** User Agent '%s'", agent);
}
