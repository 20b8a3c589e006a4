#include "editors/loudspeaker_editor.h"

#include "codecs/door_phone_codec.h"
#include "codecs/loudspeaker_codec.h"
#include "codecs/program_number_codec.h"
#include "model/port.h"
#include "platform/text_1251.h"

namespace zarnik {

TLoudspeakerView LoudspeakerView(const TDataStream& store, int index) {
    const TGGS& c = store.Loudspeakers[static_cast<std::size_t>(index)];
    TLoudspeakerView v;
    v.Name = store.Names ? Cp1251ToUtf8(store.Names->GetGgsName(index)) : "";
    v.AutoOff = c.AutoOff;
    v.Port = Cp1251ToUtf8(c.LinkPort);
    return v;
}

bool CommitLoudspeaker(TMainClass& session, TDataStream& store, int index,
                       const TLoudspeakerView& view, TUserDialogs& dialogs) {
    if (index < 0 || index >= store.LoudspeakerCount) return false;
    if (const auto problem = NameProblem(view.Name)) {
        dialogs.Message(*problem, kEditErrorCaption);
        return false;
    }
    TGGS& record = store.Loudspeakers[static_cast<std::size_t>(index)];
    const TGGS oldRecord = record;
    const TRawArea oldArea = session.Area(ETable::Loudspeakers);
    const bool oldChanged = session.Changed(ETable::Loudspeakers);
    auto putBack = [&] {
        record = oldRecord;
        session.Area(ETable::Loudspeakers) = oldArea;
        session.SetChanged(ETable::Loudspeakers, oldChanged);
    };
    record.AutoOff = view.AutoOff;
    record.LinkPort = view.Port.empty() ? std::string() : Utf8ToCp1251(PortOfChoice(view.Port));
    if (EncodeGgsTable(session, store) < 0) {
        putBack();
        dialogs.Message(kBadInputMessage, kEditErrorCaption);
        return false;
    }
    const std::string oldName = store.Names ? store.Names->GetGgsName(index) : "";
    const std::string newName = Utf8ToCp1251(view.Name);
    if (store.Names && newName != oldName && store.Names->SetGgsName(index, newName) != 0) {
        store.Names->SetGgsName(index, oldName);
        putBack();
        dialogs.Message("Имя канала ГГС не удалось записать в файл имен. Данные не внесены.",
                        kEditErrorCaption);
        return false;
    }
    return true;
}

void AfterLoudspeakerWindow(TMainClass& session, TDataStream& store) {
    BuildPorts(store);
    DecodeGgsTable(session, store);
    DecodeDfTable(session, store);
    DecodePrgNumTable(session, store);
}

}  // namespace zarnik
