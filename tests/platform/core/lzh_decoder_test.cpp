// ctest-labels: resources;threads
// The -lh5- decoder against streams packed by the archiver's own encoder, and against small
// streams built here bit by bit: single-symbol blocks, overlapping matches, chunk edges and
// every kind of invalid code table.
#include "platform/core/lzh_decoder.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

typedef std::vector<unsigned char> Bytes;

std::string FixturePath(const std::string &name) {
    const char *root = getenv("ORVA_SOURCE_DIR");
    return std::string(root ? root : "..") + "/tests/data/platform/lzh/" + name;
}

Bytes ReadFixture(const std::string &name) {
    Bytes bytes;
    FILE *f = fopen(FixturePath(name).c_str(), "rb");
    if (!f) return bytes;
    int c;
    while ((c = getc(f)) != EOF) bytes.push_back((unsigned char)c);
    fclose(f);
    return bytes;
}

// Most significant bit first, as the decoder reads.
struct BitWriter {
    Bytes bytes;
    unsigned accumulator = 0;
    int count = 0;
    void Put(int bits, unsigned value) {
        for (int i = bits - 1; i >= 0; i--) {
            accumulator = (accumulator << 1) | ((value >> i) & 1);
            if (++count == 8) {
                bytes.push_back((unsigned char)accumulator);
                accumulator = 0;
                count = 0;
            }
        }
    }
    Bytes Finish() {
        while (count) Put(1, 0);
        return bytes;
    }
};

struct Code {
    unsigned bits = 0;
    int length = 0;
};

// Canonical codes: by increasing length, then by increasing symbol.
std::vector<Code> Canonical(const std::vector<int> &lengths) {
    std::vector<Code> codes(lengths.size());
    unsigned next = 0;
    for (int len = 1; len <= 16; len++) {
        for (size_t s = 0; s < lengths.size(); s++) {
            if (lengths[s] != len) continue;
            codes[s].bits = next++;
            codes[s].length = len;
        }
        next <<= 1;
    }
    return codes;
}

// A literal (symbol below 256) or a match (symbol 256..509 = length + 253, with a distance).
struct Token {
    int symbol;
    int distance;
};

int DistanceClass(int distance) {
    int k = 0;
    while (distance >> k) k++;
    return k;
}

// Gives every used symbol the same length, padding the set to a power of two with unused
// symbols; answers the length (0 when a single symbol is used).
int FlatLengths(const std::set<int> &used, int alphabet, std::vector<int> *lengths) {
    lengths->assign(alphabet, 0);
    if (used.size() <= 1) return 0;
    int bits = 0;
    while ((1u << bits) < used.size()) bits++;
    size_t wanted = size_t(1) << bits;
    std::set<int> all = used;
    for (int s = 0; all.size() < wanted; s++) all.insert(s);
    for (int s : all) (*lengths)[s] = bits;
    return bits;
}

