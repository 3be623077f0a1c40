// The command target's virtual operations: their order, the dormant
// component-object answers, deletion after the last release and command
// translation through the class tables.
#include <gtest/gtest.h>
#include <cstdint>
#include <cstring>
#include <vector>
#include "framework/windows/messaging/cmd_target.h"
#include "framework/windows/dialogs/dialog.h"
#include "framework/windows/messaging/win_app.h"
#include "framework/windows/messaging/window.h"

namespace {

// A virtual member's pointer holds one more than its byte offset in the
// virtual table; -1 for a member that is not virtual.
template <class F> int SlotOf(F member) {
    struct Parts {
        std::uintptr_t pointer;
        std::ptrdiff_t adjustment;
    };
    static_assert(sizeof(F) == sizeof(Parts));
    Parts parts;
    std::memcpy(&parts, &member, sizeof parts);
    if ((parts.pointer & 1) == 0) {
        return -1;
    }
    return static_cast<int>((parts.pointer - 1) / sizeof(void*));
}

constexpr GUID kGroupA = {0x11111111, 0x2222, 0x3333, {1, 2, 3, 4, 5, 6, 7, 8}};
constexpr GUID kGroupB = {0x11111111, 0x2222, 0x3333, {1, 2, 3, 4, 5, 6, 7, 9}};

class TranslatingBase : public CCmdTarget {
    LUM_DECLARE_COMMAND_TABLE()
};

class TranslatingDerived : public TranslatingBase {
    LUM_DECLARE_COMMAND_TABLE()
};

LUM_BEGIN_COMMAND_TABLE(TranslatingBase, CCmdTarget)
LUM_TRANSLATE_COMMAND(&kGroupA, 1, 0x100)
LUM_TRANSLATE_COMMAND(nullptr, 2, 0x200)
LUM_END_COMMAND_TABLE(TranslatingBase, CCmdTarget)

LUM_BEGIN_COMMAND_TABLE(TranslatingDerived, TranslatingBase)
LUM_TRANSLATE_COMMAND(&kGroupA, 1, 0x111)
LUM_TRANSLATE_COMMAND(&kGroupB, 3, 0x300)
LUM_TRANSLATE_COMMAND(&kGroupA, 9, 0) // ends the array: no id
LUM_TRANSLATE_COMMAND(&kGroupA, 4, 0x400)
LUM_END_COMMAND_TABLE(TranslatingDerived, TranslatingBase)

// Routes a translation request; the answer is the id, 0 when none matched.
UINT Translate(CCmdTarget& target, UINT command, const GUID* group) {
    CCmdTranslation request;
    request.group = group;
    return target.RouteCommand(command, kRouteTranslate, &request, nullptr) ? request.id : 0;
}

} // namespace

TEST(CmdTargetOrder, OperationsFollowTheObjectsInTheirFixedOrder) {
    const std::vector<int> slots = {
        SlotOf(&CCmdTarget::RouteCommand),
        SlotOf(&CCmdTarget::DeleteAfterLastRelease),
        SlotOf(&CCmdTarget::IsAutomationCallAllowed),
        SlotOf(&CCmdTarget::GetAutomationInterfaceId),
        SlotOf(&CCmdTarget::CountTypeInfos),
        SlotOf(&CCmdTarget::GetTypeLibraryCache),
        SlotOf(&CCmdTarget::LoadTypeLibrary),
        SlotOf(&CCmdTarget::GetClassMessageMap),
        SlotOf(&CCmdTarget::GetClassCommandTable),
        SlotOf(&CCmdTarget::GetClassAutomationTable),
        SlotOf(&CCmdTarget::GetClassConnectionTable),
        SlotOf(&CCmdTarget::GetClassInterfaceTable),
        SlotOf(&CCmdTarget::GetClassEventSinkTable),
        SlotOf(&CCmdTarget::CreateAggregatedObjects),
        SlotOf(&CCmdTarget::QueryInterfaceOverride),
        SlotOf(&CCmdTarget::CollectExtraConnectionPoints),
        SlotOf(&CCmdTarget::QueryConnectionOverride),
    };
    // The object's class query and its destructor's two entries come first.
    ASSERT_EQ(SlotOf(&CObject::GetRuntimeClassInfo), 0);
    for (size_t i = 0; i < slots.size(); ++i) {
        EXPECT_EQ(slots[i], static_cast<int>(3 + i)) << "operation " << i + 1;
    }
    const int next = 3 + static_cast<int>(slots.size());
    EXPECT_EQ(SlotOf(&CWnd::BeforeSubclass), next) << "the window's own come after";
    EXPECT_EQ(SlotOf(&CWinThread::StartInstance), next) << "so do the thread's";
    EXPECT_EQ(SlotOf(&CDialog::RouteCommand), 3) << "an override keeps its slot";
    EXPECT_EQ(SlotOf(&CWinApp::GetClassMessageMap), 10);
}

