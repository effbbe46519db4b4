// ctest-labels: xml-zip
// Members of zip containers into handles, the member writer read back by the system's unzip,
// and damaged, hostile or unusual archives.
#include <gtest/gtest.h>

#include <fstream>
#include <malloc.h>
#include <minizip/zip.h>
#include <sstream>
#include <string>
#include <unistd.h>

#include "import/xml/zip_members.h"
#include "platform/core/memory.h"
#include "support/tool_support.h"
#include "support/xml_support.h"

namespace {

const char kCompressed[] = "corpus/musicxml/90a-Compressed-MusicXML.mxl";

std::string Bytes(Handle h) { return h ? std::string(*h, GetHandleSize(h)) : std::string("(null)"); }

std::string ReadFile(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void WriteFile(const std::string &path, const std::string &bytes) { std::ofstream(path, std::ios::binary) << bytes; }

// An archive written through the member writer: {name, bytes} pairs.
std::string MakeArchive(const std::string &leaf, const std::vector<std::pair<std::string, std::string>> &members) {
    std::string path = TempFile(leaf);
    zlib_filefunc64_def functions;
    FillZipFileFunctions(&functions);
    zipFile archive = zipOpen2_64(path.c_str(), APPEND_STATUS_CREATE, nullptr, &functions);
    EXPECT_NE(archive, nullptr);
    for (const auto &m : members)
        EXPECT_EQ(AddFileInZipArchive(archive, nullptr, m.first.c_str(), m.second.data(), SInt32(m.second.size())), 0);
    zipClose(archive, nullptr);
    return path;
}

long PeakResidentKB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
    return -1;
}

TEST(ZipMembers, CorpusContainer) {
    XMLReportCatcher reports;
    std::string path = XMLTestData(kCompressed);
    char name[kZipNameSize] = "";
    Handle h = UnzipFileIndex(path.c_str(), 0, name);
    EXPECT_STREQ(name, "META-INF/");
    EXPECT_EQ(Bytes(h), "");  // a directory extracts as an empty handle, not as null
    DisposeZipHandle(h);
    h = UnzipFile(path.c_str(), "META-INF/container.xml");  // found by its full name
    EXPECT_EQ(Bytes(h).compare(0, 5, "<?xml"), 0);
    DisposeZipHandle(h);
    EXPECT_EQ(reports.traces.back(), " extracting: container.xml");
    const struct {
        const char *label;
        SInt16 index;
    } outside[] = {{"index -1", -1}, {"the entry count", 4}};
    for (const auto &row : outside) EXPECT_EQ(UnzipFileIndex(path.c_str(), row.index, name), nullptr) << row.label;
    EXPECT_EQ(UnzipFile(path.c_str(), "missing.xml"), nullptr);
    EXPECT_EQ(reports.traces.back(), "file missing.xml not found in the zipfile");
    EXPECT_EQ(UnzipFile("/nonexistent/archive.mxl", "a.xml"), nullptr);
}

TEST(ZipMembers, WrittenMembersReadBackWithTheSystemsUnzip) {
    std::string source = TempFile("source.txt"), text = "line one\nline two\n";
    WriteFile(source, text);
    std::string path = TempFile("written.zip");
    zlib_filefunc64_def functions;
    FillZipFileFunctions(&functions);
    zipFile archive = zipOpen2_64(path.c_str(), APPEND_STATUS_CREATE, nullptr, &functions);
    ASSERT_NE(archive, nullptr);
    EXPECT_EQ(AddFileInZipArchive(archive, nullptr, "empty.txt", "", 0), 0);
    EXPECT_EQ(AddFileInZipArchive(archive, source.c_str(), "file.txt", nullptr, 0), 0);
    EXPECT_EQ(AddFileInZipArchive(archive, "/nonexistent/source", "lost.txt", nullptr, 0), -1);
    zipClose(archive, nullptr);
    const struct {
        const char *member, *expected;
    } rows[] = {{"empty.txt", ""}, {"file.txt", text.c_str()}};
    for (const auto &row : rows) {
        int status = -1;
        EXPECT_EQ(RunCommand("unzip -p '" + path + "' " + row.member, &status), row.expected) << row.member;
        EXPECT_EQ(status, 0) << row.member;
        Handle h = UnzipFile(path.c_str(), row.member);
        EXPECT_EQ(Bytes(h), row.expected) << row.member;
        DisposeZipHandle(h);
    }
    unlink(source.c_str());
    unlink(path.c_str());
}

// The member inflates past the limit: refused from the directory's word, or while reading when
// the directory does not say.
TEST(ZipMembers, AMemberPastTheLimitIsRefused) {
    XMLReportCatcher reports;
    std::string zeros = TempFile("zeros.bin"), path = TempFile("zeros.zip");
    ASSERT_EQ(truncate((WriteFile(zeros, ""), zeros.c_str()), 256 << 20), 0);
    zlib_filefunc64_def functions;
    FillZipFileFunctions(&functions);
    zipFile archive = zipOpen2_64(path.c_str(), APPEND_STATUS_CREATE, nullptr, &functions);
    ASSERT_EQ(AddFileInZipArchive(archive, zeros.c_str(), "zeros.bin", nullptr, 0), 0);
    zipClose(archive, nullptr);
    unlink(zeros.c_str());
    std::string bytes = ReadFile(path), lying = bytes;
    // The uncompressed size in the directory entry (offset 24) and the local header (offset 22)
    // set to all ones, the mark of a size kept elsewhere: nothing is known before reading.
    size_t entry = lying.rfind("PK\x01\x02");
    ASSERT_NE(entry, std::string::npos);
    lying.replace(entry + 24, 4, "\xFF\xFF\xFF\xFF");
    lying.replace(22, 4, "\xFF\xFF\xFF\xFF");
    std::string lyingPath = TempFile("lying.zip");
    WriteFile(lyingPath, lying);
    for (const std::string &archivePath : {path, lyingPath}) {
        WriteFile("/proc/self/clear_refs", "5");  // peak resident size starts again from here
        EXPECT_EQ(UnzipFile(archivePath.c_str(), "zeros.bin"), nullptr) << archivePath;
        EXPECT_EQ(reports.traces.back(), "member zeros.bin too large") << archivePath;
        EXPECT_LT(PeakResidentKB(), 200 * 1024) << archivePath;
    }
    unlink(path.c_str());
    unlink(lyingPath.c_str());
}

TEST(ZipMembers, ADirectoryMemberKeepsNoMemory) {
    std::string path = XMLTestData(kCompressed);
    char name[kZipNameSize];
    DisposeZipHandle(UnzipFileIndex(path.c_str(), 0, name));
    size_t before = mallinfo2().uordblks;
    for (int i = 0; i < 500; i++) DisposeZipHandle(UnzipFileIndex(path.c_str(), 0, name));
    EXPECT_LT(mallinfo2().uordblks, before + 500 * 1024) << "the transfer buffer leaks";
}

TEST(ZipMembers, UnusualAndDamagedArchives) {
    XMLReportCatcher reports;
    std::string corpus = ReadFile(XMLTestData(kCompressed)), content = "<a>member</a>";
    std::string source = TempFile("member.xml");
    WriteFile(source, content);
    std::string encrypted = TempFile("encrypted.zip"), zip64 = TempFile("zip64.zip");
    int status = -1;
    RunCommand("zip -q -j -P secret '" + encrypted + "' '" + source + "'", &status);
    ASSERT_EQ(status, 0);
    RunCommand("zip -q -j -fz '" + zip64 + "' '" + source + "'", &status);
    ASSERT_EQ(status, 0);
    std::string leaf = source.substr(source.rfind('/') + 1);
    std::vector<std::pair<std::string, std::string>> many;
    for (int i = 0; i < 1000; i++) many.push_back({std::to_string(i) + std::string(300, 'n'), std::to_string(i)});
    std::string manyPath = MakeArchive("many.zip", many);
    const struct {
        const char *label;
        std::string path;
        SInt16 index;
        const char *expected;  // null: no handle
        size_t nameLength;
    } rows[] = {
        {"zip64 records", zip64, 0, content.c_str(), leaf.size()},
        {"encrypted member", encrypted, 0, nullptr, leaf.size()},
        {"a thousand members, long names cut", manyPath, 999, "999", kZipNameSize - 1},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.label);
        char name[kZipNameSize] = "";
        Handle h = UnzipFileIndex(row.path.c_str(), row.index, name);
        EXPECT_EQ(Bytes(h), row.expected ? row.expected : "(null)");
        EXPECT_EQ(strlen(name), row.nameLength);
        DisposeZipHandle(h);
    }
    // Cut anywhere or with its directory moved, the container gives nothing or whole members.
    std::string cut = TempFile("cut.mxl");
    for (size_t at = 0; at < corpus.size(); at += 997) {
        std::string damaged = corpus.substr(0, at);
        if (at % 2) damaged = corpus, damaged[corpus.size() - 6] ^= 0x40;  // the directory's offset
        WriteFile(cut, damaged);
        for (SInt16 i = 0; i < 4; i++) {
            char name[kZipNameSize];
            Handle h = UnzipFileIndex(cut.c_str(), i, name);
            if (h) {
                EXPECT_EQ(Bytes(h), RunCommand("unzip -p '" + XMLTestData(kCompressed) + "' '" + name + "'", &status));
            }
            DisposeZipHandle(h);
        }
    }
    for (const std::string &p : {source, encrypted, zip64, manyPath, cut}) unlink(p.c_str());
}

}  // namespace
