#include "flows/read_write_all.h"

#include <algorithm>
#include <array>
#include <thread>

#include "codecs/table_codec.h"
#include "flows/station_status.h"
#include "model/broadcaster.h"
#include "model/port.h"

namespace zarnik {

namespace {

enum class ECondition { Always, QuickConferences, QuickConferencesOnLargeModel, BlackWhiteLists };

struct TReadStep {
    ETable Table;
    ECondition Condition;
    bool Decode;
};

// The order in which the station's tables are read.
constexpr std::array<TReadStep, kTableCount> kReadOrder{{
    {ETable::SystemSettings, ECondition::Always, true},
    {ETable::TimeSettings, ECondition::Always, true},
    {ETable::StaButtons, ECondition::Always, true},
    {ETable::DoorPhones, ECondition::Always, true},
    {ETable::Loudspeakers, ECondition::Always, true},
    {ETable::SubscriberLines, ECondition::Always, true},
    {ETable::GlobalPhoneBook, ECondition::Always, true},
    {ETable::Flash, ECondition::Always, false},  // carried as it is, never decoded
    {ETable::ProgramNumbers, ECondition::Always, true},
    {ETable::Redirections, ECondition::Always, true},
    {ETable::QuickConferences, ECondition::QuickConferencesOnLargeModel, true},
    {ETable::RoutingTables, ECondition::Always, true},
    {ETable::Groups, ECondition::Always, true},
    {ETable::TrunkLines, ECondition::Always, true},
    {ETable::GroupPhoneBooks, ECondition::Always, true},
    {ETable::BlackWhiteLists, ECondition::BlackWhiteLists, true},
}};

// Which write results are worth the table's message.
enum class EWriteFailure {
    None,         // no message, whatever the result
    NotPositive,  // 0 (no link) or below (every attempt refused)
    Negative,     // below 0
};

struct TWriteStep {
    ETable Table;
    ECondition Condition;
    bool EncodeFirst;
    EWriteFailure Failure;
    const char* Message;
    int NoLink;  // what the table's write returns when the link check fails
};

// The order in which tables go back to the station, and when a result is worth a message.
constexpr std::array<TWriteStep, kTableCount> kWriteOrder{{
    {ETable::QuickConferences, ECondition::QuickConferences, false, EWriteFailure::None, nullptr,
     -1},
    {ETable::SystemSettings, ECondition::Always, false, EWriteFailure::None, nullptr, 0},
    {ETable::StaButtons, ECondition::Always, true, EWriteFailure::None, nullptr, -1},
    {ETable::DoorPhones, ECondition::Always, false, EWriteFailure::None, nullptr, -2},
    {ETable::Loudspeakers, ECondition::Always, false, EWriteFailure::None, nullptr, -2},
    {ETable::TimeSettings, ECondition::Always, false, EWriteFailure::NotPositive,
     "Не могу записать временные установки, нет связи с АТС.", 0},
    {ETable::GlobalPhoneBook, ECondition::Always, true, EWriteFailure::Negative,
     "Не могу записать общую записную книжку, нет связи с АТС.", -1},
    {ETable::Flash, ECondition::Always, false, EWriteFailure::Negative,
     "Не могу записать таблицу flash-установок, нет связи с АТС.", -1},
    {ETable::ProgramNumbers, ECondition::Always, false, EWriteFailure::Negative,
     "Не могу записать таблицу программных номеров, нет связи с АТС.", -1},
    {ETable::Redirections, ECondition::Always, false, EWriteFailure::Negative,
     "Не могу записать таблицу переадресаций, нет связи с АТС.", -1},
    {ETable::RoutingTables, ECondition::Always, false, EWriteFailure::Negative,
     "Не могу записать таблици наведения, нет связи с АТС.", -2},
    {ETable::Groups, ECondition::Always, false, EWriteFailure::Negative,
     "Не могу записать групповые установки, нет связи с АТС.", -1},
    {ETable::SubscriberLines, ECondition::Always, false, EWriteFailure::Negative,
     "Не могу записать таблицу АЛ, нет связи с АТС.", -1},
    {ETable::TrunkLines, ECondition::Always, false, EWriteFailure::Negative,
     "Не могу записать таблицу СЛ, нет связи с АТС.", -1},
    {ETable::GroupPhoneBooks, ECondition::Always, true, EWriteFailure::Negative,
     "Не могу записать групповые зап. книжки, нет связи с АТС.", -1},
    {ETable::BlackWhiteLists, ECondition::BlackWhiteLists, false, EWriteFailure::Negative,
     "Не могу записать черно-белые зап. книжки, нет связи с АТС.", -1},
}};

bool ShowsMessage(const TWriteStep& step, int result) {
    switch (step.Failure) {
        case EWriteFailure::None:
            return false;
        case EWriteFailure::NotPositive:
            return result <= 0;
        case EWriteFailure::Negative:
            return result < 0;
    }
    return false;
}

// The station did not take the table: the link was gone, every attempt was refused (-5), or
// the STA buttons' mode command was refused (-4). Other results (nothing to send) are not
// failures.
bool NotAccepted(const TWriteStep& step, int result) {
    return ShowsMessage(step, result) || result == step.NoLink || result == -5 || result == -4;
}

// A table read that came back without the table: timed out, or no link. "None of the items"
// (-2) is an empty table, not a failure.
bool ReadFailed(int result) {
    return result < 0 && result != -2;
}

bool Holds(ECondition c, const TMainClass& session, const TTableVerRWFlags& flags) {
    switch (c) {
        case ECondition::Always:
            return true;
        case ECondition::QuickConferences:
            return flags.QuickConferences();
        case ECondition::QuickConferencesOnLargeModel:
            return flags.QuickConferences() && session.IsCedarOrDogwood();
        case ECondition::BlackWhiteLists:
            return flags.BlackWhiteLists();
    }
    return false;
}

void Wait(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

int CheckLinkThreeTimes(TMainClass& session) {
    Wait(200);
    if (session.CheckLink() > 0) return 1;
    for (int retry = 0; retry < 2; ++retry) {
        Wait(300);
        if (session.CheckLink() > 0) return 1;
    }
    return -1;
}

// What a repeated read restores when the station turns out to be unsupported.
struct TSavedIdentity {
    std::array<std::uint8_t, kIdBufferSize> Buffer;
    std::uint16_t RawLength;
    std::uint8_t DecodedLength;
    std::uint8_t Key;
    TIdentity Identity;
    std::array<std::uint8_t, kStatusBlockSize> CallAccounting;
    std::uint16_t CallAccountingLength;
};

// The identification as it stood before a write identified the station again.
struct TIdentitySnapshot {
    explicit TIdentitySnapshot(const TMainClass& s)
        : Buffer(s.IdBuffer),
          RawLength(s.IdRawLength),
          DecodedLength(s.IdDecodedLength),
          Key(s.Key),
          Identity(s.Identity),
          VerFlags(s.VerFlags) {}
    void Restore(TMainClass& s) const {
        s.IdBuffer = Buffer;
        s.IdRawLength = RawLength;
        s.IdDecodedLength = DecodedLength;
        s.Key = Key;
        s.Identity = Identity;
        s.VerFlags = VerFlags;
    }
    std::array<std::uint8_t, kIdBufferSize> Buffer;
    std::uint16_t RawLength;
    std::uint8_t DecodedLength;
    std::uint8_t Key;
    TIdentity Identity;
    TTableVerRWFlagsPtr VerFlags;
};

// Someone changed the cable: the configuration was read from one station in this session and
// the line now leads to another. A configuration from a file may go to any station of its
// model; the load has checked that.
bool IsAnotherStation(const TMainClass& session) {
    return session.Origin == EConfigOrigin::Station &&
           (session.Identity.ModelName != session.OriginModel ||
            session.Identity.SerialNumber != session.OriginSerial);
}

void StatusTimeout(TMainClass& session, const char* message) {
    FatalMessage(session.Dialogs, message, "Ошибка", 0);
}

}  // namespace

int ReadAll(TMainClass& session, TProgress& progress, TDataStream& store,
            std::vector<ETable>* failed) {
    if (failed != nullptr) failed->clear();
    if (CheckLinkThreeTimes(session) < 0) return -1;
    std::optional<TSavedIdentity> saved;
    if (session.Identified)
        saved = TSavedIdentity{
            session.IdBuffer, session.IdRawLength,    session.IdDecodedLength,     session.Key,
            session.Identity, session.CallAccounting, session.CallAccountingLength};
    // A block that two answers did not confirm is no identification: every later frame would
    // be scrambled with a key that may be wrong.
    if (!session.ReadIdentification(false)) return -1;
    session.ReadCallAccountingStatus();
    session.DecodeIdentification(true);
    DecodeStationStatus(session, store, true, true);
    session.VerFlags = session.BuildVerFlags();
    const TTableVerRWFlags& flags = *session.VerFlags;

    // Any failure of a status table ends the read as its time-out does: a configuration
    // without the conference parameters, timers or composition must not be taken as read.
    if (flags.QuickConferences() && session.IsCedarOrDogwood() &&
        session.ReadConferenceParameters() < 0)
        StatusTimeout(session,
                      "Не могу прочитать таблицу параметров конференций. Выход по "
                      "time-out. Программа будет закрыта.");
    if (!flags.VersionSupported()) {
        if (saved) {
            // The previous station stays shown exactly as it was decoded.
            session.IdBuffer = saved->Buffer;
            session.IdRawLength = saved->RawLength;
            session.IdDecodedLength = saved->DecodedLength;
            session.Key = saved->Key;
            session.Identity = saved->Identity;
            session.CallAccounting = saved->CallAccounting;
            session.CallAccountingLength = saved->CallAccountingLength;
            session.VerFlags = session.BuildVerFlags();
            DecodeStationStatus(session, store, true, false);
        }
        return -2;
    }
    if (session.ReadTimeDefaults() < 0)
        StatusTimeout(session,
                      "Не могу прочитать таблицу умолчаний врем. установок. Выход по "
                      "time-out. Программа будет закрыта.");
    DecodeTimeDefaults(session, store);
    if (session.ReadHardwareConfiguration() < 0)
        StatusTimeout(session,
                      "Не могу прочитать таблицу состава АТС. Выход по time-out. "
                      "Программа будет закрыта.");
    DecodeComposition(session, store);
    BuildPorts(store);

    progress.SetMinimum(0);
    progress.SetMaximum(kTableCount);
    progress.SetStep(1);
    if (session.Identity.UnitCount == 1) {
        for (const TReadStep& step : kReadOrder) {
            const TTableCodec* codec = FindCodec(step.Table);
            if (codec != nullptr && store.Selected(step.Table) &&
                Holds(step.Condition, session, flags)) {
                const int result = codec->Read(session);
                session.LoadedBlank[static_cast<std::size_t>(SelectionIndex(step.Table))] = false;
                if (result == -5) session.Dialogs.Message(codec->ReadTimeout, "Ошибка");
                if (failed != nullptr && ReadFailed(result)) failed->push_back(step.Table);
                if (step.Decode) codec->Decode(session, store);
            }
            progress.StepIt();
        }
    }
    session.Identified = true;
    session.MarkReadFromStation();
    session.ChangeFlags.fill(false);
    return 1;
}

bool ReadAllCovers(const TMainClass& session, ETable t) {
    const TTableVerRWFlagsPtr flags = session.VerFlags ? session.VerFlags : session.BuildVerFlags();
    for (const TReadStep& step : kReadOrder)
        if (step.Table == t) return Holds(step.Condition, session, *flags);
    return false;
}

int WriteAll(TMainClass& session, TProgress& progress, TDataStream& store,
             std::vector<ETable>* failed, std::vector<ETable>* written) {
    if (failed != nullptr) failed->clear();
    if (written != nullptr) written->clear();
    const std::string fileVersion = session.Identity.Version;
    session.VerFlags = session.BuildVerFlags();
    progress.SetMinimum(0);
    progress.SetMaximum(kTableCount);
    progress.SetStep(1);
    if (session.CheckLink() < 0) return -1;
    const TIdentitySnapshot before(session);
    if (!session.ReadIdentification(false)) return -1;
    session.DecodeIdentification(true);
    if (IsAnotherStation(session)) {
        const std::string was = session.OriginModel + ", заводской номер " + session.OriginSerial;
        const std::string now =
            session.Identity.ModelName + ", заводской номер " + session.Identity.SerialNumber;
        // The configuration in hand stays with the station it was read from.
        before.Restore(session);
        session.Dialogs.Message("К порту подключена другая АТС (" + now +
                                    "), а конфигурация считана из АТС " + was +
                                    ". В АТС ничего не записано. Считайте конфигурацию этой АТС "
                                    "или загрузите ее из файла.",
                                "Ошибка");
        return kWriteOtherStation;
    }
    const TTableVerRWFlags& flags = *session.VerFlags;
    bool messageShown = false;
    // From here a cancel is honoured between tables only.
    struct TBetweenTables {
        TFrameEngine& Frames;
        bool Saved;
        explicit TBetweenTables(TFrameEngine& f) : Frames(f), Saved(f.StopBetweenFrames) {
            f.StopBetweenFrames = false;
        }
        ~TBetweenTables() { Frames.StopBetweenFrames = Saved; }
    } betweenTables(session.Frames);
    for (const TWriteStep& step : kWriteOrder) {
        if (session.Frames.CancelRequested()) return kWriteCancelled;
        progress.StepIt();
        const TTableCodec* codec = FindCodec(step.Table);
        if (codec == nullptr || !store.Selected(step.Table) ||
            !Holds(step.Condition, session, flags))
            continue;
        if (step.Table == ETable::StaButtons &&
            TBroadcaster::CompareVersions(fileVersion, session.Identity.Version) != 1) {
            session.Dialogs.Message(
                "Весия ПО файла отличается от версии ПО станции. КНОПКИ СТА НЕ БУДУТ ЗАПИСАНЫ. "
                "Для устранения этой проблемы, установите на станцию новое ПО",
                "Внимание!");
        } else {
            if (step.EncodeFirst) codec->Encode(session, store);
            const int result = codec->Write(session);
            if (ShowsMessage(step, result)) {
                session.Dialogs.Message(step.Message, "Ошибка");
                messageShown = true;
            }
            const bool refused = NotAccepted(step, result);
            if (failed != nullptr && refused) failed->push_back(step.Table);
            if (written != nullptr && !refused) written->push_back(step.Table);
        }
        session.SetChanged(step.Table, false);
    }
    return messageShown ? -1 : 1;
}

std::vector<ETable> TablesWriteAllSends(const TMainClass& session, const TDataStream& store) {
    const TTableVerRWFlagsPtr flags = session.BuildVerFlags();
    std::vector<ETable> tables;
    for (const TWriteStep& step : kWriteOrder)
        if (FindCodec(step.Table) != nullptr && store.Selected(step.Table) &&
            Holds(step.Condition, session, *flags))
            tables.push_back(step.Table);
    return tables;
}

std::string TableCaptions(const std::vector<ETable>& tables) {
    std::string text;
    for (ETable t : tables) {
        const TTableCodec* codec = FindCodec(t);
        text += text.empty() ? "«" : ", «";
        text += codec != nullptr ? codec->Caption : std::to_string(SelectionIndex(t));
        text += "»";
    }
    return text;
}

std::string WriteEndedEarlyText(EWriteEnd end, const std::vector<ETable>& chosen,
                                const std::vector<ETable>& written) {
    if (end == EWriteEnd::Completed) return "";
    std::vector<ETable> missing;
    for (const TWriteStep& step : kWriteOrder)
        if (std::find(chosen.begin(), chosen.end(), step.Table) != chosen.end() &&
            std::find(written.begin(), written.end(), step.Table) == written.end())
            missing.push_back(step.Table);
    std::string text = end == EWriteEnd::PortFailed ? "Запись в АТС прервана ошибкой COM-порта."
                                                    : "Запись в АТС остановлена.";
    if (written.empty()) return text + " В АТС ничего не записано: все таблицы в АТС прежние.";
    text += " Записаны в АТС: " + TableCaptions(written) + ".";
    if (missing.empty()) return text + " Все выбранные таблицы записаны.";
    text += " Не записаны (или записаны не полностью): " + TableCaptions(missing) + ".";
    return text + " Теперь в АТС часть таблиц новые, часть прежние.";
}

}  // namespace zarnik
