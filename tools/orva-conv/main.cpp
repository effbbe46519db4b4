// orva-conv FROM TO: converts standard input to standard output with ChangeTextEncoding
// (FROM and TO are encoding ids with their line-end bits, e.g. 65 for Windows text with CR LF).
// orva-conv --detect: prints the detected encoding (with its line-end bit) and the length of
// the byte-order mark.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/core/text_encodings.h"

static bool ReadAll(FILE *in, std::vector<char> *bytes);
static bool ParseEncoding(const char *text, SInt16 *encoding);

int main(int argc, char **argv) {
    bool detect = argc == 2 && strcmp(argv[1], "--detect") == 0;
    SInt16 from = 0, to = 0;
    if (!detect && (argc != 3 || !ParseEncoding(argv[1], &from) || !ParseEncoding(argv[2], &to))) {
        fprintf(stderr, "usage: orva-conv FROM TO  (encoding ids 0-255)\n       orva-conv --detect\n");
        return 2;
    }
    std::vector<char> input;
    if (!ReadAll(stdin, &input) || input.size() > 0x7FFFFFFF) {
        fprintf(stderr, "orva-conv: cannot read the input\n");
        return 1;
    }
    SInt32 length = SInt32(input.size());
    if (detect) {
        SInt32 mark = 0;
        SInt16 id = EvalueCharsetBuffer(input.data(), length, &mark);
        printf("%d %d\n", id, int(mark));
        return 0;
    }
    if ((from & kEncodingIdMask) >= kEncodingUTF16Swapped) length /= 2;  // UTF-16 counts units
    if (length == 0) return 0;
    SInt32 count = 0;
    EncodedStr result = ChangeTextEncoding(input.data(), 0, length, from, to, &count);
    if (result == nullptr) {
        fprintf(stderr, "orva-conv: conversion failed\n");
        return 1;
    }
    size_t bytes = size_t(count) * ((to & kEncodingIdMask) >= kEncodingUTF16Swapped ? 2 : 1);
    bool written = fwrite(result, 1, bytes, stdout) == bytes;
    DisposeEncodedStr(result);
    return written && fflush(stdout) == 0 ? 0 : 1;
}

static bool ReadAll(FILE *in, std::vector<char> *bytes) {
    char block[65536];
    size_t n;
    while ((n = fread(block, 1, sizeof block, in)) > 0) bytes->insert(bytes->end(), block, block + n);
    return !ferror(in);
}

static bool ParseEncoding(const char *text, SInt16 *encoding) {
    char *end;
    long value = strtol(text, &end, 10);
    if (*text == 0 || *end != 0 || value < 0 || value > 255) return false;
    *encoding = SInt16(value);
    return true;
}
