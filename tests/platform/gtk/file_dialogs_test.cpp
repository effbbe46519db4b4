// ctest-labels: encodings-files
// The GTK choosers, answered through the test hook: filters, replies, the folder made current.
#include "platform/gtk/file_dialogs.h"

#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/core/folders.h"
#include "platform/gtk/back_end.h"
#include "support/test_home.h"

namespace {

const std::string &gHome = OrvaTestHome();

// What the hook saw of the chooser, and how it answers.
struct ChooserScript {
    SInt32 response = GTK_RESPONSE_ACCEPT;
    std::string answer;
    int chooseFilter = -1;  // index in the chooser's list of filters to select, or -1
    std::string title;
    GtkFileChooserAction action = GTK_FILE_CHOOSER_ACTION_OPEN;
    std::vector<std::string> filterNames;  // in the chooser's order
    std::string currentFilter;
    std::vector<GtkFileFilter *> filters;
};

ChooserScript gScript;

bool Accepts(GtkFileFilter *filter, const char *name) {
    GtkFileFilterInfo info = {};
    info.contains = GtkFileFilterFlags(GTK_FILE_FILTER_DISPLAY_NAME | GTK_FILE_FILTER_FILENAME);
    info.display_name = name;
    info.filename = name;
    return gtk_file_filter_filter(filter, &info);
}

SInt32 AnswerChooser(_GtkWidget *dialog, char *path, SInt32 size) {
    GtkFileChooser *chooser = GTK_FILE_CHOOSER(dialog);
    gScript.title = gtk_window_get_title(GTK_WINDOW(dialog));
    gScript.action = gtk_file_chooser_get_action(chooser);
    gScript.filterNames.clear();
    gScript.filters.clear();
    GSList *list = gtk_file_chooser_list_filters(chooser);
    for (GSList *item = list; item != nullptr; item = item->next) {
        GtkFileFilter *filter = GTK_FILE_FILTER(item->data);
        gScript.filterNames.push_back(gtk_file_filter_get_name(filter));
        gScript.filters.push_back(filter);
    }
    g_slist_free(list);
    if (gScript.chooseFilter >= 0) gtk_file_chooser_set_filter(chooser, gScript.filters[size_t(gScript.chooseFilter)]);
    GtkFileFilter *current = gtk_file_chooser_get_filter(chooser);
    gScript.currentFilter = current ? gtk_file_filter_get_name(current) : "";
    snprintf(path, size_t(size), "%s", gScript.answer.c_str());
    return gScript.response;
}

class Choosers : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!gtk_init_check(nullptr, nullptr)) GTEST_SKIP() << "no display";
        OrvaInstallGtkBackEnd();  // Standard File reaches the choosers through the back end
        gScript = ChooserScript();
        OrvaSetFileChooserHook(AnswerChooser);
    }
    void TearDown() override { OrvaSetFileChooserHook(nullptr); }
};

TEST_F(Choosers, GetFileBuildsTheFiltersAndAnswersWithTheFile) {
    ASSERT_EQ(chdir("/"), 0);
    gScript.answer = gHome + "/x.oms";
    SFReply reply = {};
    GTKGetFile("", "Scores|*.oms;*.xml|All|*.*", &reply);
    EXPECT_EQ(gScript.title, "Load file");
    EXPECT_EQ(gScript.action, GTK_FILE_CHOOSER_ACTION_OPEN);
    ASSERT_EQ(gScript.filterNames, (std::vector<std::string>{"All", "Scores"}));
    EXPECT_EQ(gScript.currentFilter, "Scores");
    GtkFileFilter *scores = gScript.filters[1];
    EXPECT_TRUE(Accepts(scores, "x.oms"));
    EXPECT_TRUE(Accepts(scores, "X.OMS"));
    EXPECT_TRUE(Accepts(scores, "y.XML"));
    EXPECT_FALSE(Accepts(scores, "x.Oms"));
    EXPECT_FALSE(Accepts(scores, "x.txt"));
    EXPECT_EQ(reply.good, 1);
    EXPECT_STREQ(reply.fName, "x.oms");
    EXPECT_EQ(OrvaTestCurrentFolder(), gHome);
    SInt16 id = 0;
    GetVol(nullptr, &id);
    EXPECT_EQ(reply.vRefNum, id);
}

TEST_F(Choosers, ACancelledChooserAnswersGoodZero) {
    gScript.response = GTK_RESPONSE_CANCEL;
    gScript.answer = gHome + "/x.oms";
    SFReply reply = {};
    reply.good = 1;
    GTKGetFile("", nullptr, &reply);
    EXPECT_EQ(reply.good, 0);
    EXPECT_TRUE(gScript.filterNames.empty());
    gScript.response = GTK_RESPONSE_OK;  // OK confirms as well as accept
    GTKGetFile("", nullptr, &reply);
    EXPECT_EQ(reply.good, 1);
}

TEST_F(Choosers, SFGetFileSplitsItsFilterText) {
    gScript.answer = gHome + "/y.abc";
    SFReply reply = {};
    SFGetFile(Point{0, 0}, "Open|ABC \x8e|*.abc", nullptr, 0, nullptr, nullptr, &reply);
    EXPECT_EQ(gScript.filterNames, (std::vector<std::string>{"ABC \xc3\xa9"}));  // MacRoman names arrive as UTF-8
    EXPECT_STREQ(reply.fName, "y.abc");
    SFGetFile(Point{0, 0}, "no list", nullptr, 0, nullptr, nullptr, &reply);
    EXPECT_TRUE(gScript.filterNames.empty());
    SFGetFile(Point{0, 0}, nullptr, nullptr, 0, nullptr, nullptr, &reply);
    EXPECT_TRUE(gScript.filterNames.empty());
}

TEST_F(Choosers, PutFileAnswersTheChosenFilterPair) {
    gScript.answer = gHome + "/saved.xml";
    gScript.chooseFilter = 0;  // the chooser lists the last pair first
    SFReply reply = {};
    EXPECT_EQ(GTKPutFile("Save", "score.oms", "Native|*.oms|MusicXML|*.xml", &reply), 2);
    EXPECT_EQ(gScript.title, "Save file");
    EXPECT_EQ(gScript.action, GTK_FILE_CHOOSER_ACTION_SAVE);
    EXPECT_EQ(reply.good, 1);
    EXPECT_STREQ(reply.fName, "saved.xml");
    gScript.chooseFilter = -1;
    EXPECT_EQ(GTKPutFile("Save", "score.oms", nullptr, &reply), 1);
    SFPutFile(Point{0, 0}, "Save", "score.oms", nullptr, &reply);
    EXPECT_EQ(reply.good, 1);
    gScript.response = GTK_RESPONSE_CANCEL;
    EXPECT_EQ(GTKPutFile("Save", "score.oms", "Native|*.oms", &reply), 0);
    EXPECT_EQ(reply.good, 0);
}

TEST_F(Choosers, SelectFolderCopiesThePath) {
    gScript.answer = gHome;
    char path[kOrvaPathMax + 1];
    EXPECT_TRUE(GTKSelectFolder("/", path));
    EXPECT_EQ(gScript.title, "Select folder");
    EXPECT_EQ(gScript.action, GTK_FILE_CHOOSER_ACTION_SELECT_FOLDER);
    EXPECT_EQ(std::string(path), gHome);
    gScript.response = GTK_RESPONSE_CANCEL;
    EXPECT_FALSE(GTKSelectFolder(nullptr, path));
    EXPECT_STREQ(path, "");
}

}  // namespace
