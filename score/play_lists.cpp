// Play lists.
#include "score/play_lists.h"

#include "platform/core/memory.h"
#include "score/musical_arithmetic.h"

OSErr AjouteFichierJukeBox(SInt16 count, const JukeBoxEntry *entries, JukeBoxList *list) {
    if (!list || count < 0 || (count > 0 && !entries) || count > kJukeBoxEntreesMax - list->count) return paramErr;
    if (count == 0) return noErr;
    OSErr err = list->entries ? PtrAndHand(entries, list->entries, SInt32(count) * sizeof(JukeBoxEntry))
                              : PtrToHand(entries, &list->entries, SInt32(count) * sizeof(JukeBoxEntry));
    if (err != noErr) return memFullErr;
    SInt16 first = list->count;
    list->count = SInt16(list->count + count);
    for (SInt16 i = first; i < list->count; i++) {
        JukeBoxEntry *entry = GetEntreeJukeBox(list, i);
        entry->path[kJukeBoxCheminTaille - 1] = 0;
        entry->title[kJukeBoxTitreTaille - 1] = 0;
        for (char *detail : entry->details) detail[kJukeBoxDetailTaille - 1] = 0;
    }
    return noErr;
}

void ClrPlayList(JukeBoxList *list) {
    if (!list) return;
    for (SInt16 i = 0; i < list->count; i++) {
        JukeBoxEntry *entry = GetEntreeJukeBox(list, i);
        if (entry->mixer) DisposHandle(entry->mixer);
        entry->mixer = nullptr;
    }
    if (list->entries) DisposHandle(list->entries);
    list->entries = nullptr;
    list->count = 0;
    list->firstVisible = 0;
    list->current = 0;
}

SInt16 CalculeNumFichierAleatoire(JukeBoxList *list) {
    if (!list || list->count <= 0) return -1;
    SInt32 left = 0;
    for (SInt16 i = 0; i < list->count; i++) left += GetEntreeJukeBox(list, i)->played ? 0 : 1;
    if (left == 0) {
        CleareListeOneShot(list);
        left = list->count;
    }
    SInt32 draw = rnd(0, left);
    for (SInt16 i = 0; i < list->count; i++) {
        JukeBoxEntry *entry = GetEntreeJukeBox(list, i);
        if (entry->played || draw-- > 0) continue;
        entry->played = 1;
        return i;
    }
    return -1;
}

void CleareListeOneShot(JukeBoxList *list) {
    if (!list) return;
    for (SInt16 i = 0; i < list->count; i++) GetEntreeJukeBox(list, i)->played = 0;
}

JukeBoxEntry *GetEntreeJukeBox(JukeBoxList *list, SInt16 index) {
    if (!list || !list->entries || index < 0 || index >= list->count) return nullptr;
    return reinterpret_cast<JukeBoxEntry *>(*list->entries) + index;
}
