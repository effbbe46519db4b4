// ctest-labels: score-storage
// Play lists: random draws take every entry once a round.
#include <gtest/gtest.h>
#include <cstring>
#include <set>

#include "platform/core/errors.h"
#include "platform/core/memory.h"
#include "score/play_lists.h"

namespace {

TEST(PlayLists, FiveDrawsGiveEachEntryOnceThenANewRoundStarts) {
    JukeBoxList list = {};
    JukeBoxEntry entries[5];
    memset(entries, 0, sizeof entries);
    for (int i = 0; i < 5; i++) snprintf(entries[i].path, sizeof entries[i].path, "piece%d.oms", i);
    entries[2].mixer = NewHandle(16);
    ASSERT_EQ(AjouteFichierJukeBox(5, entries, &list), noErr);
    EXPECT_EQ(AjouteFichierJukeBox(-1, entries, &list), paramErr);
    for (int round = 0; round < 3; round++) {
        std::set<SInt16> drawn;
        for (int i = 0; i < 5; i++) drawn.insert(CalculeNumFichierAleatoire(&list));
        EXPECT_EQ(drawn, (std::set<SInt16>{0, 1, 2, 3, 4}));
    }
    SInt16 sixth = CalculeNumFichierAleatoire(&list);
    int played = 0;
    for (SInt16 i = 0; i < list.count; i++) played += GetEntreeJukeBox(&list, i)->played;
    EXPECT_EQ(played, 1);
    EXPECT_EQ(GetEntreeJukeBox(&list, sixth)->played, 1);
    CleareListeOneShot(&list);
    EXPECT_EQ(GetEntreeJukeBox(&list, sixth)->played, 0);
    EXPECT_STREQ(GetEntreeJukeBox(&list, 4)->path, "piece4.oms");
    ClrPlayList(&list);  // frees the mixer settings it took
    EXPECT_EQ(list.count, 0);
    EXPECT_EQ(CalculeNumFichierAleatoire(&list), -1);
}

}  // namespace
