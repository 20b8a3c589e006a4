#pragma once
// Store record: one subscriber line. Every setting comes with an own flag: true when the line
// uses its own value, false when it follows its group's setting.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace zarnik {

// The 26 on/off settings share one index order (the block layout and the own flags use it).
inline constexpr int kAlSettingCount = 26;
inline constexpr std::size_t kAlTrunkLineSlots = 200;

namespace al_setting {
inline constexpr int SecondJoining = 0;
inline constexpr int DTMF = 1;
inline constexpr int RequiresCallSignal = 2;
inline constexpr int Df01 = 3;  // door phones 1..4 are 3..6
inline constexpr int Redirect = 7;
inline constexpr int NonWorry = 8;
inline constexpr int GGSUse = 9;
inline constexpr int UsePipeOfOrder = 10;
inline constexpr int InterceptVoidCall = 11;
inline constexpr int AllGGSUse = 12;
inline constexpr int SLOutput = 13;
inline constexpr int MGOutput = 14;
inline constexpr int MNOutput = 15;
inline constexpr int AutoDialer = 16;
inline constexpr int FAXRegime = 17;
inline constexpr int mBAdapter_ON = 18;
inline constexpr int RusSTA = 19;
inline constexpr int w_extnum_1th = 20;  // white-book sections 1..5 are 20..24
inline constexpr int b_extnum = 25;
}  // namespace al_setting

struct TAL {
    bool AL_SecondJoining = false;
    bool AL_DTMF = false;
    bool AL_RequiresCallSignal = false;
    bool AL_Df01 = false;
    bool AL_Df02 = false;
    bool AL_Df03 = false;
    bool AL_Df04 = false;
    bool AL_Redirect = false;
    bool AL_NonWorry = false;
    bool AL_GGSUse = false;
    bool AL_UsePipeOfOrder = false;
    bool AL_InterceptVoidCall = false;
    bool AL_AllGGSUse = false;
    bool AL_SLOutput = false;
    bool AL_MGOutput = false;
    bool AL_MNOutput = false;
    bool AL_AutoDialer = false;
    bool AL_FAXRegime = false;
    bool AL_mBAdapter_ON = false;
    bool AL_RusSTA = false;
    bool AL_w_extnum_1th = false;
    bool AL_w_extnum_2th = false;
    bool AL_w_extnum_3th = false;
    bool AL_w_extnum_4th = false;
    bool AL_w_extnum_5th = false;
    bool AL_b_extnum = false;
    // Own flag of each setting, by setting index.
    std::array<bool, kAlSettingCount> AL_Own{};

    // Forbidden trunk lines by 0-based trunk-line index, and their own flags.
    std::array<bool, kAlTrunkLineSlots> ALSL_OFF{};
    std::array<bool, kAlTrunkLineSlots> ALSL_OFF_Own{};

    std::uint8_t ALPriority = 0;
    std::uint8_t ALGGS = 0;
    std::string ALDirectCall;   // digits; empty when none
    std::int32_t ALGroup = -1;  // 0-based group index 0..19, -1 for none

    // The line's program number with its leading "1" ("" for none). Only the copy held by the
    // line's port is used; the subscriber-line table itself never carries it.
    std::string AL_PrgNum;

    bool& Setting(int index);
    bool Setting(int index) const { return const_cast<TAL*>(this)->Setting(index); }
};

// The settings' members in index order.
inline constexpr std::array<bool TAL::*, kAlSettingCount> kAlSettingMembers{
    &TAL::AL_SecondJoining, &TAL::AL_DTMF,           &TAL::AL_RequiresCallSignal,
    &TAL::AL_Df01,          &TAL::AL_Df02,           &TAL::AL_Df03,
    &TAL::AL_Df04,          &TAL::AL_Redirect,       &TAL::AL_NonWorry,
    &TAL::AL_GGSUse,        &TAL::AL_UsePipeOfOrder, &TAL::AL_InterceptVoidCall,
    &TAL::AL_AllGGSUse,     &TAL::AL_SLOutput,       &TAL::AL_MGOutput,
    &TAL::AL_MNOutput,      &TAL::AL_AutoDialer,     &TAL::AL_FAXRegime,
    &TAL::AL_mBAdapter_ON,  &TAL::AL_RusSTA,         &TAL::AL_w_extnum_1th,
    &TAL::AL_w_extnum_2th,  &TAL::AL_w_extnum_3th,   &TAL::AL_w_extnum_4th,
    &TAL::AL_w_extnum_5th,  &TAL::AL_b_extnum};

// What the windows call each setting, in index order.
inline constexpr std::array<const char*, kAlSettingCount> kAlSettingCaptions{
    "Запрет инициирования второго соединения",
    "Разрешение DTMF набора",
    "Запрет сигналов \"Требование соединения\"",
    "Домофон 01",
    "Домофон 02",
    "Домофон 03",
    "Домофон 04",
    "Запрет переадресации",
    "Разрешение включения режима \"Не беспокоить\"",
    "Запрет включения ГГС",
    "Запрет использования заказа соединения",
    "Запрет перехвата неопределенного вызова",
    "Разрешение вызова всех ГГС",
    "Ограничение выхода на все СЛ",
    "Ограничение выхода на междугороднюю связь",
    "Ограничение выхода на международную связь",
    "Запрет использования автодозвона",
    "Режим \"Факс\"",
    "Аппаратная поддержка адаптера МБ и ТЧ",
    "Русификация СТА",
    "Доступ к 1-й секции белой книжки",
    "Доступ ко 2-й секции белой книжки",
    "Доступ к 3-й секции белой книжки",
    "Доступ к 4-й секции белой книжки",
    "Доступ к 5-й секции белой книжки",
    "Доступ к черной книжке",
};

// index must be 0..25.
inline bool& TAL::Setting(int index) {
    return this->*kAlSettingMembers[static_cast<std::size_t>(index)];
}

}  // namespace zarnik
