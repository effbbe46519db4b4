// The environment flags read at start-up, erasing in colours, the TextEdit calls made in the
// record's own port, the update switch, and themed text boxes.
#include "graphics/quickdraw/color.h"
#include "graphics/quickdraw/pen.h"
#include "graphics/quickdraw/rects.h"
#include "graphics/quickdraw/region_drawing.h"
#include "graphics/text/font_table.h"
#include "graphics/cairo/port_surfaces.h"
#include "toolbox/carbon/carbon_accessors.h"
#include "platform/core/folders.h"
#include "platform/core/language.h"
#include "platform/core/os_utilities.h"
#include "platform/core/runtime.h"
#include "platform/core/time_manager.h"
#include "platform/core/unicode_mode.h"

namespace {

enum : SInt32 {
    kAppearanceVersionMin = 0x0110,
    kMacOsXVersionMin = 0x1000,
    kCarbonVersionMin = 0x0124,  // the Carbon level must be above this
};
enum : UInt16 { kInactiveGray = 0xC000, kAntialiasOn = 2, kAntialiasOff = 1 };
enum : ThemeBrush { kBrushDialog = 1, kBrushPalette = 7 };
enum : SInt16 { kScreenDepth = 24 };

// What start-up learnt of the system, and the update switch. Main thread only.
struct CarbonEnvironment {
    Boolean appearance;  // the appearance layer is there
    Boolean macOsX;
};
CarbonEnvironment gCarbon;

// The theme drawing state around a drawing call, and the colours the call may change.
struct ThemeBracket {
    ThemeDrawingState state;
    Boolean saved;
    RGBColor fore;
    RGBColor back;
};

void EnterNormalTheme(ThemeBracket *bracket);
void LeaveNormalTheme(ThemeBracket *bracket);
RGBColor Scaled(const RGBColor &color, UInt32 numerator, UInt32 denominator);
void DrawTextBox(const char *text, CFStringEncoding encoding, const Rect *r, ThemeFontID font, ThemeDrawState state,
                 SInt16 just, Boolean erase);

// Runs a TextEdit call in its record's port with the normal theme state and a white pen
// pattern, then gives the caller back its port and state.
template <typename RecordHandle, typename Call>
void InRecordPort(RecordHandle te, Call call) {
    if (!te || !*te) return;
    GrafPtr saved;
    GetPort(&saved);
    SetPort((*te)->inPort);
    ThemeBracket bracket;
    EnterNormalTheme(&bracket);
    call();
    LeaveNormalTheme(&bracket);
    SetPort(saved);
}

}  // namespace

Boolean CarboniseIsApparenceManager() { return gCarbon.appearance; }
Boolean CarboniseIsMacOsX() { return gCarbon.macOsX; }

SInt32 CarboniseMacOsXVersion() {
    SInt32 version = 0;
    return Gestalt(FourCC("sysv"), &version) == noErr ? version : 0;
}

Boolean CarboniseIsMacOsXOrPC() { return kTrue; }
Boolean CarboniseIsSystemeOffscreen() { return kTrue; }
Boolean CarboniseCanAllFontsDisplayJapanese() { return kTrue; }
void CarboniseSetQuartzAntialias(Boolean on) { OrvaSetTypeAntialias(on ? kAntialiasOn : kAntialiasOff); }

void CarboniseInitQuickdDraw() {
    SInt32 appearance = 0, version = 0, system = 0, carbon = 0;
    if (Gestalt(FourCC("appr"), &appearance) == noErr && (appearance & 1) &&
        Gestalt(FourCC("apvr"), &version) == noErr && version >= kAppearanceVersionMin)
        gCarbon.appearance = kTrue;
    if (gCarbon.appearance) RegisterAppearanceClient();
    if (Gestalt(FourCC("sysv"), &system) == noErr && system >= kMacOsXVersionMin) gCarbon.macOsX = kTrue;
    InitSeparateurChemin();
    Boolean unicode = OrvaIsSystemSupportUnicode();
    SetUnicodeApplication(unicode);
    OrvaSetUTFFileNames(unicode);
    if (!gCarbon.macOsX && (Gestalt(FourCC("cbon"), &carbon) != noErr || carbon <= kCarbonVersionMin)) {
        if (Alert(kAlertNoCarbonSupport, nullptr) == 1) ExitToShell();
    }
    OrvaInitOffscreenSystem();
}

void CarboniseEraseColorRect(const Rect *r, const RGBColor *color) {
    if (!r || !color) return;
    ThemeBracket bracket;
    EnterNormalTheme(&bracket);
    if (bracket.saved) {
        RGBBackColor(color);
        EraseRect(r);
    }
    LeaveNormalTheme(&bracket);
}

