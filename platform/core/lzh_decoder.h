// Decoder of -lh5- packed streams: LZ77 over an 8 KiB window whose literals, match lengths
// and match distances are coded with static Huffman codes sent at the start of every block.
// The tutorial-film reader unpacks its chunks with it.
#pragma once

#include <cstdio>

// Unpacks `packed` bytes read from srcFile (or, when srcFile is null, from srcBytes) into
// `unpacked` bytes written to dstFile (or, when dstFile is null, to dstBytes). Bytes past the
// packed size read as zero bits; nothing is written past the unpacked size. Answers the bytes
// written (0 for an unpacked size of 0 or less), or -1 for a stream whose code tables are
// invalid or a missing source or sink. Each call keeps its own state: any thread, no lock.
long DecodeAR(FILE *srcFile, const void *srcBytes, long packed, FILE *dstFile, void *dstBytes,
              long unpacked);
