#pragma once
// What the quick conferences window does besides showing widgets: the conferences with their
// names, the lines of one conference and the lines that can still join it, and the commit of
// the member lists when the window closes.

#include <string>
#include <vector>

#include "editors/routing_table_editor.h"
#include "link/main_class.h"
#include "model/data_stream.h"
#include "platform/user_dialogs.h"

namespace zarnik {

// The station's quick conferences, never more than the store holds.
int ConferenceWindowCount(const TMainClass& session);

// "0  Планёрка": the 0-based number, two spaces, the conference's name.
std::vector<std::string> ConferenceListLines(const TMainClass& session, const TDataStream& store);
std::string ConferenceName(const TDataStream& store, int conference);

// The most lines one conference can carry: its member bytes must fit one frame.
int MaxConferenceMembers(const TMainClass& session);

// The member lists the window works on until it closes, one per conference.
struct TConferenceDraft {
    std::vector<std::vector<int>> Members;  // port numbers
    std::vector<bool> Touched;
};
TConferenceDraft DraftConferences(const TMainClass& session, const TDataStream& store);

// "АЛ ": the lines of a conference.
std::vector<TPortChoice> ConferenceMembers(const TMainClass& session, const TDataStream& store,
                                           const std::vector<int>& members);
// "Все АЛ": the subscriber-line and system-phone ports not yet in the conference. A port whose
// line number a member byte cannot name is not offered: it would not come back from the
// station or a file as a member.
std::vector<TPortChoice> ConferenceCandidates(const TMainClass& session, const TDataStream& store,
                                              const std::vector<int>& members);

// A line joins a conference; a full conference shows a message and stays as it is.
bool AddConferenceMember(const TMainClass& session, TConferenceDraft& draft, int conference,
                         int port, TUserDialogs& dialogs);
void RemoveConferenceMember(TConferenceDraft& draft, int conference, int port);

// Closing the window: every conference whose lines were changed into the store, then the
// conference table is encoded. Nothing changed, nothing encoded.
void CommitConferences(TMainClass& session, TDataStream& store, const TConferenceDraft& draft);

// "OK" of the name field: the name into the names list; a refused name shows its message.
bool StoreConferenceName(TDataStream& store, int conference, const std::string& nameUtf8,
                         TUserDialogs& dialogs);

}  // namespace zarnik
