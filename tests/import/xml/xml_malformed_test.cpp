// ctest-labels: xml-zip
// Every hostile or broken document and container kept in tests/data/xml/malformed/ (among them
// the inputs the fuzz targets stumbled on) fails cleanly: no tree and the parser's message, or
// no member at all.
#include <gtest/gtest.h>

#include <dirent.h>
#include <fstream>
#include <string>

#include "import/xml/xml_tree.h"
#include "import/xml/zip_members.h"
#include "support/xml_support.h"

namespace {

TEST(XMLMalformed, EveryFileFailsCleanly) {
    XMLReportCatcher reports;
    std::string folder = XMLTestData("xml/malformed");
    DIR *dir = opendir(folder.c_str());
    ASSERT_NE(dir, nullptr) << folder;
    int files = 0;
    while (dirent *entry = readdir(dir)) {
        std::string name = entry->d_name, path = folder + "/" + name;
        if (name[0] == '.') continue;
        SCOPED_TRACE(name);
        files++;
        if (name.size() > 4 && name.compare(name.size() - 4, 4, ".xml") == 0) {
            std::ifstream in(path, std::ios::binary);
            std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()), error;
            EXPECT_EQ(ParseXMLText(bytes, &error), nullptr);
            EXPECT_TRUE(IsXMLParseMessage(error)) << error;
            continue;
        }
        EXPECT_EQ(UnzipFile(path.c_str(), "META-INF/container.xml"), nullptr);
        for (SInt16 index = 0; index < 8; index++) {
            char member[kZipNameSize];
            EXPECT_EQ(UnzipFileIndex(path.c_str(), index, member), nullptr) << index;
        }
    }
    closedir(dir);
    EXPECT_GE(files, 7);
}

}  // namespace
