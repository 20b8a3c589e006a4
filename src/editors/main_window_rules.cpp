#include "editors/main_window_rules.h"

#include "flows/read_write_all.h"
#include "model/data_stream.h"
#include "platform/text_1251.h"

namespace zarnik {

const std::array<TPanelBox, kTableCount>& PanelBoxes() {
    static const std::array<TPanelBox, kTableCount> kBoxes{{
        {ETable::SubscriberLines, "Установки АЛ"},
        {ETable::TrunkLines, "Установка СЛ"},
        {ETable::Groups, "Установки групп"},
        {ETable::RoutingTables, "Таблицы наведения"},
        {ETable::SystemSettings, "Общесистемные установки"},
        {ETable::DoorPhones, "Таблицы домофонов"},
        {ETable::Loudspeakers, "Таблицы ГГС"},
        {ETable::Redirections, "Таблица переадресаций"},
        {ETable::Flash, "Flash установки"},
        {ETable::GlobalPhoneBook, "Общая записная книжка"},
        {ETable::GroupPhoneBooks, "Групповые записные книжки"},
        {ETable::ProgramNumbers, "Программные номера"},
        {ETable::QuickConferences, "Быстрый сбор конференции"},
        {ETable::StaButtons, "Таблицы кнопок СТА"},
        {ETable::TimeSettings, "Временные установки"},
        {ETable::BlackWhiteLists, "Черно-белая книжка"},
    }};
    return kBoxes;
}

TTableTicks TicksFromPanel(const std::array<bool, kTableCount>& boxes) {
    TTableTicks ticks{};
    for (std::size_t i = 0; i < boxes.size(); ++i)
        ticks[static_cast<std::size_t>(SelectionIndex(PanelBoxes()[i].Table))] = boxes[i];
    return ticks;
}

std::array<bool, kTableCount> PanelFromTicks(const TTableTicks& ticks) {
    std::array<bool, kTableCount> boxes{};
    for (std::size_t i = 0; i < boxes.size(); ++i)
        boxes[i] = ticks[static_cast<std::size_t>(SelectionIndex(PanelBoxes()[i].Table))];
    return boxes;
}

TTableTicks TicksFromChangeFlags(const TMainClass& session) {
    TTableTicks ticks{};
    for (const ETable t : kAllTables)
        ticks[static_cast<std::size_t>(SelectionIndex(t))] = session.Changed(t);
    return ticks;
}

bool MenuEnabled(ECommand c, const TMainClass& session) {
    switch (c) {
        case ECommand::CreateFile:
        case ECommand::LoadFile:
        case ECommand::ReadStation:
        case ECommand::Exit:
        case ECommand::Options:
        case ECommand::About:
        case ECommand::Help:
        case ECommand::Archive:
            return true;
        case ECommand::Conferences:
            return session.DataPresent && session.BuildVerFlags()->QuickConferences();
        case ECommand::BlackWhiteLists:
            return session.DataPresent && session.BuildVerFlags()->BlackWhiteLists();
        default:
            return session.DataPresent;
    }
}

bool ToolbarEnabled(ECommand c, const TMainClass& session) {
    switch (c) {
        case ECommand::SaveFile:
        case ECommand::GroupsLines:
            return session.DataPresent;
        case ECommand::WriteStation:
        case ECommand::TrunksBulk:
            return session.Identified;
        default:
            return true;
    }
}

std::vector<std::string> ConfigurationSummary(const TMainClass& session,
                                              const TDataStream& store) {
    std::vector<std::string> lines;
    if (!session.DataPresent) {
        lines.emplace_back("Конфигурации нет: считайте АТС или загрузите файл.");
        return lines;
    }
    lines.push_back("АТС " + Cp1251ToUtf8(store.Model) + ", версия рабочей программы " +
                    Cp1251ToUtf8(store.VersionText) +
                    (session.Identified ? ", считана из АТС." : ", загружена из файла."));
    std::string boards;
    for (std::size_t i = 0; i < store.CompositionCount && i < store.Composition.size(); ++i) {
        if (!boards.empty()) boards += ", ";
        boards += Cp1251ToUtf8(store.Composition[i].BoardType);
    }
    lines.push_back("Платы: " + std::to_string(store.CompositionCount) +
                    (boards.empty() ? "" : " (" + boards + ")") + ".");
    int al = 0, sl = 0, sta = 0;
    for (const TPortPtr& p : store.Ports) {
        if (!p) continue;
        if (p->Type == kPortTypeTrunk) ++sl;
        else if (p->Type == kPortTypeSta) ++sta;
        else if (IsLinePort(*p)) ++al;
    }
    lines.push_back("Порты: АЛ " + std::to_string(al) + ", СЛ " + std::to_string(sl) + ", СТА " +
                    std::to_string(sta) + ", домофонов " + std::to_string(store.DoorPhoneCount) +
                    ", каналов ГГС " + std::to_string(store.LoudspeakerCount) + ".");
    std::vector<ETable> changed;
    for (const ETable t : kAllTables)
        if (session.Changed(t)) changed.push_back(t);
    lines.push_back(changed.empty() ? "Отмеченных для записи в АТС таблиц нет."
                                    : "Будут предложены для записи в АТС: " +
                                          TableCaptions(changed) + ".");
    return lines;
}

}  // namespace zarnik
