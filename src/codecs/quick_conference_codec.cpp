#include "codecs/quick_conference_codec.h"

#include <algorithm>

#include "codecs/codec_support.h"
#include "codecs/codecs.h"
#include "model/broadcaster.h"

namespace zarnik {

namespace {

constexpr int kReadAttempts = 4;
constexpr int kWriteAttempts = 5;
constexpr std::size_t kMembersOffset = 1;  // slot byte 0 holds the member count
constexpr int kHighestMemberByte = 150;    // member bytes above it name no line

// The one statement of a conference's layout that all six operations follow. The wire and the
// file carry member count x size factor member bytes after the count; the store's view is one
// byte per member, the first member count of them. So the members a conference can hold are
// those whose bytes travel: none with a size factor of 0. A count whose bytes would not fit the
// slot cannot be carried at all.

// Member bytes of a conference as they travel: member count x size factor.
std::size_t MemberBytes(std::size_t memberCount, const TMainClass& session) {
    return memberCount * session.ConferenceSizeFactor();
}

bool MembersFit(std::size_t memberCount, const TMainClass& session) {
    const std::size_t slotCapacity = session.Area(ETable::QuickConferences).Slots[0].Capacity();
    return MemberBytes(memberCount, session) + kMembersOffset <= slotCapacity;
}

// How many of the members have their byte carried.
std::size_t MembersCarried(std::size_t memberCount, const TMainClass& session) {
    return session.ConferenceSizeFactor() == 0 ? 0 : memberCount;
}

std::vector<std::uint8_t> PackConferences(const TMainClass& session) {
    std::vector<std::uint8_t> out;
    const TRawArea& area = session.Area(ETable::QuickConferences);
    const int count = ConferenceCount(session);
    for (int i = 0; i < count; ++i) {
        const TRawSlot& slot = area.Slots[static_cast<std::size_t>(i)];
        if (!MembersFit(slot.Bytes[0], session)) {
            // No read, load or encode leaves such a slot; written as it stands, the file could
            // not be read back, so the conference goes out empty.
            out.insert(out.end(), {0, 0});
            continue;
        }
        const std::size_t members = MemberBytes(slot.Bytes[0], session);
        out.push_back(static_cast<std::uint8_t>(slot.Length));
        out.insert(out.end(), slot.Bytes.begin(),
                   slot.Bytes.begin() + static_cast<std::ptrdiff_t>(kMembersOffset + members));
    }
    return out;
}

// Each entry: the length byte, the member count n, n x size factor member bytes. An entry cut
// short by the end of the record, and every entry after it, loads empty; an entry whose
// members could not fit its slot refuses the whole record.
bool UnpackConferences(TMainClass& session, std::span<const std::uint8_t> record) {
    TRawArea& area = session.Area(ETable::QuickConferences);
    const int count = ConferenceCount(session);
    std::size_t pos = 0;
    int complete = 0;
    for (; complete < count && pos + 2 <= record.size(); ++complete) {
        const std::size_t memberCount = record[pos + 1];
        if (!MembersFit(memberCount, session)) return false;
        const std::size_t end = pos + 2 + MemberBytes(memberCount, session);
        if (end > record.size()) break;
        pos = end;
    }
    area.Clear();
    pos = 0;
    for (int i = 0; i < complete; ++i) {
        TRawSlot& slot = area.Slots[static_cast<std::size_t>(i)];
        const std::size_t size = kMembersOffset + MemberBytes(record[pos + 1], session);
        slot.Assign(record.subspan(pos + 1, size));
        slot.Length = record[pos];
        pos += 1 + size;
    }
    area.Count = static_cast<std::uint16_t>(count);
    return true;
}

void BlankConferences(TMainClass& session) {
    TRawArea& area = session.Area(ETable::QuickConferences);
    area.Clear();
    area.Count = static_cast<std::uint16_t>(ConferenceCount(session));
}

// Two conferences of subscriber lines, the second with a system phone as well.
void FillConferenceDemo(const TMainClass& session, TDataStream& store) {
    if (!session.IsCedarOrDogwood()) return;
    std::vector<int> lines;
    std::vector<int> phones;
    for (const TPortPtr& p : store.Ports) {
        if (p->Type == kPortTypeSubscriber) lines.push_back(p->Number);
        if (p->Type == kPortTypeSta) phones.push_back(p->Number);
    }
    const int count = ConferenceCount(session);
    for (int i = 0; i < count; ++i) store.Conferences[static_cast<std::size_t>(i)] = TConfRecord{};
    const auto add = [&store](int conference, int port) {
        TConfRecord& c = store.Conferences[static_cast<std::size_t>(conference)];
        c.Members[static_cast<std::size_t>(c.MemberCount++)] = port;
    };
    if (count >= 1)
        for (std::size_t k = 0; k < 3 && k < lines.size(); ++k) add(0, lines[k]);
    if (count >= 2) {
        for (std::size_t k = 3; k < 5 && k < lines.size(); ++k) add(1, lines[k]);
        if (!phones.empty()) add(1, phones.front());
    }
}

}  // namespace

int ConferenceCount(const TMainClass& session) {
    const auto slots = static_cast<int>(session.Area(ETable::QuickConferences).Slots.size());
    return std::min(
        {static_cast<int>(session.ConferenceCount()), slots, static_cast<int>(kMaxConferences)});
}

int ReadConfTable(TMainClass& session) {
    if (session.CheckLink() < 0) return -1;
    const int count = ConferenceCount(session);
    if (count == 0) return -2;
    TRawArea& area = session.Area(ETable::QuickConferences);
    area.Clear();
    area.Count = static_cast<std::uint16_t>(count);
    for (int i = 0; i < count; ++i) {
        TRawSlot& slot = area.Slots[static_cast<std::size_t>(i)];
        const int length = session.Frames.ReadConference(static_cast<std::uint8_t>(i),
                                                         session.ConferenceSizeFactor(), slot.All(),
                                                         kReadAttempts);
        if (length < 0) {
            area.Clear();
            return -5;
        }
        slot.Length = static_cast<std::uint16_t>(length);
    }
    return count;
}

int WriteConfTable(TMainClass& session) {
    if (session.CheckLink() < 0) return -1;
    const int count = ConferenceCount(session);
    if (count == 0) return -2;
    const TRawArea& area = session.Area(ETable::QuickConferences);
    for (int i = 0; i < count; ++i) {
        const TRawSlot& slot = area.Slots[static_cast<std::size_t>(i)];
        const std::uint8_t memberCount = slot.Bytes[0];
        // Only an image that no read, load or encode can produce fails here; it is never sent.
        if (!MembersFit(memberCount, session)) return -5;
        const auto members =
            std::span(slot.Bytes).subspan(kMembersOffset, MemberBytes(memberCount, session));
        if (session.Frames.WriteConference(static_cast<std::uint8_t>(i),
                                           static_cast<std::uint8_t>(slot.Length), memberCount,
                                           members, kWriteAttempts) < 0)
            return -5;
    }
    return 0;
}

int DecodeConfTable(TMainClass& session, TDataStream& store) {
    const TRawArea& area = session.Area(ETable::QuickConferences);
    const int count = ConferenceCount(session);
    for (int i = 0; i < count; ++i) {
        const TRawSlot& slot = area.Slots[static_cast<std::size_t>(i)];
        TConfRecord& conf = store.Conferences[static_cast<std::size_t>(i)];
        // An empty conference must not keep the members of the configuration before it.
        conf = TConfRecord{};
        const int memberCount = slot.Bytes[0];
        const int carried = static_cast<int>(MembersCarried(slot.Bytes[0], session));
        for (int j = 0; j < carried; ++j) {
            const int b = slot.Bytes[kMembersOffset + static_cast<std::size_t>(j)];
            const bool valid = b >= 1 && b <= kHighestMemberByte;
            conf.Members[static_cast<std::size_t>(j)] =
                valid ? TBroadcaster::GetPortNumFromIndex(session.Identity.ModelName, b - 1) : 0;
            conf.MemberCount = valid ? memberCount : 0;
        }
    }
    return 1;
}

int EncodeConfTable(TMainClass& session, TDataStream& store) {
    session.SetChanged(ETable::QuickConferences);
    TRawArea& area = session.Area(ETable::QuickConferences);
    const int count = ConferenceCount(session);
    int result = 1;
    for (int i = 0; i < count; ++i) {
        const TConfRecord& conf = store.Conferences[static_cast<std::size_t>(i)];
        // The length byte is the member count + 1, and the members must fit one frame.
        const int memberCount = conf.MemberCount;
        if (memberCount < 0 || memberCount + 1 > 0xFF ||
            !MembersFit(static_cast<std::size_t>(memberCount), session) ||
            MembersCarried(static_cast<std::size_t>(memberCount), session) !=
                static_cast<std::size_t>(memberCount)) {
            result = -1;
            continue;
        }
        TRawSlot& slot = area.Slots[static_cast<std::size_t>(i)];
        slot.Clear();
        slot.Bytes[0] = static_cast<std::uint8_t>(memberCount);
        slot.Length = static_cast<std::uint16_t>(memberCount + 1);
        for (int j = 0; j < memberCount; ++j) {
            const int port = conf.Members[static_cast<std::size_t>(j)];
            if (port == 0) continue;  // no member: the byte stays 0
            const int line = TBroadcaster::GetLineNumFromPortNum(session.Identity.ModelName,
                                                                 std::to_string(port));
            if (line < 1 || line > 0xFF) {
                result = -1;
                continue;
            }
            slot.Bytes[kMembersOffset + static_cast<std::size_t>(j)] =
                static_cast<std::uint8_t>(line);
        }
    }
    area.Count = static_cast<std::uint16_t>(count);
    return result;
}

const TTableCodec* QuickConferenceCodec() {
    static const TTableCodec kCodec{
        ETable::QuickConferences,
        "Быстрый сбор конференции",
        "conf",
        "Не могу прочитать таблицы быстрых конференций. Выход по time-out",
        ReadConfTable,
        WriteConfTable,
        DecodeConfTable,
        EncodeConfTable,
        PackConferences,
        UnpackConferences,
        BlankConferences,
        FillConferenceDemo,
    };
    return &kCodec;
}

}  // namespace zarnik