// Writes one block holding the tokens, with flat codes.
void PutBlock(BitWriter *w, const std::vector<Token> &tokens) {
    std::set<int> cUsed, pUsed;
    for (const Token &t : tokens) {
        cUsed.insert(t.symbol);
        if (t.symbol >= 256) pUsed.insert(DistanceClass(t.distance));
    }
    w->Put(16, unsigned(tokens.size()));
    std::vector<int> cLen, pLen;
    int cBits = FlatLengths(cUsed, 510, &cLen);
    std::vector<Code> cCodes = Canonical(cLen);
    if (cBits == 0) {
        w->Put(5, 0), w->Put(5, 0);                 // code-length code unused
        w->Put(9, 0), w->Put(9, *cUsed.begin());    // the one literal/length symbol
    } else {
        // Code-length code: run codes 0, 1, 2 and the length cBits + 2, two bits each.
        std::vector<int> tLen(19, 0);
        tLen[0] = tLen[1] = tLen[2] = tLen[cBits + 2] = 2;
        std::vector<Code> tCodes = Canonical(tLen);
        w->Put(5, cBits + 3);
        for (int i = 0; i < cBits + 3; i++) {
            w->Put(3, tLen[i]);
            if (i == 2) w->Put(2, 0);
        }
        int n = 510;
        while (cLen[n - 1] == 0) n--;
        w->Put(9, n);
        for (int i = 0; i < n;) {
            if (cLen[i]) {
                w->Put(2, tCodes[cBits + 2].bits);
                i++;
                continue;
            }
            int zeros = 0;
            while (i + zeros < n && cLen[i + zeros] == 0) zeros++;
            int run = zeros >= 20 ? std::min(zeros, 531) : zeros >= 3 ? std::min(zeros, 18) : 1;
            if (run >= 20) w->Put(2, tCodes[2].bits), w->Put(9, run - 20);
            else if (run >= 3) w->Put(2, tCodes[1].bits), w->Put(4, run - 3);
            else w->Put(2, tCodes[0].bits);
            i += run;
        }
    }
    int pBits = FlatLengths(pUsed, 14, &pLen);
    std::vector<Code> pCodes = Canonical(pLen);
    if (pBits == 0) {
        w->Put(4, 0), w->Put(4, pUsed.empty() ? 0 : *pUsed.begin());
    } else {
        int n = 14;
        while (pLen[n - 1] == 0) n--;
        w->Put(4, n);
        for (int i = 0; i < n; i++) w->Put(3, pLen[i]);
    }
    for (const Token &t : tokens) {
        w->Put(cCodes[t.symbol].length, cCodes[t.symbol].bits);
        if (t.symbol < 256) continue;
        int k = DistanceClass(t.distance);
        w->Put(pCodes[k].length, pCodes[k].bits);
        if (k > 1) w->Put(k - 1, t.distance - (1 << (k - 1)));
    }
}

// What the tokens mean, worked out without any window arithmetic.
Bytes Expand(const std::vector<Token> &tokens) {
    Bytes out;
    for (const Token &t : tokens) {
        if (t.symbol < 256) {
            out.push_back((unsigned char)t.symbol);
            continue;
        }
        for (int i = 0; i < t.symbol - 253; i++) out.push_back(out[out.size() - t.distance - 1]);
    }
    return out;
}

long DecodeToMemory(const Bytes &packed, long unpacked, Bytes *out) {
    out->assign(size_t(unpacked) + 1, 0xEE);  // one guard byte past the end
    long n = DecodeAR(nullptr, packed.data(), long(packed.size()), nullptr, out->data(), unpacked);
    EXPECT_EQ(out->back(), 0xEE) << "wrote past the unpacked size";
    out->pop_back();
    return n;
}

TEST(LzhDecoder, CommittedStreamsDecodeToTheirOriginalsInMemoryAndStreamToStream) {
    const char *names[][2] = {{"one", "one.bin"}, {"text20k", "text20k.txt"}, {"random", "random.bin"},
                              {"text1m", "text1m.txt"}};
    for (const auto &name : names) {
        SCOPED_TRACE(name[0]);
        Bytes packed = ReadFixture(std::string(name[0]) + ".lh5");
        Bytes original = ReadFixture(name[1]);
        ASSERT_FALSE(packed.empty());
        ASSERT_FALSE(original.empty());
        Bytes out;
        EXPECT_EQ(DecodeToMemory(packed, long(original.size()), &out), long(original.size()));
        EXPECT_TRUE(out == original);

        FILE *src = tmpfile();
        FILE *dst = tmpfile();
        ASSERT_TRUE(src && dst);
        fputs("junk", src);  // the stream starts where the file is positioned
        long start = ftell(src);
        fwrite(packed.data(), 1, packed.size(), src);
        fputs("trailing bytes that belong to someone else", src);
        fseek(src, start, SEEK_SET);
        EXPECT_EQ(DecodeAR(src, nullptr, long(packed.size()), dst, nullptr, long(original.size())),
                  long(original.size()));
        EXPECT_LE(ftell(src), start + long(packed.size()));  // never reads past the stream
        rewind(dst);
        out.assign(original.size() + 10, 0);
        EXPECT_EQ(fread(out.data(), 1, out.size(), dst), original.size());
        out.resize(original.size());
        EXPECT_TRUE(out == original);
        fclose(src);
        fclose(dst);
    }
}

