// ctest-labels: score-storage
// MD5 seals against GLib's digests, and the word text of a seal.
#include <glib.h>
#include <gtest/gtest.h>
#include <random>
#include <string>

#include "score/md5_seal.h"

namespace {

std::string Hex(const SceauMD5 &seal) {
    char text[kSceauMD5Octets * 2 + 1];
    for (int i = 0; i < kSceauMD5Octets; i++) snprintf(text + 2 * i, 3, "%02x", seal.bytes[i]);
    return text;
}

TEST(Md5Seal, EqualsGLibOnRandomBuffers) {
    std::mt19937 random(5);
    std::string buffer;
    for (int i = 0; i < 1000; i++) {
        // Lengths around the block and padding boundaries, and some long ones.
        size_t length = i < 200 ? size_t(i) : i % 50 == 0 ? 100000 + random() % 1000 : random() % 3000;
        buffer.resize(length);
        for (char &c : buffer) c = char(random());
        SceauMD5 seal;
        CalculeSceauCompletMD5(buffer.data(), SInt32(length), &seal);
        gchar *expected = g_compute_checksum_for_data(G_CHECKSUM_MD5, reinterpret_cast<const guchar *>(buffer.data()), length);
        ASSERT_EQ(Hex(seal), expected) << "length " << length;
        g_free(expected);
    }
}

TEST(Md5Seal, AbcGivesItsBytesAndItsWordText) {
    SceauMD5 seal, other;
    CalculeSceauCompletMD5("abc", 3, &seal);
    EXPECT_EQ(Hex(seal), "900150983cd24fb0d6963f7d28e17f72");
    char text[kSceauMD5Texte];
    CvtSceauMD5ToStr(&seal, text);
    EXPECT_STREQ(text, "98500190b04fd23c7d3f96d6727fe128");
    CalculeSceauCompletMD5("abd", 3, &other);
    EXPECT_EQ(CmpMD5(&seal, &seal), 1);
    EXPECT_EQ(CmpMD5(&seal, &other), 0);
}

}  // namespace
