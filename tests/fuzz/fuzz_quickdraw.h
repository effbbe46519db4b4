// What the fuzz targets that draw share: QuickDraw started once in plug-in mode on this thread,
// ports of a given size, FreeMono 10 for the TextEdit scripts, and a reader of the input's
// bytes. Header only, so that the corpus replayer and the libFuzzer build both get it without a
// library of their own.
#pragma once

#include <cstdint>
#include <cstring>

#include "fuzz_support.h"
#include "graphics/quickdraw/ports.h"
#include "graphics/text/font_manager.h"
#include "platform/core/byte_reader.h"
#include "platform/core/runtime.h"
#include "tests/support/language_files.h"

// The private folder, plug-in mode, this thread as the main one and QuickDraw's globals; only
// the first call does anything.
inline void FuzzStartQuickDraw() {
    static bool started = false;
    if (started) return;
    started = true;
    FuzzFolder();
    orvaSettings.pluginFlag = 1;
    OrvaSetMainThread();
    OrvaMakeTestLanguageFiles(FuzzFolder());  // the scripts switch the interface language
    OrvaInitGraf(&qd, 1);
}

// A new port of width x height, left current; it lives as long as the process.
inline GrafPort *FuzzNewPort(SInt16 width, SInt16 height) {
    GrafPort *port = new GrafPort;
    std::memset(port, 0, sizeof *port);
    OpenPort(port);
    PortSize(width, height);
    return port;
}

// Makes port current, its text FreeMono (font 22) at 10 points, plain: where every script of
// the TextEdit targets starts.
inline void FuzzMonospacedText(GrafPort *port) {
    SetPort(port);
    TextFont(22);
    TextSize(10);
    TextFace(0);
}

// The input's bytes in order, through the byte cursor; past the end every read answers 0.
struct FuzzReader {
    ByteReader bytes;
    bool More() const { return ByteReaderLeft(&bytes) > 0; }
    UInt8 Byte() { return Get8(&bytes); }
    SInt16 Word() {  // a lone last byte is the high one
        UInt16 high = Byte();
        return SInt16((high << 8) | Byte());
    }
};
