// The documents of the demo scores.
#include "tools/demo_scores/demo_documents.h"

#include "platform/core/memory.h"
#include "score/instruments.h"
#include "score/measures.h"

DocumentRecord *CreeDocumentDemo(OSErr (*build)(DocumentRecord *document)) {
    if (!build) return nullptr;
    DocumentRecord *document = reinterpret_cast<DocumentRecord *>(NewPtrClear(sizeof(DocumentRecord)));
    if (!document) return nullptr;
    if (build(document) != noErr) LibereDemoScore(&document);
    return document;
}

void LibereDemoScore(DocumentRecord **document) {
    if (!document || !*document) return;
    VideDocument(*document);
    DisposPtr(reinterpret_cast<Ptr>(*document));
    *document = nullptr;
}

StaffHandle NouvellePorteeDemo(DocumentRecord *document, ScoreHandle *score) {
    *score = CreePartitionVide(document);
    if (!*score) return nullptr;
    SInt16 instrument = AjouteInstrument(*score);
    StaffHandle staff = CreePorteeVide(*score, kPorteeStandard, 1, 0);
    if (staff) (*staff)->instrument = instrument;
    return staff;
}

OSErr TermineDemo(ScoreHandle score) {
    SetTabEltMesureModifie(score, kTabEltTout);
    UpdateTabEltMesure(score, kTabEltTout);
    return noErr;
}
