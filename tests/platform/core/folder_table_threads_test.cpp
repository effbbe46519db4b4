// ctest-labels: encodings-files;threads
// The folder table interned from several threads at once: every path gets one id of its own.
#include "platform/core/folders.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <thread>
#include <vector>
#include "support/test_home.h"

namespace {

const std::string &gHome = OrvaTestHome();

TEST(FolderTableThreads, EightThreadsInterningGetUniqueIds) {
    const int kThreads = 8, kFolders = 1000;
    std::vector<std::vector<SInt32>> ids(kThreads, std::vector<SInt32>(kFolders));
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; t++) {
        threads.emplace_back([t, &ids] {
            for (int i = 0; i < kFolders; i++)
                ids[t][i] = OrvaGetFolderId(("/threads/t" + std::to_string(t) + "/folder" + std::to_string(i)).c_str());
        });
    }
    for (std::thread &thread : threads) thread.join();
    std::set<SInt32> seen;
    for (int t = 0; t < kThreads; t++) {
        for (int i = 0; i < kFolders; i++) {
            ASSERT_GT(ids[t][i], 0);
            EXPECT_TRUE(seen.insert(ids[t][i]).second) << "id given twice: " << ids[t][i];
        }
    }
    EXPECT_EQ(OrvaGetFolderCount(), UInt32(kThreads * kFolders));
    // Asking again, with or without the final '/', finds the same ids.
    for (int t = 0; t < kThreads; t++) {
        std::string path = "/threads/t" + std::to_string(t) + "/folder7";
        EXPECT_EQ(OrvaGetFolderId(path.c_str()), ids[t][7]);
        EXPECT_EQ(OrvaGetFolderId((path + "/").c_str()), ids[t][7]);
        char copy[kOrvaPathMax + 1];
        EXPECT_TRUE(OrvaGetNomChemin(ids[t][7], copy));
        EXPECT_EQ(std::string(copy), path + "/");
    }
}

}  // namespace
