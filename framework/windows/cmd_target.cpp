#include "framework/windows/cmd_target.h"

LUM_IMPLEMENT_CLASS(CCmdTarget, CObject)

namespace {
const MessageMapEntry cmdTargetEntries[] = {LUM_MAP_END};
}

const MessageMap CCmdTarget::messageMap = {nullptr, cmdTargetEntries};

const MessageMap* CCmdTarget::GetClassMessageMap() const { return &messageMap; }

const MessageMapEntry* LookUpMapEntry(const MessageMapEntry* entries, UINT message, UINT code,
                                      UINT id) {
    for (const MessageMapEntry* e = entries; e->signature != 0; ++e) {
        if (e->message == message && e->code == code && e->firstId <= id && id <= e->lastId) {
            return e;
        }
    }
    return nullptr;
}