TEST(LzhDecoder, SingleSymbolBlockSpendsNoBitsPerSymbol) {
    BitWriter w;
    w.Put(16, 5);                   // five symbols
    w.Put(5, 0), w.Put(5, 0);       // code-length code: the single symbol 0
    w.Put(9, 0), w.Put(9, 'x');     // literal/length code: only 'x'
    w.Put(4, 0), w.Put(4, 0);       // distance code: only class 0
    Bytes packed = w.Finish();
    Bytes out;
    EXPECT_EQ(DecodeToMemory(packed, 5, &out), 5);
    EXPECT_EQ(std::string(out.begin(), out.end()), "xxxxx");
}

TEST(LzhDecoder, ShortMatchesRepeatThePreviousByteOrReachBeforeTheFirst) {
    struct Row {
        const char *label;
        std::vector<Token> tokens;
        Bytes expected;
    } rows[] = {
        {"distance 0 repeats the previous byte", {{'A', 0}, {'B', 0}, {256 + 2, 0}},  // a match of 5
         Bytes{'A', 'B', 'B', 'B', 'B', 'B', 'B'}},
        {"before the first byte gives zeros", {{'Q', 0}, {256 + 1, 100}}, Bytes{'Q', 0, 0, 0, 0}},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.label);
        BitWriter w;
        PutBlock(&w, r.tokens);
        Bytes out;
        EXPECT_EQ(DecodeToMemory(w.Finish(), long(r.expected.size()), &out), long(r.expected.size()));
        EXPECT_EQ(out, r.expected);
    }
}

TEST(LzhDecoder, MatchCrossingTheChunkEdgeGoesOnInTheNextChunk) {
    std::vector<Token> tokens;
    for (int i = 0; i < 8190; i++) tokens.push_back({"abcdefgh"[i % 8] + (i % 13 == 0), 0});
    tokens.push_back({256 + 7, 4000});   // 10 bytes from far back: 8190..8199
    tokens.push_back({256 + 0, 0});      // 3 more
    tokens.push_back({'z', 0});
    tokens.push_back({256 + 253, 8191}); // the longest match from the farthest distance
    Bytes expected = Expand(tokens);
    BitWriter w;
    PutBlock(&w, tokens);
    Bytes packed = w.Finish();
    Bytes out;
    EXPECT_EQ(DecodeToMemory(packed, long(expected.size()), &out), long(expected.size()));
    EXPECT_TRUE(out == expected);
}

TEST(LzhDecoder, SizeZeroWritesNothingAndAMissingSourceOrSinkIsRefused) {
    Bytes packed = ReadFixture("text20k.lh5");
    unsigned char guard = 0x5A;
    EXPECT_EQ(DecodeAR(nullptr, packed.data(), long(packed.size()), nullptr, &guard, 0), 0);
    EXPECT_EQ(guard, 0x5A);
    EXPECT_EQ(DecodeAR(nullptr, packed.data(), long(packed.size()), nullptr, &guard, -3), 0);
    FILE *dst = tmpfile();
    EXPECT_EQ(DecodeAR(nullptr, packed.data(), long(packed.size()), dst, nullptr, 0), 0);
    EXPECT_EQ(ftell(dst), 0);
    fclose(dst);
    EXPECT_EQ(DecodeAR(nullptr, nullptr, 10, nullptr, &guard, 1), -1);
    EXPECT_EQ(DecodeAR(nullptr, packed.data(), 4, nullptr, nullptr, 4), -1);
}

// The header of a block whose code-length code is the single symbol 3 and whose
// literal/length code is the single symbol 'a': a valid start for later fields.
void PutSingleSymbolStart(BitWriter *w) {
    w->Put(16, 1);
    w->Put(5, 0), w->Put(5, 3);
    w->Put(9, 0), w->Put(9, 'a');
}