// A bevel: the darker outline, a lighter top-left edge, then the colour itself inside.
void CarboniseEraseColorRoundRect(const Rect *r, const RGBColor *color, SInt16 ovalWidth, SInt16 ovalHeight) {
    if (!r || !color) return;
    RGBColor fore = {0, 0, 0}, back = {0xFFFF, 0xFFFF, 0xFFFF};
    GetForeColor(&fore);
    GetBackColor(&back);
    RGBColor shade = Scaled(*color, 2, 3), light = Scaled(*color, 7, 8);
    RGBBackColor(&shade);
    EraseRoundRect(r, ovalWidth, ovalHeight);
    Rect inner = *r;
    inner.top = SInt16(inner.top + 1);
    inner.left = SInt16(inner.left + 1);
    RGBBackColor(&light);
    EraseRoundRect(&inner, ovalWidth, ovalHeight);
    inner = *r;
    InsetRect(&inner, 1, 1);
    RGBBackColor(color);
    EraseRoundRect(&inner, ovalWidth, ovalHeight);
    RGBForeColor(&fore);
    RGBBackColor(&back);
}

void CarboniseEraseColorRgn(RgnHandle region, const RGBColor *color) {
    if (!region || !color) return;
    ThemeBracket bracket;
    EnterNormalTheme(&bracket);
    if (bracket.saved) {
        RGBBackColor(color);
        EraseRgn(region);
    }
    LeaveNormalTheme(&bracket);
}

void CarboniseErasePoly(PolyHandle poly, const RGBColor *color) {
    if (!poly || !color) return;
    ThemeBracket bracket;
    EnterNormalTheme(&bracket);
    if (bracket.saved) {
        RGBBackColor(color);
        ErasePoly(poly);
    }
    LeaveNormalTheme(&bracket);
}

void CarboniseEraseRect(const Rect *r) {
    if (r) EraseRect(r);
}

void CarboniseEraseRoundRect(const Rect *r, SInt16 ovalWidth, SInt16 ovalHeight) {
    if (r) EraseRoundRect(r, ovalWidth, ovalHeight);
}

void CarboniseEraseRgn(RgnHandle region) {
    if (region) EraseRgn(region);
}

void CarboniseTextColorBox(const void *text, SInt32 length, const Rect *r, SInt16 just, const RGBColor *color,
                           SInt16 margin) {
    if (!r || !color) return;
    ThemeBracket bracket;
    EnterNormalTheme(&bracket);
    if (bracket.saved) {
        RGBBackColor(color);
        Rect box = *r;
        if (margin != 0) {
            EraseRect(&box);
            InsetRect(&box, margin, margin);
        }
        if (text && length > 0) TextBox(text, length, &box, just);
    }
    LeaveNormalTheme(&bracket);
}

void CarboniseSetThemeBackGround() { SetThemeBackground(kBrushDialog, kScreenDepth, kTrue); }
void CarboniseSetThemeBackGroundPalette() { SetThemeBackground(kBrushPalette, kScreenDepth, kTrue); }
void CarboniseEraseRectMetalBackground(const Rect *) {}

void CarboniseTEUpdate(const Rect *r, TEHandle te) { InRecordPort(te, [&] { TEUpdate(r, te); }); }
void CarboniseTEKey(SInt16 key, TEHandle te) { InRecordPort(te, [&] { TEKey(key, te); }); }
void CarboniseTEClick(Point where, Boolean extend, TEHandle te) { InRecordPort(te, [&] { TEClick(where, extend, te); }); }

void CarboniseTESetSelect(SInt32 selStart, SInt32 selEnd, TEHandle te) {
    InRecordPort(te, [&] { TESetSelect(selStart, selEnd, te); });
}

void CarboniseTEStylPaste(TEHandle te) { InRecordPort(te, [&] { TEStylPaste(te); }); }
void CarboniseTEScroll(SInt16 dh, SInt16 dv, TEHandle te) { InRecordPort(te, [&] { TEScroll(dh, dv, te); }); }

void CarboniseTESetStyle(SInt16 mode, const TextStyle *style, Boolean redraw, TEHandle te) {
    InRecordPort(te, [&] { TESetStyle(mode, style, redraw, te); });
}

void CarboniseTECut(TEHandle te) { InRecordPort(te, [&] { TECut(te); }); }

void CarboniseExtendedTEUpdate(const Rect *r, ExtendedTEHandle te) {
    InRecordPort(te, [&] { ExtendedTEUpdate(r, te); });
}

void CarboniseExtendedTEKey(UInt16 key, ExtendedTEHandle te) { InRecordPort(te, [&] { ExtendedTEKey(key, te); }); }

void CarboniseExtendedTEClick(Point where, Boolean extend, ExtendedTEHandle te) {
    InRecordPort(te, [&] { ExtendedTEClick(where, extend, te); });
}

