// The native score file: header, chunk loop, registry and the format table's row.
#include "score/native_score.h"

#include <cstdio>
#include <cstring>

#include "platform/core/memory.h"
#include "platform/core/runtime.h"
#include "score/archives.h"
#include "score/byte_stream.h"
#include "score/measures.h"
#include "score/score_formats.h"
#include "score/score_hooks.h"

namespace {

const UInt32 kTeteOctets = 16;
const OSType kChunkFin = FourCC("FIN ");
const UInt32 kLectureMorceau = 65536;  // bytes of a chunk read into memory at a time

// Rows registered by later floors. Main thread only.
struct ChunkRegistry {
    const NativeChunkOps *rows[kMaxChunksNatifs];
    SInt32 count;
};
ChunkRegistry gChunks;

Boolean ChargeFichierNatif(DocumentRecord *document, const char *path, SInt16 element);
Boolean LitTete(UInt32 *version, UInt32 *flags);
Boolean LitChunks(NativeLoadRecord *load);
Boolean PasseOctets(UInt32 count);
Boolean Echec(NativeLoadRecord *load, const char *fault);
const NativeChunkOps *RechercheChunk(OSType tag, SInt32 *index);
void Trace(const char *text);

}  // namespace

const ScoreFormatOps kFormatNatif = {"native", {"oms", "*", nullptr, nullptr}, ChargeFichierNatif,
                                   kFormatUnDocument, nullptr, nullptr, nullptr};

Boolean ChargeMusiqueStandard(DocumentRecord *document) {
    if (!document) return kFalse;
    UInt32 version = 0, flags = 0;
    if (!LitTete(&version, &flags)) return kFalse;
    if (version > kNatifVersion) {
        char line[96];
        snprintf(line, sizeof line, "native: version %u is newer than %u", unsigned(version), unsigned(kNatifVersion));
        Trace(line);
        document->newVersion = 1;
        AvertissementVrac(kAvertissementNouvelleVersion);
        return kFalse;
    }
    ScoreHandle previous = document->score;
    NativeLoadRecord load = {};
    load.document = document;
    load.version = version;
    load.fields = NouveauxChampsDocument();
    load.score = load.fields ? CreePartitionVide(document) : nullptr;
    if (!load.score) {
        LibereChampsDocument(&load.fields);
        Trace("native: no memory for the score");
        return kFalse;
    }
    if (flags & kNatifCorpsLzw) SetLZWMode(kTrue);
    Boolean ok = LitChunks(&load);
    if (ok && (flags & kNatifCorpsLzw)) {
        SetLZWMode(kFalse);
        ok = !gFluxOctets.broken;
    }
    if (!ok) {
        // A coding fault was told by the stream itself: one message is enough.
        if (load.fault && !gFluxOctets.broken) {
            char line[kNomFichierCourant + 128];
            snprintf(line, sizeof line, "native: %s in '%s'", load.fault, gFluxOctets.name);
            Trace(line);
        }
        SupprimePartition(document, load.score);
        document->score = previous;
        LibereChampsDocument(&load.fields);
        return kFalse;
    }
    if (load.seen[0] > 0) AppliqueChampsDocument(load.fields, document);  // the document chunk's row comes first
    LibereChampsDocument(&load.fields);
    document->score = load.score;
    RecalculeNbMesures(load.score, 1);
    return kTrue;
}

Boolean SauveMusiqueStandard(DocumentRecord *document, Boolean lzw) {
    if (!document || !IsPartitionValide(document->score)) return kFalse;
    NativeSaveRecord save = {document, document->score};
    UpdateTabEltMesure(save.score, kTabEltTout);
    Boolean ok = WriteLong(SInt32(kNatifMagique)) && WriteLong(SInt32(kNatifMarque)) &&
                 WriteLong(SInt32(kNatifVersion)) && WriteLong(lzw ? SInt32(kNatifCorpsLzw) : 0);
    Boolean previous = SetLZWMode(lzw);
    SInt32 count = 0;
    const NativeChunkOps *model = GetChunksModele(&count);
    for (SInt32 i = 0; i < count && ok; i++) ok = model[i].write(&save);
    for (SInt32 i = 0; i < gChunks.count && ok; i++)
        if (gChunks.rows[i]->write) ok = gChunks.rows[i]->write(&save);
    ok = ok && EcritChunkNatif(kChunkFin, nullptr, 0);
    SetLZWMode(previous);
    return ok && !gFluxOctets.writeFailed;
}

OSErr EnregistreChunkNatif(const NativeChunkOps *row) {
    if (!row || row->tag == kChunkFin) return paramErr;
    SInt32 count = 0;
    const NativeChunkOps *model = GetChunksModele(&count);
    for (SInt32 i = 0; i < count; i++)
        if (model[i].tag == row->tag) return paramErr;
    for (SInt32 i = 0; i < gChunks.count; i++) {
        if (gChunks.rows[i]->tag == row->tag) {
            gChunks.rows[i] = row;
            return noErr;
        }
    }
    if (gChunks.count >= SInt32(kMaxChunksNatifs)) return paramErr;
    gChunks.rows[gChunks.count++] = row;
    return noErr;
}

