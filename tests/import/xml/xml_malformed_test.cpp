// ctest-labels: xml-zip
// Every hostile or broken document (.xml) and container kept in tests/data/xml/malformed/, the
// inputs the fuzz targets stumbled on among them, fails cleanly: no tree and the parser's
// message, or no member at all.
#include <gtest/gtest.h>

#include <dirent.h>
#include <fstream>
#include <string>

#include "import/xml/zip_members.h"
#include "support/import/xml_support.h"

TEST(XMLMalformed, EveryFileFailsCleanly) {
    XMLReportCatcher reports;
    std::string folder = XMLTestData("xml/malformed/");
    DIR *dir = opendir(folder.c_str());
    ASSERT_NE(dir, nullptr) << folder;
    int files = 0;
    while (dirent *entry = readdir(dir)) {
        std::string name = entry->d_name, path = folder + name, error;
        if (name[0] == '.') continue;
        files++;
        std::ifstream in(path, std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        bool document = name.size() > 4 && name.compare(name.size() - 4, 4, ".xml") == 0;
        EXPECT_EQ(document ? ParseXMLText(bytes, &error) : nullptr, nullptr) << name;
        EXPECT_TRUE(!document || IsXMLParseMessage(error)) << name << ": " << error;
        for (SInt16 index = 0; index < 8 && !document; index++) {
            char member[kZipNameSize];
            EXPECT_EQ(UnzipFileIndex(path.c_str(), index, member), nullptr) << name << " #" << index;
        }
    }
    closedir(dir);
    EXPECT_GE(files, 7);
}
