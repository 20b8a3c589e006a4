// The door phone and loudspeaker channel windows' rules without widgets: port lists, keys,
// steps, names, and commits that are applied whole or not at all.
#include "editors/door_phone_editor.h"

#include <gtest/gtest.h>

#include "editors/loudspeaker_editor.h"
#include "support/loaded_station.h"

namespace zarnik {
namespace {

using test::TLoadedStation;

TPortPtr FirstPortOfType(const TDataStream& store, std::int16_t type) {
    for (const TPortPtr& p : store.Ports)
        if (p->Type == type) return p;
    return nullptr;
}

struct TStation : TLoadedStation {
    TStation() : TLoadedStation("Cedar") { Dialogs = test::TScriptedDialogs(true); }
    std::string Print() { return test::SessionPrint(Session) + test::StorePrint(Session, *Store); }
};

TEST(DoorPhoneEditor, PortListsNameLinesMarkGivenPortsAndKeepAnUnlistedPort) {
    TStation s;
    TDataStream& store = *s.Store;
    const TPortPtr line = FirstPortOfType(store, kPortTypeSubscriber);
    const TPortPtr trunk = FirstPortOfType(store, kPortTypeTrunk);
    ASSERT_TRUE(line && trunk);
    store.Names->SetPortName(line->Line - 1, "\xCA\xE0\xF1\xF1\xE0");  // "Касса" in CP1251
    const std::string lineText = std::to_string(line->Number);

    auto list = PortChoices(store, {kPortTypeSubscriber, kPortTypeTrunk}, "");
    EXPECT_EQ(list.front(), "");
    EXPECT_NE(std::find(list.begin(), list.end(), lineText + " (Касса)"), list.end());
    EXPECT_NE(std::find(list.begin(), list.end(), std::to_string(trunk->Number)), list.end());
    EXPECT_EQ(list[static_cast<std::size_t>(PortChoiceIndex(list, lineText))], lineText + " (Касса)");
    EXPECT_EQ(PortChoiceIndex(list, ""), 0);

    line->Type = kPortTypeAttachedDoorPhone;
    list = PortChoices(store, {kPortTypeSubscriber, kPortTypeAttachedDoorPhone}, "");
    EXPECT_NE(std::find(list.begin(), list.end(), lineText + " ()"), list.end());
    list = PortChoices(store, {kPortTypeSubscriber}, lineText);  // not listed: kept anyway
    EXPECT_EQ(list.back(), lineText);
    EXPECT_EQ(PortChoiceIndex(list, lineText), static_cast<int>(list.size()) - 1);

    EXPECT_EQ(PortOfChoice("203 (Касса)"), "203");
    EXPECT_EQ(PortOfChoice(""), "");
}

TEST(DoorPhoneEditor, KeysStepsRoutingListsAndNames) {
    for (char c : std::string("0123456789")) EXPECT_TRUE(DigitKeyAccepted(c)) << c;
    for (char c : std::string("\baA*#p ,-")) EXPECT_FALSE(DigitKeyAccepted(c)) << int(c);

    EXPECT_EQ(StepRecord(0, 4, -1), 0);
    EXPECT_EQ(StepRecord(0, 4, +1), 1);
    EXPECT_EQ(StepRecord(3, 4, +1), 3);  // the last stays the last
    EXPECT_EQ(StepRecord(0, 0, +1), 0);

    TStation s;
    s.Session.Identity.RoutingTableCount = 3;
    EXPECT_EQ(RoutingTableChoices(s.Session, ""), (std::vector<std::string>{"", "1", "2", "3"}));
    EXPECT_EQ(RoutingTableChoices(s.Session, "7").back(), "7");

    EXPECT_FALSE(NameProblem("").has_value());
    EXPECT_FALSE(NameProblem("Вход со двора №2").has_value());
    EXPECT_FALSE(NameProblem(std::string(kMaxRecordNameLength, 'x')).has_value());
    std::string cyrillic;
    for (std::size_t i = 0; i < kMaxRecordNameLength; ++i) cyrillic += "ж";  // two bytes each
    EXPECT_FALSE(NameProblem(cyrillic).has_value());
    EXPECT_TRUE(NameProblem(cyrillic + "ж").has_value());
    EXPECT_TRUE(NameProblem("две\nстроки").has_value());
    EXPECT_TRUE(NameProblem("домофон ✓").has_value());  // no such character in the code page
}

TEST(DoorPhoneEditor, CommitEncodesAndNamesOrChangesNothing) {
    TStation s;
    TDataStream& store = *s.Store;
    ASSERT_GE(store.DoorPhoneCount, 2);
    const TPortPtr line = FirstPortOfType(store, kPortTypeSubscriber);
    TDoorPhoneView v = DoorPhoneView(store, 1);
    v.Name = "Калитка";
    v.OpenCode = "105";
    v.DayTable = "2";
    v.Port = std::to_string(line->Number) + " (whatever)";
    ASSERT_TRUE(CommitDoorPhone(s.Session, store, 1, v, s.Dialogs));
    EXPECT_EQ(store.DoorPhones[1].OpenCode, "105");
    EXPECT_EQ(store.DoorPhones[1].LinkPort, std::to_string(line->Number));
    EXPECT_EQ(store.Names->GetDfName(1), "\xCA\xE0\xEB\xE8\xF2\xEA\xE0");
    const TRawSlot& slot = s.Session.Area(ETable::DoorPhones).Slots[1];
    EXPECT_EQ(slot.Length, 6);
    EXPECT_EQ(slot.Bytes[4], 0x1A);
    EXPECT_EQ(slot.Bytes[5], 0x50);
    EXPECT_EQ(slot.Bytes[1], 2);
    EXPECT_TRUE(s.Session.Changed(ETable::DoorPhones));

    // A routing table number the block cannot hold, or a name too long: the message, and not
    // one byte of the store, the raw area, the change flags or the names differs.
    s.Session.SetChanged(ETable::DoorPhones, false);
    const std::string before = s.Print();
    TDoorPhoneView bad = DoorPhoneView(store, 1);
    bad.Name = "Другое имя";
    bad.NightTable = "300";
    s.Dialogs.ExpectMessage(kBadInputMessage);
    EXPECT_FALSE(CommitDoorPhone(s.Session, store, 1, bad, s.Dialogs));
    EXPECT_EQ(s.Print(), before);
    bad = DoorPhoneView(store, 1);
    bad.OpenCode = "1";
    bad.Name = std::string(kMaxRecordNameLength + 1, 'n');
    s.Dialogs.ExpectMessage(*NameProblem(bad.Name));
    EXPECT_FALSE(CommitDoorPhone(s.Session, store, 1, bad, s.Dialogs));
    EXPECT_EQ(s.Print(), before);
    EXPECT_TRUE(s.Dialogs.AllSeen());
}

TEST(DoorPhoneEditor, ClosingRebuildsThePortsSoAMovedDoorPhoneMarksItsNewPort) {
    TStation s;
    TDataStream& store = *s.Store;
    std::vector<TPortPtr> lines;
    for (const TPortPtr& p : store.Ports)
        if (p->Type == kPortTypeSubscriber) lines.push_back(p);
    ASSERT_GE(lines.size(), 2u);
    TDoorPhoneView v = DoorPhoneView(store, 0);
    v.Port = std::to_string(lines[0]->Number);
    ASSERT_TRUE(CommitDoorPhone(s.Session, store, 0, v, s.Dialogs));
    AfterDoorPhoneWindow(s.Session, store);
    v.Port = std::to_string(lines[1]->Number);
    ASSERT_TRUE(CommitDoorPhone(s.Session, store, 0, v, s.Dialogs));
    AfterDoorPhoneWindow(s.Session, store);
    auto typeOf = [&](int number) {
        for (const TPortPtr& p : store.Ports)
            if (p->Number == number) return p->Type;
        return std::int16_t{-1};
    };
    EXPECT_EQ(typeOf(lines[1]->Number), kPortTypeAttachedDoorPhone);
    // The first port is a plain line again unless another door phone holds it.
    bool heldElsewhere = false;
    for (int i = 1; i < store.DoorPhoneCount; ++i)
        heldElsewhere = heldElsewhere || store.DoorPhones[static_cast<std::size_t>(i)].LinkPort ==
                                             std::to_string(lines[0]->Number);
    if (!heldElsewhere) {
        EXPECT_NE(typeOf(lines[0]->Number), kPortTypeAttachedDoorPhone);
    }
}

TEST(LoudspeakerEditor, CommitCutsThePortEntryAndRefusesAPortWithoutALine) {
    TStation s;
    TDataStream& store = *s.Store;
    ASSERT_GE(store.LoudspeakerCount, 1);
    const TPortPtr line = FirstPortOfType(store, kPortTypeSubscriber);
    TLoudspeakerView v = LoudspeakerView(store, 0);
    v.Port = std::to_string(line->Number) + " (Цех)";
    v.AutoOff = true;
    v.Name = "Цех";
    ASSERT_TRUE(CommitLoudspeaker(s.Session, store, 0, v, s.Dialogs));
    EXPECT_EQ(store.Loudspeakers[0].LinkPort, std::to_string(line->Number));
    EXPECT_EQ(store.Names->GetGgsName(0), "\xD6\xE5\xF5");
    EXPECT_EQ(s.Session.Area(ETable::Loudspeakers).Slots[0].Bytes[1], 1);

    const std::string before = s.Print();
    v.Port = "999";  // no such port: no line number for the block
    v.Name = "Склад";
    s.Dialogs.ExpectMessage(kBadInputMessage);
    EXPECT_FALSE(CommitLoudspeaker(s.Session, store, 0, v, s.Dialogs));
    EXPECT_EQ(s.Print(), before);
    EXPECT_TRUE(s.Dialogs.AllSeen());
}

}  // namespace
}  // namespace zarnik
