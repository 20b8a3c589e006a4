#include "editors/conference_editor.h"

#include <algorithm>

#include "codecs/quick_conference_codec.h"
#include "editors/name_rules.h"
#include "model/broadcaster.h"
#include "platform/text_1251.h"

namespace zarnik {

namespace {

constexpr int kHighestMemberLine = 150;   // a member byte above it names no line
constexpr int kHighestMemberCount = 254;  // the length byte carries the count + 1

bool Valid(const TConferenceDraft& draft, int conference) {
    return conference >= 0 && static_cast<std::size_t>(conference) < draft.Members.size();
}

}  // namespace

int ConferenceWindowCount(const TMainClass& session) {
    return std::min<int>(session.ConferenceCount(), static_cast<int>(kMaxConferences));
}

std::string ConferenceName(const TDataStream& store, int conference) {
    return Cp1251ToUtf8(store.Names->GetConfName(conference));
}

std::vector<std::string> ConferenceListLines(const TMainClass& session, const TDataStream& store) {
    std::vector<std::string> lines;
    for (int i = 0; i < ConferenceWindowCount(session); ++i)
        lines.push_back(std::to_string(i) + "  " + ConferenceName(store, i));
    return lines;
}

int MaxConferenceMembers(const TMainClass& session) {
    const TRawArea& area = session.Area(ETable::QuickConferences);
    const int factor = session.ConferenceSizeFactor();
    if (area.Slots.empty() || factor == 0) return 0;
    // The slot holds the member count, then count x size factor member bytes.
    const int room = static_cast<int>(area.Slots[0].Capacity()) - 1;
    return std::clamp(room / factor, 0, kHighestMemberCount);
}

TConferenceDraft DraftConferences(const TMainClass& session, const TDataStream& store) {
    TConferenceDraft draft;
    for (int i = 0; i < ConferenceWindowCount(session); ++i) {
        const TConfRecord& conf = store.Conferences[static_cast<std::size_t>(i)];
        const int count = std::clamp<int>(conf.MemberCount, 0, kMaxConferenceMembers);
        draft.Members.emplace_back(conf.Members.begin(), conf.Members.begin() + count);
    }
    draft.Touched.assign(draft.Members.size(), false);
    return draft;
}

std::vector<TPortChoice> ConferenceMembers(const TMainClass& session, const TDataStream& store,
                                           const std::vector<int>& members) {
    std::vector<TPortChoice> out;
    for (int port : members) out.push_back({port, LinePortText(session, store, port)});
    return out;
}

std::vector<TPortChoice> ConferenceCandidates(const TMainClass& session, const TDataStream& store,
                                              const std::vector<int>& members) {
    std::vector<TPortChoice> out;
    for (const TPortPtr& p : store.Ports) {
        if (!p || (p->Type != kPortTypeSubscriber && p->Type != kPortTypeSta)) continue;
        if (std::find(members.begin(), members.end(), p->Number) != members.end()) continue;
        const int line = TBroadcaster::GetLineNumFromPortNum(session.Identity.ModelName,
                                                             std::to_string(p->Number));
        if (line < 1 || line > kHighestMemberLine) continue;
        out.push_back({p->Number, LinePortText(session, store, p->Number)});
    }
    return out;
}

bool AddConferenceMember(const TMainClass& session, TConferenceDraft& draft, int conference,
                         int port, TUserDialogs& dialogs) {
    if (!Valid(draft, conference)) return false;
    std::vector<int>& members = draft.Members[static_cast<std::size_t>(conference)];
    if (std::find(members.begin(), members.end(), port) != members.end()) return false;
    const int most = MaxConferenceMembers(session);
    if (static_cast<int>(members.size()) >= most) {
        dialogs.Message("В конференции не может быть больше " + std::to_string(most) + " АЛ.",
                        "Ошибка");
        return false;
    }
    members.push_back(port);
    draft.Touched[static_cast<std::size_t>(conference)] = true;
    return true;
}

void RemoveConferenceMember(TConferenceDraft& draft, int conference, int port) {
    if (!Valid(draft, conference)) return;
    std::vector<int>& members = draft.Members[static_cast<std::size_t>(conference)];
    const auto it = std::find(members.begin(), members.end(), port);
    if (it == members.end()) return;
    members.erase(it);
    draft.Touched[static_cast<std::size_t>(conference)] = true;
}

void CommitConferences(TMainClass& session, TDataStream& store, const TConferenceDraft& draft) {
    bool changed = false;
    for (std::size_t i = 0; i < draft.Members.size(); ++i) {
        if (!draft.Touched[i]) continue;
        TConfRecord conf;
        const std::vector<int>& members = draft.Members[i];
        conf.MemberCount = static_cast<std::int32_t>(members.size());
        std::copy(members.begin(), members.end(), conf.Members.begin());
        store.Conferences[i] = conf;
        changed = true;
    }
    if (changed) EncodeConfTable(session, store);
}

bool StoreConferenceName(TDataStream& store, int conference, const std::string& nameUtf8,
                         TUserDialogs& dialogs) {
    if (ConferenceName(store, conference) == nameUtf8) return true;
    const TNameCheck check = CheckName(nameUtf8);
    if (!check.Ok()) {
        dialogs.Message(check.Error, "Ошибка");
        return false;
    }
    if (store.Names->SetConfName(conference, check.Cp1251) < 0)
        dialogs.Message(kNamesNotWritten, "Ошибка");
    return true;
}

}  // namespace zarnik