TEST(CmdTargetOrder, DormantHooksAnswerAsAnObjectWithoutComponentSupport) {
    CCmdTarget t;
    EXPECT_TRUE(t.IsAutomationCallAllowed(7));
    GUID id = kGroupA;
    EXPECT_FALSE(t.GetAutomationInterfaceId(&id));
    EXPECT_EQ(t.CountTypeInfos(), 0u);
    EXPECT_EQ(t.GetTypeLibraryCache(), nullptr);
    void* library = &t;
    EXPECT_EQ(t.LoadTypeLibrary(0, &library), static_cast<HRESULT>(0x80029C4A));
    EXPECT_EQ(library, nullptr);
    EXPECT_EQ(t.GetClassCommandTable(), &CCmdTarget::commandTable);
    for (const DormantClassTable* table :
         {t.GetClassAutomationTable(), t.GetClassConnectionTable(), t.GetClassInterfaceTable(),
          t.GetClassEventSinkTable()}) {
        ASSERT_NE(table, nullptr);
        EXPECT_EQ(table->base, nullptr);
        EXPECT_EQ(*static_cast<const DWORD*>(table->entries), 0u) << "empty";
    }
    EXPECT_TRUE(t.CreateAggregatedObjects());
    EXPECT_EQ(t.QueryInterfaceOverride(&id), nullptr);
    EXPECT_FALSE(t.CollectExtraConnectionPoints(nullptr));
    EXPECT_EQ(t.QueryConnectionOverride(id), nullptr);
}

TEST(CmdTargetOrder, LastReleaseLetsTheCacheGoThenDeletesTheObject) {
    struct Cache : TypeLibraryCache {
        void Release() override { events->push_back(1); }
        std::vector<int>* events;
    };
    struct Target : CCmdTarget {
        ~Target() override { events->push_back(2); }
        TypeLibraryCache* GetTypeLibraryCache() override { return cache; }
        std::vector<int>* events;
        Cache* cache;
    };
    std::vector<int> events;
    Cache cache;
    cache.events = &events;
    auto* target = new Target;
    target->events = &events;
    target->cache = &cache;
    target->DeleteAfterLastRelease();
    EXPECT_EQ(events, (std::vector<int>{1, 2}));

    events.clear();
    target = new Target;
    target->events = &events;
    target->cache = nullptr;
    target->DeleteAfterLastRelease();
    EXPECT_EQ(events, (std::vector<int>{2})) << "no cache: only the deletion";
}

TEST(CommandTranslation, DerivedTableFirstThenTheBase) {
    TranslatingDerived t;
    EXPECT_EQ(Translate(t, 1, &kGroupA), 0x111u);
    EXPECT_EQ(Translate(t, 3, &kGroupB), 0x300u);
    EXPECT_EQ(Translate(t, 2, nullptr), 0x200u) << "from the base's table";
    TranslatingBase base;
    EXPECT_EQ(Translate(base, 1, &kGroupA), 0x100u);
}

TEST(CommandTranslation, GroupsMatchByTheirBytesAndNoneOnlyNone) {
    TranslatingDerived t;
    const GUID copy = kGroupA;
    EXPECT_EQ(Translate(t, 1, &copy), 0x111u) << "another copy of the same group";
    EXPECT_EQ(Translate(t, 3, &kGroupA), 0u) << "a group differing in its last byte";
    EXPECT_EQ(Translate(t, 1, nullptr), 0u) << "no group against a group";
    EXPECT_EQ(Translate(t, 2, &kGroupA), 0u) << "a group against none";
}

TEST(CommandTranslation, NoMatchAnswersFalseAndLeavesTheRequest) {
    TranslatingDerived t;
    CCmdTranslation request;
    request.group = &kGroupA;
    request.id = 0x55;
    EXPECT_FALSE(t.RouteCommand(99, kRouteTranslate, &request, nullptr));
    EXPECT_EQ(request.id, 0x55u);
    EXPECT_FALSE(t.RouteCommand(4, kRouteTranslate, &request, nullptr))
        << "an entry without an id ends the table";
    EXPECT_FALSE(t.RouteCommand(1, kRouteTranslate, nullptr, nullptr)) << "no request";
    CCmdTarget plain;
    EXPECT_EQ(Translate(plain, 1, &kGroupA), 0u);
}
