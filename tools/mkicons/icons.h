// mkicons' drawing kit: the colours an icon is drawn in, and the symbols, each drawn with cairo
// on a 24 x 24 design grid centred in the icon.
#pragma once

#include <cairo.h>

struct Ink {
    double red, green, blue;  // 0..1
};

// The colours of one state of an icon.
struct Look {
    Ink ink;          // outlines and strokes
    Ink accent;       // the symbol's own colour
    Ink paper;        // pages, envelopes and other white parts
    bool plate;       // drawn on a button plate
    Ink plateTop, plateBottom, border;
};

// Draws a symbol; the icon's whole area is the design rectangle of width dw and height dh
// centred on (12, 12), at least 24 x 24.
typedef void (*SymbolProc)(cairo_t *cr, const Look &look, double dw, double dh);

// The player's commands.
void DrawHome(cairo_t *cr, const Look &look, double dw, double dh);
void DrawPlay(cairo_t *cr, const Look &look, double dw, double dh);
void DrawRewind(cairo_t *cr, const Look &look, double dw, double dh);
void DrawFastForward(cairo_t *cr, const Look &look, double dw, double dh);
void DrawPause(cairo_t *cr, const Look &look, double dw, double dh);
void DrawStop(cairo_t *cr, const Look &look, double dw, double dh);
void DrawVolume(cairo_t *cr, const Look &look, double dw, double dh);
void DrawMixer(cairo_t *cr, const Look &look, double dw, double dh);
void DrawTwoPages(cairo_t *cr, const Look &look, double dw, double dh);
void DrawTempo(cairo_t *cr, const Look &look, double dw, double dh);
void DrawMetronome(cairo_t *cr, const Look &look, double dw, double dh);
void DrawPageSetup(cairo_t *cr, const Look &look, double dw, double dh);
void DrawPrint(cairo_t *cr, const Look &look, double dw, double dh);
void DrawPreviousPage(cairo_t *cr, const Look &look, double dw, double dh);
void DrawNextPage(cairo_t *cr, const Look &look, double dw, double dh);
void DrawZoom(cairo_t *cr, const Look &look, double dw, double dh);
void DrawTransposeDown(cairo_t *cr, const Look &look, double dw, double dh);
void DrawTransposeUp(cairo_t *cr, const Look &look, double dw, double dh);
void DrawSave(cairo_t *cr, const Look &look, double dw, double dh);
void DrawInfo(cairo_t *cr, const Look &look, double dw, double dh);
void DrawSing(cairo_t *cr, const Look &look, double dw, double dh);
void DrawKaraoke(cairo_t *cr, const Look &look, double dw, double dh);
void DrawMail(cairo_t *cr, const Look &look, double dw, double dh);
void DrawFullScreen(cairo_t *cr, const Look &look, double dw, double dh);
void DrawPreviousView(cairo_t *cr, const Look &look, double dw, double dh);
void DrawPlayView(cairo_t *cr, const Look &look, double dw, double dh);
void DrawNextView(cairo_t *cr, const Look &look, double dw, double dh);
void DrawRotate(cairo_t *cr, const Look &look, double dw, double dh);
void DrawKeyboard(cairo_t *cr, const Look &look, double dw, double dh);

// Scroll arrows, grips, play-list modes, markers, the film buttons, the logo and the link.
void DrawArrowUp(cairo_t *cr, const Look &look, double dw, double dh);
void DrawArrowDown(cairo_t *cr, const Look &look, double dw, double dh);
void DrawArrowLeft(cairo_t *cr, const Look &look, double dw, double dh);
void DrawArrowRight(cairo_t *cr, const Look &look, double dw, double dh);
void DrawDividerGrip(cairo_t *cr, const Look &look, double dw, double dh);
void DrawResizeGrip(cairo_t *cr, const Look &look, double dw, double dh);
void DrawModeOnce(cairo_t *cr, const Look &look, double dw, double dh);
void DrawModeRepeatOne(cairo_t *cr, const Look &look, double dw, double dh);
void DrawModeThrough(cairo_t *cr, const Look &look, double dw, double dh);
void DrawModeRepeatAll(cairo_t *cr, const Look &look, double dw, double dh);
void DrawModeRandom(cairo_t *cr, const Look &look, double dw, double dh);
void DrawModeSelect(cairo_t *cr, const Look &look, double dw, double dh);
void DrawPlayedMark(cairo_t *cr, const Look &look, double dw, double dh);
void DrawPositionCursor(cairo_t *cr, const Look &look, double dw, double dh);
void DrawSliderThumb(cairo_t *cr, const Look &look, double dw, double dh);
void DrawFirstFrame(cairo_t *cr, const Look &look, double dw, double dh);
void DrawPreviousFrame(cairo_t *cr, const Look &look, double dw, double dh);
void DrawNextFrame(cairo_t *cr, const Look &look, double dw, double dh);
void DrawMusic(cairo_t *cr, const Look &look, double dw, double dh);
void DrawSoundBankLogo(cairo_t *cr, const Look &look, double dw, double dh);
void DrawLink(cairo_t *cr, const Look &look, double dw, double dh);
void DrawJoined(cairo_t *cr, const Look &look, double dw, double dh);
void DrawScissors(cairo_t *cr, const Look &look, double dw, double dh);

// The button plate of a look over the whole icon (pixel coordinates).
void DrawPlate(cairo_t *cr, const Look &look, double width, double height);