void CarboniseExtendedTESetSelect(SInt32 selStart, SInt32 selEnd, ExtendedTEHandle te) {
    InRecordPort(te, [&] { ExtendedTESetSelect(selStart, selEnd, te); });
}

void CarboniseExtendedTEStylPaste(ExtendedTEHandle te) { InRecordPort(te, [&] { ExtendedTEStylPaste(te); }); }

void CarboniseExtendedTEScroll(SInt32 dh, SInt32 dv, ExtendedTEHandle te) {
    InRecordPort(te, [&] { ExtendedTEScroll(dh, dv, te); });
}

void CarboniseExtendedTESetStyle(SInt16 mode, const TextStyle *style, Boolean redraw, ExtendedTEHandle te) {
    InRecordPort(te, [&] { ExtendedTESetStyle(mode, style, redraw, te); });
}

void CarboniseExtendedTECut(ExtendedTEHandle te) { InRecordPort(te, [&] { ExtendedTECut(te); }); }

void CarboniseDelay(SInt32 ticks) {
    CarboniseValideUpdate();
    if (ticks > 0) Delay(UInt32(ticks), nullptr);
}

void CarboniseDrawThemeTextBox(const char *text, const Rect *r, ThemeFontID font, ThemeDrawState state, SInt16 just,
                               SInt16, Boolean erase, Boolean isUnicode) {
    CFStringEncoding encoding = isUnicode                ? kCFStringEncodingUTF8
                                : OrvaGetLangue() == kLanguageJapanese ? kCFStringEncodingMacJapanese
                                                       : kCFStringEncodingMacRoman;
    DrawTextBox(text, encoding, r, font, state, just, erase);
}

void CarboniseDrawThemeTextBoxUTF(const char *utf8, const Rect *r, ThemeFontID font, ThemeDrawState state,
                                  SInt16 just, SInt16, Boolean erase) {
    DrawTextBox(utf8, kCFStringEncodingUTF8, r, font, state, just, erase);
}

SInt16 CarboniseThemeTextBoxWidth(const char *text, ThemeFontID font, CFStringEncoding encoding) {
    if (!text) return 0;
    CFStringRef string = CFStringCreateWithCString(nullptr, text, encoding);
    if (!string) return 0;
    Point bounds = {0, 0};
    SInt16 baseline = 0;
    GetThemeTextDimensions(string, font, 1, kFalse, &bounds, &baseline);
    CFRelease(string);
    return bounds.h;
}

SInt16 CarboniseThemeTextBoxHeight(const char *utf8, SInt16 width, ThemeFontID font, ThemeDrawState state) {
    if (!utf8) return 0;
    CFStringRef string = CFStringCreateWithCString(nullptr, utf8, kCFStringEncodingUTF8);
    if (!string) return 0;
    Point bounds = {0, width};
    SInt16 baseline = 0;
    GetThemeTextDimensions(string, font, state, kTrue, &bounds, &baseline);
    CFRelease(string);
    return bounds.v;
}

namespace {

void EnterNormalTheme(ThemeBracket *bracket) {
    bracket->fore = RGBColor{0, 0, 0};
    bracket->back = RGBColor{0xFFFF, 0xFFFF, 0xFFFF};
    GetForeColor(&bracket->fore);
    GetBackColor(&bracket->back);
    bracket->state = nullptr;
    bracket->saved = GetThemeDrawingState(&bracket->state) == noErr;
    if (!bracket->saved) return;
    NormalizeThemeDrawingState();
    PenPat(&qd.white);
}

void LeaveNormalTheme(ThemeBracket *bracket) {
    if (bracket->saved) SetThemeDrawingState(bracket->state, kTrue);
    RGBForeColor(&bracket->fore);
    RGBBackColor(&bracket->back);
}

RGBColor Scaled(const RGBColor &color, UInt32 numerator, UInt32 denominator) {
    return RGBColor{UInt16(color.red * numerator / denominator), UInt16(color.green * numerator / denominator),
                    UInt16(color.blue * numerator / denominator)};
}

void DrawTextBox(const char *text, CFStringEncoding encoding, const Rect *r, ThemeFontID font, ThemeDrawState state,
                 SInt16 just, Boolean erase) {
    if (!text || !r) return;
    if (erase) EraseRect(r);
    CFStringRef string = CFStringCreateWithCString(nullptr, text, encoding);
    if (!string) return;
    RGBColor fore = {0, 0, 0};
    GetForeColor(&fore);
    if (state == 0) {
        RGBColor gray = {kInactiveGray, kInactiveGray, kInactiveGray};
        RGBForeColor(&gray);
    }
    DrawThemeTextBox(string, font, state, kTrue, r, just);
    if (state == 0) RGBForeColor(&fore);
    CFRelease(string);
}

}  // namespace
