// The handler forms of command routing. Included by handler_forms.h, after
// the window-message forms and before the dispatch that reads both.
#pragma once

// Command-routing forms (WM_COMMAND, WM_NOTIFY, update requests and their
// reflected forms). Void: the handler gives nothing and routing answers TRUE;
// Bool: the handler's value is the answer (nonzero is TRUE). Id is the
// routed id, Notify the NotifyPacket's header and result slot, CmdUi the
// update request (routing goes on when the handler asks it to), Extra
// routing's extra argument as it came.
namespace LumCommandForm {

using mapform::CommandForm;
using mapform::Result;

struct BoolId : CommandForm<2, Result::Value, UINT> {
    static LRESULT Call(Thunk f, CCmdTarget* t, UINT id, void*) { return f(t, id); }
};
struct Void : CommandForm<12, Result::One> {
    static LRESULT Call(Thunk f, CCmdTarget* t, UINT, void*) { return f(t); }
};
struct VoidId : CommandForm<13, Result::One, UINT> {
    static LRESULT Call(Thunk f, CCmdTarget* t, UINT id, void*) { return f(t, id); }
};
struct Bool : CommandForm<35, Result::Value> {
    static LRESULT Call(Thunk f, CCmdTarget* t, UINT, void*) { return f(t); }
};
struct VoidNotify : CommandForm<38, Result::One, NMHDR*, LRESULT*> {
    static LRESULT Call(Thunk f, CCmdTarget* t, UINT, void* extra) {
        auto* packet = static_cast<NotifyPacket*>(extra);
        return f(t, packet->header, packet->result);
    }
};
struct BoolNotify : CommandForm<39, Result::Value, NMHDR*, LRESULT*> {
    static LRESULT Call(Thunk f, CCmdTarget* t, UINT, void* extra) {
        auto* packet = static_cast<NotifyPacket*>(extra);
        return f(t, packet->header, packet->result);
    }
};
struct VoidIdNotify : CommandForm<40, Result::One, UINT, NMHDR*, LRESULT*> {
    static LRESULT Call(Thunk f, CCmdTarget* t, UINT id, void* extra) {
        auto* packet = static_cast<NotifyPacket*>(extra);
        return f(t, id, packet->header, packet->result);
    }
};
struct BoolIdNotify : CommandForm<41, Result::Value, UINT, NMHDR*, LRESULT*> {
    static LRESULT Call(Thunk f, CCmdTarget* t, UINT id, void* extra) {
        auto* packet = static_cast<NotifyPacket*>(extra);
        return f(t, id, packet->header, packet->result);
    }
};
struct VoidCmdUi : CommandForm<44, Result::UpdateRouting, CCmdUI*> {
    static LRESULT Call(Thunk f, CCmdTarget* t, UINT, void* extra) {
        return f(t, static_cast<CCmdUI*>(extra));
    }
};
struct VoidCmdUiId : CommandForm<45, Result::UpdateRouting, CCmdUI*, UINT> {
    static LRESULT Call(Thunk f, CCmdTarget* t, UINT id, void* extra) {
        return f(t, static_cast<CCmdUI*>(extra), id);
    }
};
struct VoidExtra : CommandForm<46, Result::One, void*> {
    static LRESULT Call(Thunk f, CCmdTarget* t, UINT, void* extra) { return f(t, extra); }
};
struct BoolExtra : CommandForm<47, Result::Value, void*> {
    static LRESULT Call(Thunk f, CCmdTarget* t, UINT, void* extra) { return f(t, extra); }
};

using AllForms = mapform::FormList<BoolId, Void, VoidId, Bool, VoidNotify, BoolNotify, VoidIdNotify,
                                   BoolIdNotify, VoidCmdUi, VoidCmdUiId, VoidExtra, BoolExtra>;

} // namespace LumCommandForm
