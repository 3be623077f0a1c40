// The message lookup cache: repeated messages, handled or not, are answered
// without walking the class chain; slots shared by two classes are taken
// over correctly; registered messages are matched by their numbers.
//
// Some classes here keep their map in writable memory, so that a test can
// change what the chain holds after a lookup: an answer that does not
// follow the change came from the cache, one that does came from a walk.
// The cache is never cleared, so every test uses message numbers of its own.
// Each thread keeps its own cache.
#include <gtest/gtest.h>
#include <thread>
#include <vector>
#include "tests/windows/window_test_support.h"

namespace {

using wintest::kDefaultAnswer;
using wintest::Seen;

template <int N> class MutableMapWnd : public wintest::ObservingWnd {
public:
    using ThisClass = MutableMapWnd;
    const MessageMap* GetClassMessageMap() const override { return &messageMap; }
    void OnHit(WPARAM w, LPARAM) { hits.push_back({static_cast<UINT>(N), w, 0}); }

    static MessageMapEntry entries[];
    static MessageMap messageMap;
    std::vector<Seen> hits;
};

// Outside any test's range until a test points it at its own message.
constexpr UINT kParked = WM_APP + 0x3FFF;

// clang-format off
template <int N>
MessageMapEntry MutableMapWnd<N>::entries[] = {
    LUM_ON_MESSAGE(kParked, LumForm::VoidWParamLParam, OnHit)
    {0, 0, 0, 0, 0, nullptr}};
// clang-format on
template <int N>
MessageMap MutableMapWnd<N>::messageMap = {&CWnd::messageMap, MutableMapWnd<N>::entries};

UINT SlotOf(UINT message, const MessageMap* map) {
    return (message ^ static_cast<UINT>(reinterpret_cast<UINT_PTR>(map))) & 0x1FF;
}

// Puts an entry back where no test message reaches it, whatever happens.
class Parked {
public:
    explicit Parked(MessageMapEntry& e) : entry(e) {}
    ~Parked() { entry.message = kParked; }
    Parked(const Parked&) = delete;
    Parked& operator=(const Parked&) = delete;

private:
    MessageMapEntry& entry;
};

TEST(LookupCache, AHandledMessageIsAnsweredFromTheCacheOnRepeat) {
    using A = MutableMapWnd<1>;
    Parked parked(A::entries[0]);
    A w;
    ASSERT_TRUE(wintest::CreateTop(w));
    w.defaults.clear();
    const UINT m = WM_APP + 0x1001;
    A::entries[0].message = m;
    EXPECT_EQ(SendMessageA(w.windowHandle, m, 1, 0), 0);
    // The chain no longer holds it; the cached entry still answers.
    A::entries[0].message = WM_APP + 0x1002;
    EXPECT_EQ(SendMessageA(w.windowHandle, m, 2, 0), 0);
    // A message not seen before is looked up in the chain as it is now.
    EXPECT_EQ(SendMessageA(w.windowHandle, WM_APP + 0x1002, 3, 0), 0);
    EXPECT_EQ(w.hits, (std::vector<Seen>{{1, 1, 0}, {1, 2, 0}, {1, 3, 0}}));
    EXPECT_TRUE(w.defaults.empty());
}

TEST(LookupCache, AMissIsCachedAndGoesToDefaultProcessingAgain) {
    using A = MutableMapWnd<2>;
    Parked parked(A::entries[0]);
    A w;
    ASSERT_TRUE(wintest::CreateTop(w));
    const UINT m = WM_APP + 0x1101;
    w.defaults.clear();
    EXPECT_EQ(SendMessageA(w.windowHandle, m, 1, 2), kDefaultAnswer);
    // Found in the chain now, but the cached miss answers without a walk.
    A::entries[0].message = m;
    EXPECT_EQ(SendMessageA(w.windowHandle, m, 3, 4), kDefaultAnswer);
    EXPECT_TRUE(w.hits.empty());
    EXPECT_EQ(w.defaults, (std::vector<Seen>{{m, 1, 2}, {m, 3, 4}}));
}

TEST(LookupCache, AMessageNoClassHandlesGoesToTheDefaultProcedureEveryTime) {
    wintest::ObservingWnd w;
    ASSERT_TRUE(wintest::CreateTop(w));
    const UINT m = WM_APP + 0x1151;
    w.defaults.clear();
    for (LPARAM i = 0; i < 3; ++i) {
        EXPECT_EQ(SendMessageA(w.windowHandle, m, 0, i), kDefaultAnswer);
    }
    EXPECT_EQ(w.defaults, (std::vector<Seen>{{m, 0, 0}, {m, 0, 1}, {m, 0, 2}}));
    // A real default procedure gets the messages too.
    for (int i = 0; i < 2; ++i) {
        SetWindowTextA(w.windowHandle, "abc");
        EXPECT_EQ(SendMessageA(w.windowHandle, WM_GETTEXTLENGTH, 0, 0), 3);
    }
}

TEST(LookupCache, EachThreadAnswersFromItsOwnCache) {
    using A = MutableMapWnd<7>;
    Parked parked(A::entries[0]);
    const UINT m = WM_APP + 0x1201;
    A::entries[0].message = m;
    A w;
    ASSERT_TRUE(wintest::CreateTop(w));
    w.defaults.clear();
    SendMessageA(w.windowHandle, m, 1, 0);
    A::entries[0].message = kParked;
    // The same class on another thread walks the chain as it is now.
    bool created = false;
    LRESULT elsewhere = 0;
    std::vector<Seen> otherHits;
    std::thread worker([&] {
        A other;
        created = wintest::CreateTop(other, "other");
        if (created) {
            elsewhere = SendMessageA(other.windowHandle, m, 2, 0);
            otherHits = other.hits;
            other.DestroyHandle();
        }
    });
    worker.join();
    ASSERT_TRUE(created);
    EXPECT_EQ(elsewhere, kDefaultAnswer);
    EXPECT_TRUE(otherHits.empty());
    SendMessageA(w.windowHandle, m, 3, 0);
    EXPECT_EQ(w.hits, (std::vector<Seen>{{7, 1, 0}, {7, 3, 0}}));
    EXPECT_TRUE(w.defaults.empty());
}

TEST(LookupCache, TwoClassesSharingASlotEvictEachOtherAndStillDispatchCorrectly) {
    using A = MutableMapWnd<3>;
    using B = MutableMapWnd<4>;
    Parked parkedA(A::entries[0]);
    Parked parkedB(B::entries[0]);
    ASSERT_NE(&A::messageMap, &B::messageMap);
    const UINT ma = WM_APP + 0x2000;
    const UINT slot = SlotOf(ma, &A::messageMap);
    // Same slot, another message: the low 9 bits of B's map decide.
    const UINT mb = WM_APP + 0x2400 + (SlotOf(slot, &B::messageMap));
    ASSERT_EQ(SlotOf(mb, &B::messageMap), slot);
    ASSERT_NE(ma, mb);
    A::entries[0].message = ma;
    B::entries[0].message = mb;

    A a;
    B b;
    ASSERT_TRUE(wintest::CreateTop(a, "a"));
    ASSERT_TRUE(wintest::CreateTop(b, "b"));
    a.defaults.clear();
    b.defaults.clear();
    for (WPARAM i = 1; i <= 3; ++i) {
        SendMessageA(a.windowHandle, ma, i, 0);
        SendMessageA(b.windowHandle, mb, 10 + i, 0);
    }
    // Each class's message to the other class is not handled.
    EXPECT_EQ(SendMessageA(a.windowHandle, mb, 20, 0), kDefaultAnswer);
    EXPECT_EQ(SendMessageA(b.windowHandle, ma, 21, 0), kDefaultAnswer);
    EXPECT_EQ(a.hits, (std::vector<Seen>{{3, 1, 0}, {3, 2, 0}, {3, 3, 0}}));
    EXPECT_EQ(b.hits, (std::vector<Seen>{{4, 11, 0}, {4, 12, 0}, {4, 13, 0}}));
    EXPECT_EQ(a.defaults, (std::vector<Seen>{{mb, 20, 0}}));
    EXPECT_EQ(b.defaults, (std::vector<Seen>{{ma, 21, 0}}));

    // B's lookup took the slot: A's next lookup walks A's chain as it is now.
    SendMessageA(b.windowHandle, mb, 14, 0);
    A::entries[0].message = kParked;
    EXPECT_EQ(SendMessageA(a.windowHandle, ma, 5, 0), kDefaultAnswer);
    // And A's cached miss took it back from B.
    B::entries[0].message = kParked;
    EXPECT_EQ(SendMessageA(b.windowHandle, mb, 15, 0), kDefaultAnswer);
    EXPECT_EQ(a.hits.size(), 3u);
    EXPECT_EQ(b.hits.back(), (Seen{4, 14, 0}));
}

TEST(LookupCache, TwoMessagesOfOneClassSharingASlotAreToldApart) {
    using A = MutableMapWnd<6>;
    Parked parked(A::entries[0]);
    const UINT m = WM_APP + 0x2600;
    const UINT sameSlot = m + 0x200;
    ASSERT_EQ(SlotOf(m, &A::messageMap), SlotOf(sameSlot, &A::messageMap));
    A::entries[0].message = m;
    A w;
    ASSERT_TRUE(wintest::CreateTop(w));
    w.defaults.clear();
    SendMessageA(w.windowHandle, m, 1, 0);
    EXPECT_EQ(SendMessageA(w.windowHandle, sameSlot, 2, 0), kDefaultAnswer);
    SendMessageA(w.windowHandle, m, 3, 0);
    EXPECT_EQ(w.hits, (std::vector<Seen>{{6, 1, 0}, {6, 3, 0}}));
    EXPECT_EQ(w.defaults, (std::vector<Seen>{{sameSlot, 2, 0}}));
}

// Two classes whose maps lie 512 bytes apart, so that every message falls
// into the same slot for both: only the map tells their answers apart.
class TwinBase : public wintest::ObservingWnd {
public:
    using ThisClass = TwinBase;
    static const MessageMapEntry firstEntries[];
    static const MessageMapEntry secondEntries[];
    void OnFirst(WPARAM w, LPARAM) { hits.push_back({1, w, 0}); }
    void OnSecond(WPARAM w, LPARAM) { hits.push_back({2, w, 0}); }
    std::vector<Seen> hits;
};

constexpr UINT kTwinShared = WM_APP + 0x2800;
constexpr UINT kTwinFirstOnly = WM_APP + 0x2801;

// clang-format off
const MessageMapEntry TwinBase::firstEntries[] = {
    LUM_ON_MESSAGE(kTwinShared, LumForm::VoidWParamLParam, OnFirst)
    LUM_ON_MESSAGE(kTwinFirstOnly, LumForm::VoidWParamLParam, OnFirst)
    {0, 0, 0, 0, 0, nullptr}};
const MessageMapEntry TwinBase::secondEntries[] = {
    LUM_ON_MESSAGE(kTwinShared, LumForm::VoidWParamLParam, OnSecond)
    {0, 0, 0, 0, 0, nullptr}};
// clang-format on

MessageMap* TwinMaps() {
    alignas(512) static MessageMap maps[65] = {};
    static const bool filled = [] {
        maps[0] = {&CWnd::messageMap, TwinBase::firstEntries};
        maps[64] = {&CWnd::messageMap, TwinBase::secondEntries};
        return true;
    }();
    (void)filled;
    return maps;
}

class TwinFirst : public TwinBase {
public:
    const MessageMap* GetClassMessageMap() const override { return &TwinMaps()[0]; }
};
class TwinSecond : public TwinBase {
public:
    const MessageMap* GetClassMessageMap() const override { return &TwinMaps()[64]; }
};

TEST(LookupCache, TheSameMessageToTwoClassesInOneSlotReachesEachClasssHandler) {
    TwinFirst first;
    TwinSecond second;
    ASSERT_EQ(SlotOf(kTwinShared, &TwinMaps()[0]), SlotOf(kTwinShared, &TwinMaps()[64]));
    ASSERT_TRUE(wintest::CreateTop(first, "first"));
    ASSERT_TRUE(wintest::CreateTop(second, "second"));
    second.defaults.clear();
    for (WPARAM i = 1; i <= 2; ++i) {
        SendMessageA(first.windowHandle, kTwinShared, i, 0);
        SendMessageA(second.windowHandle, kTwinShared, 10 + i, 0);
        SendMessageA(first.windowHandle, kTwinFirstOnly, 20 + i, 0);
        EXPECT_EQ(SendMessageA(second.windowHandle, kTwinFirstOnly, 30 + i, 0), kDefaultAnswer);
    }
    EXPECT_EQ(first.hits, (std::vector<Seen>{{1, 1, 0}, {1, 21, 0}, {1, 2, 0}, {1, 22, 0}}));
    EXPECT_EQ(second.hits, (std::vector<Seen>{{2, 11, 0}, {2, 12, 0}}));
    EXPECT_EQ(second.defaults,
              (std::vector<Seen>{{kTwinFirstOnly, 31, 0}, {kTwinFirstOnly, 32, 0}}));
}

// Five classes: the message is handled only in the map of the first, four
// levels above the class of the window.
class Level1 : public MutableMapWnd<5> {
    LUM_DECLARE_MESSAGE_MAP(Level1)
public:
    void OnOwn(WPARAM w, LPARAM) { hits.push_back({11, w, 0}); }
};
class Level2 : public Level1 {
    LUM_DECLARE_MESSAGE_MAP(Level2)
public:
    void OnOwn(WPARAM w, LPARAM) { hits.push_back({12, w, 0}); }
};
class Level3 : public Level2 {
    LUM_DECLARE_MESSAGE_MAP(Level3)
public:
    void OnOwn(WPARAM w, LPARAM) { hits.push_back({13, w, 0}); }
};
class Level4 : public Level3 {
    LUM_DECLARE_MESSAGE_MAP(Level4)
public:
    void OnOwn(WPARAM w, LPARAM) { hits.push_back({14, w, 0}); }
};

constexpr UINT kLevelOwn = WM_APP + 0x3000;

LUM_BEGIN_MESSAGE_MAP(Level1, MutableMapWnd<5>)
LUM_ON_MESSAGE(kLevelOwn + 1, LumForm::VoidWParamLParam, OnOwn)
LUM_END_MESSAGE_MAP(Level1, MutableMapWnd<5>)
LUM_BEGIN_MESSAGE_MAP(Level2, Level1)
LUM_ON_MESSAGE(kLevelOwn + 2, LumForm::VoidWParamLParam, OnOwn)
LUM_END_MESSAGE_MAP(Level2, Level1)
LUM_BEGIN_MESSAGE_MAP(Level3, Level2)
LUM_ON_MESSAGE(kLevelOwn + 3, LumForm::VoidWParamLParam, OnOwn)
LUM_END_MESSAGE_MAP(Level3, Level2)
LUM_BEGIN_MESSAGE_MAP(Level4, Level3)
LUM_ON_MESSAGE(kLevelOwn + 4, LumForm::VoidWParamLParam, OnOwn)
LUM_ON_MESSAGE(kLevelOwn + 2, LumForm::VoidWParamLParam, OnOwn)
LUM_END_MESSAGE_MAP(Level4, Level3)

TEST(LookupCache, AnEntryFourLevelsUpIsFoundAndCachedUnderTheWindowsClass) {
    using Top = MutableMapWnd<5>;
    Parked parked(Top::entries[0]);
    const UINT m = WM_APP + 0x3101;
    Top::entries[0].message = m;
    Level4 w;
    Level3 other;
    ASSERT_TRUE(wintest::CreateTop(w, "level4"));
    ASSERT_TRUE(wintest::CreateTop(other, "level3"));
    w.defaults.clear();
    other.defaults.clear();

    SendMessageA(w.windowHandle, m, 1, 0);
    // The nearest map wins where two levels handle a message.
    SendMessageA(w.windowHandle, kLevelOwn + 2, 2, 0);
    SendMessageA(w.windowHandle, kLevelOwn + 1, 3, 0);
    EXPECT_EQ(w.hits, (std::vector<Seen>{{5, 1, 0}, {14, 2, 0}, {11, 3, 0}}));

    // Gone from the chain: the window's class still has it cached; a class
    // that never asked walks its chain and finds nothing.
    Top::entries[0].message = kParked;
    w.hits.clear();
    SendMessageA(w.windowHandle, m, 4, 0);
    EXPECT_EQ(w.hits, (std::vector<Seen>{{5, 4, 0}}));
    EXPECT_EQ(SendMessageA(other.windowHandle, m, 5, 0), kDefaultAnswer);
    EXPECT_TRUE(other.hits.empty());
    EXPECT_TRUE(w.defaults.empty());
}

UINT firstRegistered = RegisterWindowMessageA("LumLookupCacheFirst");
UINT secondRegistered = RegisterWindowMessageA("LumLookupCacheSecond");
UINT thirdRegistered = RegisterWindowMessageA("LumLookupCacheThird");

class RegisteredBase : public wintest::ObservingWnd {
    LUM_DECLARE_MESSAGE_MAP(RegisteredBase)
public:
    LRESULT OnFirst(WPARAM w, LPARAM l) { return Hit(1, w, l); }
    LRESULT OnSecond(WPARAM w, LPARAM l) { return Hit(2, w, l); }
    LRESULT Hit(UINT tag, WPARAM w, LPARAM l) {
        hits.push_back({tag, w, l});
        return static_cast<LRESULT>(100 * tag + w);
    }
    std::vector<Seen> hits;
};

class RegisteredDerived : public RegisteredBase {
    LUM_DECLARE_MESSAGE_MAP(RegisteredDerived)
public:
    LRESULT OnThird(WPARAM w, LPARAM l) { return Hit(3, w, l); }
};

LUM_BEGIN_MESSAGE_MAP(RegisteredBase, wintest::ObservingWnd)
LUM_ON_REGISTERED_MESSAGE(firstRegistered, OnFirst)
LUM_ON_REGISTERED_MESSAGE(secondRegistered, OnSecond)
LUM_END_MESSAGE_MAP(RegisteredBase, wintest::ObservingWnd)

LUM_BEGIN_MESSAGE_MAP(RegisteredDerived, RegisteredBase)
LUM_ON_REGISTERED_MESSAGE(thirdRegistered, OnThird)
LUM_END_MESSAGE_MAP(RegisteredDerived, RegisteredBase)

TEST(LookupCache, RegisteredMessagesAreMatchedByTheNumberInTheirVariable) {
    ASSERT_GE(firstRegistered, 0xC000u);
    ASSERT_NE(secondRegistered, firstRegistered);
    ASSERT_NE(thirdRegistered, secondRegistered);
    RegisteredDerived w;
    ASSERT_TRUE(wintest::CreateTop(w));
    w.defaults.clear();
    for (WPARAM pass = 0; pass < 2; ++pass) {
        SCOPED_TRACE(pass == 0 ? "looked up" : "from the cache");
        // The second entry of a map, past another registered one.
        EXPECT_EQ(SendMessageA(w.windowHandle, secondRegistered, pass, 7),
                  200 + static_cast<LRESULT>(pass));
        // An entry of the base map, after the derived map's own.
        EXPECT_EQ(SendMessageA(w.windowHandle, firstRegistered, pass, 8),
                  100 + static_cast<LRESULT>(pass));
        EXPECT_EQ(SendMessageA(w.windowHandle, thirdRegistered, pass, 9),
                  300 + static_cast<LRESULT>(pass));
    }
    EXPECT_EQ(w.hits, (std::vector<Seen>{
                          {2, 0, 7}, {1, 0, 8}, {3, 0, 9}, {2, 1, 7}, {1, 1, 8}, {3, 1, 9}}));
    EXPECT_TRUE(w.defaults.empty());
    // The number every registered entry carries is not a message of its own.
    w.hits.clear();
    if (firstRegistered != 0xC000 && secondRegistered != 0xC000 && thirdRegistered != 0xC000) {
        SendMessageA(w.windowHandle, 0xC000, 0, 0);
        EXPECT_TRUE(w.hits.empty());
        EXPECT_EQ(w.defaults, (std::vector<Seen>{{0xC000, 0, 0}}));
    }
}

// Sends kOwnMessage to its window from its destructor, when the object is a
// TellingWnd and no longer the ListeningWnd it was, whose map handles it.
constexpr UINT kOwnMessage = WM_APP + 0x1301;

class TellingWnd : public wintest::ObservingWnd {
public:
    ~TellingWnd() override {
        if (windowHandle != nullptr) {
            answerWhileDestroyed = SendMessageA(windowHandle, kOwnMessage, 0, 0);
        }
    }
    static inline LRESULT answerWhileDestroyed = -1;
};

class ListeningWnd : public TellingWnd {
public:
    using ThisClass = ListeningWnd;
    const MessageMap* GetClassMessageMap() const override { return &messageMap; }
    LRESULT OnOwn(WPARAM, LPARAM) { return ++heard; }

    static const MessageMapEntry entries[];
    static const MessageMap messageMap;
    static inline int heard = 0;
};

// clang-format off
const MessageMapEntry ListeningWnd::entries[] = {
    LUM_ON_MESSAGE(kOwnMessage, LumForm::LresultWParamLParam, OnOwn)
    {0, 0, 0, 0, 0, nullptr}};
// clang-format on
const MessageMap ListeningWnd::messageMap = {&CWnd::messageMap, ListeningWnd::entries};

TEST(LookupCache, AnObjectBeingDestroyedIsDispatchedByTheMapOfWhatItIsNow) {
    {
        ListeningWnd w;
        ASSERT_TRUE(wintest::CreateTop(w));
        EXPECT_EQ(SendMessageA(w.windowHandle, kOwnMessage, 0, 0), 1);
        EXPECT_EQ(SendMessageA(w.windowHandle, kOwnMessage, 0, 0), 2);
    }
    // The derived part was gone: its handler must not have run again.
    EXPECT_EQ(ListeningWnd::heard, 2);
    EXPECT_EQ(TellingWnd::answerWhileDestroyed, kDefaultAnswer);
}

} // namespace
