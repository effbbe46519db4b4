// Minimal lists: a list record knows its port, its view and its owner's handle. Nothing the
// player shows is a list; the record is what the accessors of the portability library read.
#include "toolbox/lists.h"

#include "platform/core/memory.h"

ListHandle LNew(const Rect *rView, WindowPtr w) {
    if (!rView || !w) return nullptr;
    ListHandle list = reinterpret_cast<ListHandle>(NewHandleClear(sizeof(ListRec)));
    if (!list) return nullptr;
    (**list).rView = *rView;
    (**list).port = &w->port;
    return list;
}

void LDispose(ListHandle list) {
    if (list && OrvaIsValidHandle(reinterpret_cast<Handle>(list))) DisposHandle(reinterpret_cast<Handle>(list));
}

GrafPtr GetListPort(ListHandle list) { return list && *list ? (**list).port : nullptr; }

void SetListUserHandle(ListHandle list, Handle h) {
    if (list && *list) (**list).userHandle = h;
}

Handle GetListUserHandle(ListHandle list) { return list && *list ? (**list).userHandle : nullptr; }
