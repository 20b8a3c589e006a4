#include "flows/clear_settings.h"

#include "codecs/table_codec.h"

namespace zarnik {

namespace {

constexpr std::array<TClearStep, kTableCount> kClearingOrder{{
    {ETable::ProgramNumbers, "Программные номера", 34},
    {ETable::SubscriberLines, "Установки АЛ ", 19},
    {ETable::TrunkLines, "Установки СЛ ", 24},
    {ETable::RoutingTables, "Таблицы наведения", 36},
    {ETable::Groups, "Установки групп", 26},
    {ETable::GroupPhoneBooks, "Групповые записные книжки", 38},
    {ETable::Loudspeakers, "Таблицы ГГС", 39},
    {ETable::DoorPhones, "Таблицы домофонов ", 37},
    {ETable::StaButtons, "Таблицы кнопок СТА", 40},
    {ETable::Flash, "Flash установки", 35},
    {ETable::GlobalPhoneBook, "Общая записная книжка", 32},
    {ETable::TimeSettings, "Временные установки", 31},
    {ETable::QuickConferences, "Быстрый сбор конференции", 25},
    {ETable::SystemSettings, "Общесистемные установки", 15},
    {ETable::Redirections, "Таблицы переадресаций", 33},
    {ETable::BlackWhiteLists, "Белые и черные зап. книжки", 29},
}};

bool Ticked(const TTableTicks& ticks, ETable t) {
    return ticks[static_cast<std::size_t>(SelectionIndex(t))];
}

}  // namespace

const std::array<TClearStep, kTableCount>& ClearingOrder() {
    return kClearingOrder;
}

TTableTicks ClearableTables(const TMainClass& session) {
    const TTableVerRWFlagsPtr flags = session.BuildVerFlags();
    TTableTicks enabled{};
    for (const TClearStep& step : kClearingOrder)
        enabled[static_cast<std::size_t>(SelectionIndex(step.Table))] = flags->Entry(step.Entry);
    return enabled;
}

bool BlankTable(TMainClass& session, TDataStream& store, ETable t) {
    const TTableCodec* codec = FindCodec(t);
    if (codec == nullptr || !codec->Blank) return false;
    codec->Blank(session);
    // The flash image is carried as it stands; the store holds nothing of it.
    if (t != ETable::Flash && codec->Decode) codec->Decode(session, store);
    return true;
}

TClearResult ClearSettings(TMainClass& session, TDataStream& store, const TTableTicks& ticks) {
    // Built afresh: the identity may have changed since the window was shown.
    const TTableVerRWFlagsPtr flags = session.BuildVerFlags();
    TClearResult result;
    for (const TClearStep& step : kClearingOrder) {
        if (!Ticked(ticks, step.Table)) continue;
        if (!flags->Entry(step.Entry)) {
            result.Unsupported.push_back(step.Table);
            continue;
        }
        if (!BlankTable(session, store, step.Table)) {
            result.NoCodec.push_back(step.Table);
            continue;
        }
        session.SetChanged(step.Table);
        result.Cleared.push_back(step.Table);
    }
    return result;
}

}  // namespace zarnik