void OublieChunksNatifs() { gChunks = ChunkRegistry{}; }

OSErr FauteNatif(NativeLoadRecord *load, const char *fault) {
    if (load && !load->fault) load->fault = fault;
    return paramErr;
}

Handle LitOctetsNatif(NativeLoadRecord *load, UInt32 length) {
    if (length > kNatifChunkMax) {
        FauteNatif(load, "chunk too large");
        return nullptr;
    }
    Handle h = NewHandle(0);
    if (!h) {
        FauteNatif(load, "no memory for a chunk");
        return nullptr;
    }
    for (UInt32 done = 0; done < length;) {
        UInt32 part = length - done < kLectureMorceau ? length - done : kLectureMorceau;
        SetHandleSize(h, done + part);
        if (MemError() != noErr) {
            DisposHandle(h);
            FauteNatif(load, "no memory for a chunk");
            return nullptr;
        }
        if (!ReadBlock(*h + done, SInt32(part))) {
            DisposHandle(h);
            FauteNatif(load, "file cut short");
            return nullptr;
        }
        done += part;
    }
    return h;
}

Boolean EcritChunkNatif(OSType tag, const void *bytes, UInt32 length) {
    return WriteLong(SInt32(tag)) && WriteLong(SInt32(length)) && WriteBlock(bytes, SInt32(length));
}

OSErr EnregistreFormatsStockage() {
    OSErr err = EnregistreFormatPartition(&kFormatNatif);
    return err != noErr ? err : EnregistreFormatPartition(&kFormatArchive);
}

namespace {

Boolean ChargeFichierNatif(DocumentRecord *document, const char *path, SInt16) {
    if (!CadenzoOpenFile(path, "rb")) return kFalse;
    Boolean ok = ChargeMusiqueStandard(document);
    CloseFile();
    return ok;
}

// The header, never coded: magic, layout marker, version and flags, each a big-endian u32.
Boolean LitTete(UInt32 *version, UInt32 *flags) {
    UInt8 head[kTeteOctets];
    if (!ReadBlock(head, kTeteOctets)) {
        Trace("native: file too short for a score");
        return kFalse;
    }
    ByteReader r = OrvaByteReader(head, kTeteOctets);
    UInt32 magic = Get32(&r);
    UInt32 marker = Get32(&r);
    *version = Get32(&r);
    *flags = Get32(&r);
    if (magic != kNatifMagique && magic != kNatifMagiqueAncien) {
        Trace("native: not a native score");
        return kFalse;
    }
    // Files of other programs carry the same magic: without our marker nothing else is known.
    if (marker != kNatifMarque || (*version <= kNatifVersion && (*flags & ~UInt32(kNatifCorpsLzw)))) {
        Trace("unsupported native layout");
        return kFalse;
    }
    return kTrue;
}

// Chunks up to the end chunk; each kind's reader takes its bytes, the others are passed over.
Boolean LitChunks(NativeLoadRecord *load) {
    for (;;) {
        UInt8 head[8];
        if (!ReadBlock(head, sizeof head)) return Echec(load, "file cut short before its end chunk");
        ByteReader r = OrvaByteReader(head, sizeof head);
        OSType tag = Get32(&r);
        UInt32 length = Get32(&r);
        if (tag == kChunkFin) return kTrue;
        SInt32 index = -1;
        const NativeChunkOps *row = RechercheChunk(tag, &index);
        if (!row) {
            if (!PasseOctets(length)) return Echec(load, "file cut short");
            continue;
        }
        if (row->once && load->seen[index] > 0) return Echec(load, "repeated chunk");
        load->seen[index]++;
        SInt64 start = PositionLectureFichier();
        if (row->read(load, length) != noErr) return Echec(load, "bad chunk");
        SInt64 used = PositionLectureFichier() - start;
        if (used > SInt64(length)) return Echec(load, "chunk longer than its length");
        if (!PasseOctets(UInt32(SInt64(length) - used)) || gFluxOctets.broken) return Echec(load, "file cut short");
    }
}

Boolean PasseOctets(UInt32 count) {
    const UInt32 step = 0x40000000;
    for (; count > step; count -= step)
        if (!ReadGap(SInt32(step))) return kFalse;
    return ReadGap(SInt32(count));
}

Boolean Echec(NativeLoadRecord *load, const char *fault) {
    FauteNatif(load, fault);
    return kFalse;
}

// The row of a tag and its place (model rows first, then the registered ones).
const NativeChunkOps *RechercheChunk(OSType tag, SInt32 *index) {
    SInt32 count = 0;
    const NativeChunkOps *model = GetChunksModele(&count);
    for (SInt32 i = 0; i < count; i++) {
        if (model[i].tag != tag) continue;
        *index = i;
        return &model[i];
    }
    for (SInt32 i = 0; i < gChunks.count; i++) {
        if (gChunks.rows[i]->tag != tag) continue;
        *index = count + i;
        return gChunks.rows[i];
    }
    return nullptr;
}

void Trace(const char *text) { PlugTrace("%s", text); }

}  // namespace
