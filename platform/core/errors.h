// The one list of Toolbox-style result codes used by every manager.
#pragma once

#include "platform/core/mac_types.h"

enum : OSErr {
    noErr = 0,
    // files
    dirFulErr = -33,
    dskFulErr = -34,
    nsvErr = -35,
    ioErr = -36,
    bdNamErr = -37,
    fnOpnErr = -38,
    eofErr = -39,
    posErr = -40,
    tmfoErr = -42,
    fnfErr = -43,
    wPrErr = -44,
    fLckdErr = -45,
    vLckdErr = -46,
    fBsyErr = -47,
    dupFNErr = -48,
    opWrErr = -49,
    paramErr = -50,
    rfNumErr = -51,
    permErr = -54,
    wrPermErr = -61,
    dirNFErr = -120,
    // memory
    memFullErr = -108,
    nilHandleErr = -109,
    memWZErr = -111,
    memLockedErr = -117,
    // resources
    resNotFound = -192,
    resFNotFound = -193,
    addResFailed = -194,
    rmvResFailed = -196,
    resAttrErr = -198,
    mapReadErr = -199,
    // scrap
    noScrapErr = -100,
    noTypeErr = -102,
    // events, apple events
    eventNotHandledErr = -9874,
    collectionItemNotFoundErr = -5751,
    errAEDescNotFound = -1701,
    errAENotAppleEvent = -1707,
    errAEEventNotHandled = -1708,
    // sound
    notEnoughHardwareErr = -201,
    queueFull = -203,
    kBadFormatErr = -204,     // unrecognised sound data format
    badChannel = -205,
    kBadEncodingErr = -206,   // unsupported encoding
    kBadHeaderErr = -207,     // header beyond the data, or no memory for the image
    // printing
    iPrAbort = 128,
    // QuickDraw
    noMemForPictPlaybackErr = -145,
    rgnOverflowErr = -147,
    pixMapTooDeepErr = -148,
    cMatchErr = -150,
    cDevErr = -155,
    pictureDataErr = -11005,
    // Font Manager
    kFMIterationCompleted = -980,
    // Gestalt
    gestaltUndefSelectorErr = -5551,
};
