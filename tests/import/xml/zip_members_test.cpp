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
#include "support/import/xml_support.h"

namespace {

const std::string kCompressed = XMLTestData("corpus/musicxml/90a-Compressed-MusicXML.mxl");

// A member's bytes, its handle disposed.
std::string Take(Handle h) {
    std::string bytes = h ? std::string(*h, GetHandleSize(h)) : "(null)";
    DisposeZipHandle(h);
    return bytes;
}

std::string ReadFile(const std::string &path) {
    std::stringstream bytes;
    bytes << std::ifstream(path, std::ios::binary).rdbuf();
    return bytes.str();
}

void WriteFile(const std::string &path, const std::string &bytes) { std::ofstream(path, std::ios::binary) << bytes; }

std::string Shell(const std::string &command, int *status) { return RunCommand(command + " 2>/dev/null", status); }

// Writes an archive of {member, bytes} rows; with fromFiles the second names the member's source file.
std::string MakeArchive(const std::string &leaf, const std::vector<std::pair<std::string, std::string>> &members,
                        bool fromFiles = false) {
    std::string path = TempFile(leaf);
    zlib_filefunc64_def functions;
    FillZipFileFunctions(&functions);
    zipFile archive = zipOpen2_64(path.c_str(), APPEND_STATUS_CREATE, nullptr, &functions);
    for (const auto &m : members) {
        int result = fromFiles ? AddFileInZipArchive(archive, m.second.c_str(), m.first.c_str(), nullptr, 0)
                               : AddFileInZipArchive(archive, nullptr, m.first.c_str(), m.second.data(), SInt32(m.second.size()));
        EXPECT_EQ(result, m.first == "lost.txt" ? -1 : 0) << m.first;
    }
    zipClose(archive, nullptr);
    return path;
}

TEST(ZipMembers, CorpusContainer) {
    XMLReportCatcher reports;
    char name[kZipNameSize] = "";
    EXPECT_EQ(Take(UnzipFileIndex(kCompressed.c_str(), 0, name)), "");  // a directory: empty, not null
    EXPECT_STREQ(name, "META-INF/");
    EXPECT_EQ(Take(UnzipFile(kCompressed.c_str(), "META-INF/container.xml")).substr(0, 5), "<?xml");  // full name
    EXPECT_EQ(reports.traces.back(), " extracting: container.xml");
    EXPECT_EQ(UnzipFileIndex(kCompressed.c_str(), -1, name), nullptr);
    EXPECT_EQ(UnzipFileIndex(kCompressed.c_str(), 4, name), nullptr);  // the entry count
    EXPECT_EQ(UnzipFile(kCompressed.c_str(), "missing.xml"), nullptr);
    EXPECT_EQ(reports.traces.back(), "file missing.xml not found in the zipfile");
    EXPECT_EQ(UnzipFile("/nonexistent/archive.mxl", "a.xml"), nullptr);
}

TEST(ZipMembers, WrittenMembersReadBackWithTheSystemsUnzip) {
    std::string source = TempFile("source.txt"), text = "line one\nline two\n";
    WriteFile(source, text);
    std::string empty = MakeArchive("empty.zip", {{"empty.txt", ""}});
    std::string file = MakeArchive("file.zip", {{"file.txt", source}, {"lost.txt", "/nonexistent/source"}}, true);
    const struct {
        std::string archive, member, expected;
    } rows[] = {{empty, "empty.txt", ""}, {file, "file.txt", text}};
    for (const auto &row : rows) {
        int status = -1;
        EXPECT_EQ(Shell("unzip -p '" + row.archive + "' " + row.member, &status), row.expected) << row.member;
        EXPECT_EQ(status, 0) << row.member;
        EXPECT_EQ(Take(UnzipFile(row.archive.c_str(), row.member.c_str())), row.expected) << row.member;
    }
    for (const std::string &p : {source, empty, file}) unlink(p.c_str());
}

long PeakResidentKB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
    return -1;
}

