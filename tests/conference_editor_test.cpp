// The rules behind the quick conferences window: the lines offered, the most lines a conference
// carries, and only changed conferences stored.
#include "editors/conference_editor.h"

#include <gtest/gtest.h>

#include "model/port.h"
#include "support/big_station.h"

namespace zarnik {
namespace {

using test::TBigStation;

TEST(ConferenceEditor, OffersOnlyLinesAMemberByteCanName) {
    TBigStation s;
    const std::vector<int> members{200, 203};
    const auto free = ConferenceCandidates(s.Session, *s.Store, members);
    ASSERT_FALSE(free.empty());
    EXPECT_EQ(free.front().Port, 201);
    EXPECT_EQ(free.back().Port, 349);  // line 150
    for (const TPortChoice& c : free) {
        EXPECT_NE(c.Port, 203);
        const TPortPtr p = FindPort(*s.Store, c.Port);
        ASSERT_TRUE(p);
        EXPECT_TRUE(p->Type == kPortTypeSubscriber || p->Type == kPortTypeSta);
    }
    EXPECT_EQ(ConferenceListLines(s.Session, *s.Store).size(), 10u);
    EXPECT_EQ(ConferenceListLines(s.Session, *s.Store)[7], "7  ");
}

TEST(ConferenceEditor, AConferenceHoldsNoMoreLinesThanItsFrameCarries) {
    TBigStation s;
    EXPECT_EQ(MaxConferenceMembers(s.Session), 254);  // the length byte counts one more
    s.Session.ConferenceParams[2] = 2;
    EXPECT_EQ(MaxConferenceMembers(s.Session), 127);  // 1 + 127 x 2 bytes fill the slot
    s.Session.ConferenceParams[2] = 0;                // no member bytes travel at all
    TConferenceDraft draft = DraftConferences(s.Session, *s.Store);
    test::TScriptedDialogs dialogs;
    dialogs.ExpectMessage("В конференции не может быть больше 0 АЛ.");
    EXPECT_FALSE(AddConferenceMember(s.Session, draft, 0, 201, dialogs));
    EXPECT_TRUE(draft.Members[0].empty());
    EXPECT_FALSE(draft.Touched[0]);
    EXPECT_TRUE(dialogs.AllSeen());
}

TEST(ConferenceEditor, OnlyChangedConferencesAreStoredAndEncoded) {
    TBigStation s;
    s.Store->Conferences[1].MemberCount = 1;
    s.Store->Conferences[1].Members[0] = 205;
    s.Store->Conferences[1].Members[1] = 777;  // past the count: not a member
    TConferenceDraft draft = DraftConferences(s.Session, *s.Store);
    ASSERT_EQ(draft.Members.size(), 10u);
    EXPECT_EQ(draft.Members[1], std::vector<int>{205});
    CommitConferences(s.Session, *s.Store, draft);
    EXPECT_FALSE(s.Session.Changed(ETable::QuickConferences));

    test::TScriptedDialogs dialogs;
    EXPECT_TRUE(AddConferenceMember(s.Session, draft, 2, 210, dialogs));
    EXPECT_FALSE(AddConferenceMember(s.Session, draft, 2, 210, dialogs));  // already in
    RemoveConferenceMember(draft, 1, 205);
    CommitConferences(s.Session, *s.Store, draft);
    EXPECT_EQ(s.Store->Conferences[1], TConfRecord{});
    EXPECT_EQ(s.Store->Conferences[2].MemberCount, 1);
    EXPECT_EQ(s.Store->Conferences[2].Members[0], 210);
    EXPECT_TRUE(s.Session.Changed(ETable::QuickConferences));
    const TRawSlot& raw = s.Session.Area(ETable::QuickConferences).Slots[2];
    EXPECT_EQ(raw.Bytes[0], 1);
    EXPECT_EQ(raw.Bytes[1], 11);  // line 11
}

}  // namespace
}  // namespace zarnik
