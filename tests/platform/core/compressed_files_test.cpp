// ctest-labels: encodings-files
// gzip and zlib files turned into plain files: real gzip output, cut and corrupt data, and an
// output stream that records whether it was closed.
#include "platform/core/compressed_files.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdlib>
#include <string>

#include "support/test_home.h"

namespace {

const std::string &gHome = OrvaTestHome();

// An output stream over a string that remembers being closed and can refuse writes.
struct CapturedOutput {
    std::string bytes;
    bool closed = false;
    bool refuseWrites = false;
};

ssize_t CaptureWrite(void *cookie, const char *data, size_t size) {
    CapturedOutput *out = static_cast<CapturedOutput *>(cookie);
    if (out->refuseWrites) return 0;
    out->bytes.append(data, size);
    return ssize_t(size);
}

int CaptureClose(void *cookie) {
    static_cast<CapturedOutput *>(cookie)->closed = true;
    return 0;
}

FILE *OpenCapture(CapturedOutput *out) {
    cookie_io_functions_t io = {nullptr, CaptureWrite, nullptr, CaptureClose};
    FILE *f = fopencookie(out, "w", io);
    setvbuf(f, nullptr, _IONBF, 0);  // every write reaches the cookie at once
    return f;
}

std::string SampleText() {
    std::string text;
    for (int i = 0; i < 20000; i++) text += "measure " + std::to_string(i) + " of the score\n";
    return text;
}

std::string ZlibCompress(const std::string &text) {
    uLongf size = compressBound(uLong(text.size()));
    std::string out(size, '\0');
    compress2(reinterpret_cast<Bytef *>(&out[0]), &size, reinterpret_cast<const Bytef *>(text.data()),
              uLong(text.size()), 9);
    out.resize(size);
    return out;
}

TEST(Gzip, AGzipFileCopiesToTheOriginal) {
    std::string f = gHome + "/f", g = gHome + "/g";
    ASSERT_TRUE(OrvaTestWriteFile(f, SampleText()));
    ASSERT_EQ(system(("gzip -c '" + f + "' > '" + f + ".gz'").c_str()), 0);
    FILE *out = fopen(g.c_str(), "wb");
    EXPECT_EQ(ZLibDecompressWithHeader((f + ".gz").c_str(), out), 0);
    EXPECT_EQ(system(("cmp -s '" + f + "' '" + g + "'").c_str()), 0);
}

TEST(Gzip, CutFilesFailAndPlainFilesCopyWithTheOutputClosed) {
    std::string f = gHome + "/cut";
    ASSERT_TRUE(OrvaTestWriteFile(f, SampleText()));
    ASSERT_EQ(system(("gzip -c '" + f + "' | head -c 1000 > '" + f + ".gz'").c_str()), 0);
    CapturedOutput cut;
    EXPECT_LT(ZLibDecompressWithHeader((f + ".gz").c_str(), OpenCapture(&cut)), 0);
    EXPECT_TRUE(cut.closed);
    std::string plain = gHome + "/plain.xml";
    ASSERT_TRUE(OrvaTestWriteFile(plain, "<score-partwise/>\n"));
    CapturedOutput copy;
    EXPECT_EQ(ZLibDecompressWithHeader(plain.c_str(), OpenCapture(&copy)), 0);
    EXPECT_EQ(copy.bytes, "<score-partwise/>\n");
    EXPECT_TRUE(copy.closed);
}

TEST(Gzip, MissingSourceShortWriteAndNoOutput) {
    CapturedOutput missing;
    EXPECT_EQ(ZLibDecompressWithHeader((gHome + "/absent.gz").c_str(), OpenCapture(&missing)), -1);
    EXPECT_TRUE(missing.closed);
    std::string f = gHome + "/short";
    ASSERT_TRUE(OrvaTestWriteFile(f, "some bytes"));
    CapturedOutput refusing;
    refusing.refuseWrites = true;
    EXPECT_EQ(ZLibDecompressWithHeader(f.c_str(), OpenCapture(&refusing)), -2);
    EXPECT_TRUE(refusing.closed);
    EXPECT_EQ(ZLibDecompressWithHeader(f.c_str(), nullptr), -1);
}

TEST(Zlib, DataAtAnOffsetInflatesToAFile) {
    std::string text = SampleText();
    std::string source = gHome + "/packed", destination = gHome + "/unpacked";
    ASSERT_TRUE(OrvaTestWriteFile(source, "HEADER0123" + ZlibCompress(text)));
    EXPECT_EQ(ZLibDecompress(source.c_str(), destination.c_str(), 10), Z_OK);
    EXPECT_EQ(OrvaTestReadFile(destination), text);
}

TEST(Zlib, BadOffsetsAndDataEndWithTheirCodes) {
    std::string packed = ZlibCompress(SampleText());
    std::string source = gHome + "/z", destination = gHome + "/zout";
    ASSERT_TRUE(OrvaTestWriteFile(source, packed));
    EXPECT_EQ(ZLibDecompress(source.c_str(), destination.c_str(), SInt32(packed.size()) + 100), Z_BUF_ERROR);
    EXPECT_EQ(OrvaTestReadFile(destination), "");
    ASSERT_TRUE(OrvaTestWriteFile(source, packed.substr(0, packed.size() / 2)));
    EXPECT_EQ(ZLibDecompress(source.c_str(), destination.c_str(), 0), Z_BUF_ERROR);
    std::string corrupt = packed;
    for (size_t i = 10; i < 40; i++) corrupt[i] = char(corrupt[i] ^ 0x5A);
    ASSERT_TRUE(OrvaTestWriteFile(source, corrupt));
    EXPECT_EQ(ZLibDecompress(source.c_str(), destination.c_str(), 0), Z_DATA_ERROR);
    EXPECT_EQ(ZLibDecompress((gHome + "/absent").c_str(), destination.c_str(), 0), kZSourceNotOpened);
    EXPECT_EQ(ZLibDecompress(source.c_str(), (gHome + "/absent/out").c_str(), 0), kZDestinationNotOpened);
}

TEST(Zlib, AShortWriteStopsTheStream) {
    std::string packed = ZlibCompress(SampleText());
    char work[4096];
    SInt32 size = sizeof work;
    CapturedOutput refusing;
    refusing.refuseWrites = true;
    FILE *out = OpenCapture(&refusing);
    EXPECT_EQ(ZDecompress(out, work, &size, packed.data(), SInt32(packed.size())), kZShortWrite);
    fclose(out);
    CapturedOutput fine;
    out = OpenCapture(&fine);
    EXPECT_EQ(ZDecompress(out, work, &size, packed.data(), SInt32(packed.size())), Z_OK);
    fclose(out);
    EXPECT_EQ(fine.bytes, SampleText());
}

}  // namespace