// A member past the limit is refused from the directory's word, or while reading when the
// sizes say all ones, the mark of a size kept elsewhere.
TEST(ZipMembers, AMemberPastTheLimitIsRefused) {
    XMLReportCatcher reports;
    std::string zeros = TempFile("zeros.bin");
    WriteFile(zeros, "");
    ASSERT_EQ(truncate(zeros.c_str(), 256 << 20), 0);
    std::string path = MakeArchive("zeros.zip", {{"zeros.bin", zeros}}, true), unsized = TempFile("unsized.zip");
    std::string bytes = ReadFile(path);
    size_t entry = bytes.rfind("PK\x01\x02");  // its uncompressed size at 24, the local header's at 22
    ASSERT_NE(entry, std::string::npos);
    WriteFile(unsized, bytes.replace(entry + 24, 4, "\xFF\xFF\xFF\xFF").replace(22, 4, "\xFF\xFF\xFF\xFF"));
    for (const std::string &archive : {path, unsized}) {
        WriteFile("/proc/self/clear_refs", "5");  // the peak resident size starts again from here
        EXPECT_EQ(UnzipFile(archive.c_str(), "zeros.bin"), nullptr) << archive;
        EXPECT_EQ(reports.traces.back(), "member zeros.bin too large") << archive;
        EXPECT_LT(PeakResidentKB(), 200 * 1024) << archive;
    }
    for (const std::string &p : {zeros, path, unsized}) unlink(p.c_str());
}

TEST(ZipMembers, ADirectoryMemberKeepsNoMemory) {
    char name[kZipNameSize];
    Take(UnzipFileIndex(kCompressed.c_str(), 0, name));
    size_t before = mallinfo2().uordblks;
    for (int i = 0; i < 500; i++) Take(UnzipFileIndex(kCompressed.c_str(), 0, name));
    EXPECT_LT(mallinfo2().uordblks, before + 500 * 1024) << "the transfer buffer leaks";
}

TEST(ZipMembers, UnusualAndDamagedArchives) {
    XMLReportCatcher reports;
    std::string source = TempFile("member.xml"), encrypted = TempFile("encrypted.zip"), zip64 = TempFile("zip64.zip");
    WriteFile(source, "<a>member</a>");
    int status = -1;
    Shell("zip -q -j -P secret '" + encrypted + "' '" + source + "' && zip -q -j -fz '" + zip64 + "' '" + source + "'", &status);
    ASSERT_EQ(status, 0);
    std::vector<std::pair<std::string, std::string>> many;
    for (int i = 0; i < 1000; i++) many.push_back({std::to_string(i) + std::string(300, 'n'), std::to_string(i)});
    std::string manyPath = MakeArchive("many.zip", many), leaf = source.substr(source.rfind('/') + 1);
    const struct {
        const char *label;
        std::string path;
        SInt16 index;
        std::string expected;
        size_t nameLength;
    } rows[] = {
        {"zip64 records", zip64, 0, "<a>member</a>", leaf.size()},
        {"encrypted member", encrypted, 0, "(null)", leaf.size()},
        {"a thousand members, long names cut", manyPath, 999, "999", kZipNameSize - 1},
    };
    for (const auto &row : rows) {
        char name[kZipNameSize] = "";
        EXPECT_EQ(Take(UnzipFileIndex(row.path.c_str(), row.index, name)), row.expected) << row.label;
        EXPECT_EQ(strlen(name), row.nameLength) << row.label;
    }
    // Cut anywhere, or with its directory's offset wrong, the container gives nothing or whole members.
    std::string corpus = ReadFile(kCompressed), cut = TempFile("cut.mxl");
    for (size_t at = 0; at < corpus.size(); at += 997) {
        std::string damaged = corpus.substr(0, at);
        if (at % 2) (damaged = corpus)[corpus.size() - 6] ^= 0x40;
        WriteFile(cut, damaged);
        for (SInt16 i = 0; i < 4; i++) {
            char name[kZipNameSize];
            std::string member = Take(UnzipFileIndex(cut.c_str(), i, name));
            if (member != "(null)") {
                EXPECT_EQ(member, Shell("unzip -p '" + kCompressed + "' '" + name + "'", &status));
            }
        }
    }
    for (const std::string &p : {source, encrypted, zip64, manyPath, cut}) unlink(p.c_str());
}

}  // namespace
