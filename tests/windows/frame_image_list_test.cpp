// Frame windows and image lists made from their class records, the
// image-list handle table, and thread messages of every thread form.
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <thread>
#include <vector>
#include "framework/windows/messaging/frame_window.h"
#include "framework/windows/handles/handle_table.h"
#include "framework/windows/handles/image_list.h"
#include "framework/windows/messaging/win_thread.h"

namespace {

template <class T> std::unique_ptr<CObject> MadeFromRecord() {
    return std::unique_ptr<CObject>(T::StaticClass()->MakeInstance());
}

HIMAGELIST FakeList(UINT_PTR value) {
    // The wrapper never calls the system with its handle.
    return reinterpret_cast<HIMAGELIST>(value);
}

} // namespace

TEST(ClassRecords, FrameWindowIsCreatableAndAFrame) {
    const RuntimeClassInfo* record = LUM_RUNTIME_CLASS(CFrameWnd);
    EXPECT_STREQ(record->className, "CFrameWnd");
    EXPECT_EQ(record->baseClass, LUM_RUNTIME_CLASS(CWnd));
    EXPECT_EQ(record->objectSize, static_cast<int>(sizeof(CFrameWnd)));
    std::unique_ptr<CObject> made = MadeFromRecord<CFrameWnd>();
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->GetRuntimeClassInfo(), record);
    EXPECT_TRUE(made->IsOfKind(LUM_RUNTIME_CLASS(CWnd)));
    auto* frame = static_cast<CFrameWnd*>(made.get());
    EXPECT_TRUE(frame->IsFrameWindow());
    EXPECT_EQ(frame->windowHandle, nullptr);
}

TEST(ClassRecords, ImageListIsCreatable) {
    const RuntimeClassInfo* record = LUM_RUNTIME_CLASS(CImageList);
    EXPECT_STREQ(record->className, "CImageList");
    EXPECT_EQ(record->baseClass, LUM_RUNTIME_CLASS(CObject));
    std::unique_ptr<CObject> made = MadeFromRecord<CImageList>();
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->GetRuntimeClassInfo(), record);
    EXPECT_EQ(static_cast<CImageList*>(made.get())->imageListHandle, nullptr);
}

// On a thread of its own, so that no earlier case has made the table.
TEST(ImageListTable, MadeOnRequestAndItsTemporariesGoAtIdle) {
    std::vector<std::string> failures;
    auto check = [&](bool ok, const char* what) {
        if (!ok) {
            failures.push_back(what);
        }
    };
    std::thread worker([&] {
        check(GetImageListTable(FALSE) == nullptr, "no table at first");
        check(CImageList::PermanentObjectFor(FakeList(0x40)) == nullptr, "nothing bound");
        check(GetImageListTable(FALSE) == nullptr, "looking for a permanent makes no table");
        CImageList* temp = CImageList::ObjectFor(FakeList(0x40));
        CHandleTable* table = GetImageListTable(FALSE);
        check(table != nullptr, "made on request");
        check(temp != nullptr && temp->imageListHandle == FakeList(0x40), "temporary wraps it");
        check(CImageList::ObjectFor(FakeList(0x40)) == temp, "reused until idle");

        CImageList bound;
        check(bound.Bind(FakeList(0x80)) != FALSE, "binds");
        check(CImageList::ObjectFor(FakeList(0x80)) == &bound, "the bound wrapper answers");

        CWinThread thread;
        thread.IdleStep(0);
        check(table->FindTemporary(FakeList(0x40)) == temp, "first idle pass keeps temporaries");
        thread.IdleStep(1);
        check(table->FindTemporary(FakeList(0x40)) == nullptr, "second idle pass deletes them");
        check(CImageList::PermanentObjectFor(FakeList(0x80)) == &bound, "permanents stay");
        bound.Unbind();
        check(CImageList::PermanentObjectFor(FakeList(0x80)) == nullptr, "unbound");
    });
    worker.join();
    EXPECT_TRUE(failures.empty()) << ::testing::PrintToString(failures);
}

namespace {

// A thread object with one thread-message entry per thread form, each
// recording the code it was reached by and the values it was handed.
class FormsThread : public CWinThread {
    LUM_DECLARE_MESSAGE_MAP(FormsThread)
public:
    struct Call {
        UINT code;
        WPARAM w;
        LPARAM l;
        bool operator==(const Call&) const = default;
    };
    LRESULT Value10(WPARAM w, LPARAM l) { return Note(10, w, l, 1); }
    void Void14(WPARAM w, LPARAM l) { Note(14, w, l, 0); }
    void Command18(WPARAM w, LPARAM l) { Note(18, w, l, 0); }
    void True32(WPARAM w, LPARAM l) { Note(32, w, l, 0); }
    LRESULT Value33(WPARAM w, LPARAM l) { return Note(33, w, l, 1); }
    void Record37(WPARAM w, LPARAM l) { Note(37, w, l, 0); }
    void True43(WPARAM w, LPARAM l) { Note(43, w, l, 0); }
    void Text47(WPARAM w, LPARAM l) { Note(47, w, l, 0); }

    LRESULT Note(UINT code, WPARAM w, LPARAM l, LRESULT r) {
        calls.push_back({code, w, l});
        return r;
    }
    std::vector<Call> calls;
};

constexpr UINT kFirst = WM_APP + 0x40;

LUM_BEGIN_MESSAGE_MAP(FormsThread, CWinThread)
LUM_ON_THREAD_MESSAGE_AS(kFirst + 0, LumForm::LresultWParamLParam, Value10)
LUM_ON_THREAD_MESSAGE(kFirst + 1, Void14)
LUM_ON_THREAD_MESSAGE_AS(kFirst + 2, LumForm::VoidCommandLParam, Command18)
LUM_ON_THREAD_MESSAGE_AS(kFirst + 3, LumForm::VoidTrueWParamRecord, True32)
LUM_ON_THREAD_MESSAGE_AS(kFirst + 4, LumForm::LresultWParamRecord, Value33)
LUM_ON_THREAD_MESSAGE_AS(kFirst + 5, LumForm::VoidWParamRecord, Record37)
LUM_ON_THREAD_MESSAGE_AS(kFirst + 6, LumForm::VoidTrueWParamLParam, True43)
LUM_ON_THREAD_MESSAGE_AS(kFirst + 7, LumForm::VoidFlagsText, Text47)
LUM_END_MESSAGE_MAP(FormsThread, CWinThread)

} // namespace

TEST(ThreadMessages, EveryThreadFormIsDispatchedFromThePump) {
    FormsThread thread;
    const UINT codes[] = {10, 14, 18, 32, 33, 37, 43, 47};
    std::vector<FormsThread::Call> expected;
    for (UINT i = 0; i < 8; ++i) {
        ASSERT_TRUE(PostThreadMessageA(GetCurrentThreadId(), kFirst + i, 0x100 + i,
                                       static_cast<LPARAM>(-1 - static_cast<int>(i))));
        expected.push_back({codes[i], 0x100 + i, static_cast<LPARAM>(-1 - static_cast<int>(i))});
    }
    // Messages posted before this case may come first.
    for (int i = 0; i < 100 && thread.calls.size() < 8; ++i) {
        ASSERT_TRUE(thread.PumpOneMessage());
    }
    EXPECT_EQ(thread.calls, expected);
}