TEST(LzhDecoder, InvalidCodeTablesAnswerMinusOne) {
    struct Row {
        const char *label;
        void (*write)(BitWriter *w);
    };
    const Row rows[] = {
        {"code-length count 31 > 19", [](BitWriter *w) { w->Put(16, 1), w->Put(5, 31); }},
        {"code-length single symbol 19", [](BitWriter *w) { w->Put(16, 1), w->Put(5, 0), w->Put(5, 19); }},
        {"literal count 511 > 510", [](BitWriter *w) {
             w->Put(16, 1), w->Put(5, 0), w->Put(5, 3), w->Put(9, 511);
         }},
        {"literal single symbol 510", [](BitWriter *w) {
             w->Put(16, 1), w->Put(5, 0), w->Put(5, 3), w->Put(9, 0), w->Put(9, 510);
         }},
        {"distance count 15 > 14", [](BitWriter *w) { PutSingleSymbolStart(w), w->Put(4, 15); }},
        {"distance single symbol 14", [](BitWriter *w) {
             PutSingleSymbolStart(w), w->Put(4, 0), w->Put(4, 14);
         }},
        {"length extended past 16", [](BitWriter *w) {
             w->Put(16, 1), w->Put(5, 1), w->Put(3, 7), w->Put(10, 0x3FF), w->Put(1, 0);
         }},
        {"zero run past the alphabet", [](BitWriter *w) {
             // Code-length code {2: "0", 3: "1"}; then 531 zero lengths from position 0.
             w->Put(16, 1), w->Put(5, 4);
             w->Put(3, 0), w->Put(3, 0), w->Put(3, 1), w->Put(2, 0), w->Put(3, 1);
             w->Put(9, 510), w->Put(1, 0), w->Put(9, 511);
         }},
        {"three one-bit codes", [](BitWriter *w) {
             w->Put(16, 1), w->Put(5, 3), w->Put(3, 1), w->Put(3, 1), w->Put(3, 1), w->Put(2, 0);
         }},
        {"four one-bit codes (a full space in 16-bit arithmetic)", [](BitWriter *w) {
             w->Put(16, 1), w->Put(5, 4);
             w->Put(3, 1), w->Put(3, 1), w->Put(3, 1), w->Put(2, 0), w->Put(3, 1);
         }},
        {"a code of two lengths that leaves a hole", [](BitWriter *w) {
             w->Put(16, 1), w->Put(5, 2), w->Put(3, 1), w->Put(3, 2);
         }},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.label);
        BitWriter w;
        row.write(&w);
        for (int i = 0; i < 8; i++) w.Put(8, 0xFF);
        Bytes packed = w.Finish();
        Bytes out;
        EXPECT_EQ(DecodeToMemory(packed, 100, &out), -1);
    }
}

TEST(LzhDecoder, TruncatedStreamEndsCleanly) {
    Bytes packed = ReadFixture("text20k.lh5");
    Bytes original = ReadFixture("text20k.txt");
    for (size_t cut : {size_t(0), size_t(1), size_t(40), packed.size() / 2, packed.size() - 1}) {
        SCOPED_TRACE(cut);
        Bytes part(packed.begin(), packed.begin() + cut);
        Bytes out;
        long n = DecodeToMemory(part, long(original.size()), &out);
        EXPECT_TRUE(n == -1 || n == long(original.size()));
    }
}

TEST(LzhDecoder, DecodesRunSideBySide) {
    Bytes packed = ReadFixture("text20k.lh5");
    Bytes original = ReadFixture("text20k.txt");
    std::vector<std::thread> threads;
    std::vector<int> good(4, 0);
    for (int t = 0; t < 4; t++) {
        threads.emplace_back([&, t] {
            for (int round = 0; round < 5; round++) {
                Bytes out(original.size());
                long n = DecodeAR(nullptr, packed.data(), long(packed.size()), nullptr, out.data(),
                                  long(out.size()));
                if (n == long(original.size()) && out == original) good[t]++;
            }
        });
    }
    for (std::thread &t : threads) t.join();
    EXPECT_EQ(good, std::vector<int>(4, 5));
}

}  // namespace
