#pragma once
// Store record: one group of subscriber lines. A group carries the same 26 settings as a line
// (same index order as TAL) and the values its lines follow where their own flag is off.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "model/subscriber_line_record.h"

namespace zarnik {

inline constexpr int kGroupCount = 20;        // groups the station has, numbers 10..29
inline constexpr int kGroupListEntries = 5;   // group-call lines and intercept groups
inline constexpr int kFirstGroupNumber = 10;  // group number shown = index + 10

struct TGroup {
    bool GR_SecondJoining = false;
    bool GR_DTMF = false;
    bool GR_RequiresCallSignal = false;
    std::array<bool, 4> GR_Df{};  // door phones 1..4
    bool GR_Redirect = false;
    bool GR_NonWorry = false;
    bool GR_GGSUse = false;
    bool GR_UsePipeOfOrder = false;
    bool GR_InterceptVoidCall = false;
    bool GR_AllGGSUse = false;
    bool GR_SLOutput = false;
    bool GR_MGOutput = false;
    bool GR_MNOutput = false;
    bool GR_AutoDialer = false;
    bool GR_FAXRegime = false;
    bool GR_mBAdapter_ON = false;
    bool GR_RusSTA = false;
    bool GR_w_extnum_1th = false;
    bool GR_w_extnum_2th = false;
    bool GR_w_extnum_3th = false;
    bool GR_w_extnum_4th = false;
    bool GR_w_extnum_5th = false;
    bool GR_b_extnum = false;

    std::uint8_t GR_Priority = 0;
    std::uint8_t GR_GGS = 0;
    std::string GR_DirectCall;  // up to 4 digits

    // Groups used for additional interception, as group numbers 10..29.
    std::array<std::int16_t, kGroupListEntries> GR_AdditionalIntercept{};
    std::uint16_t GR_AdditionalInterceptCount = 0;
    // Subscriber lines called together, as port numbers; a 0 entry ends the list.
    std::array<std::int32_t, kGroupListEntries> GR_GroupCall{};
    std::uint8_t GR_GroupCallCount = 0;

    // Routing tables of the group call by day and by night, 0 for none.
    std::uint8_t GR_DayNaveden = 0;
    std::uint8_t GR_NightNaveden = 0;

    // Forbidden trunk lines by 0-based trunk-line index.
    std::array<bool, kAlTrunkLineSlots> GR_SLOFF{};

    // The setting of index 0..25, in the order TAL uses.
    bool& Setting(int index);
    bool Setting(int index) const { return const_cast<TGroup*>(this)->Setting(index); }
};

inline bool& TGroup::Setting(int index) {
    // Door phones are an array here; every other setting is a member of its own.
    static constexpr std::array<bool TGroup::*, kAlSettingCount> kMembers{
        &TGroup::GR_SecondJoining,
        &TGroup::GR_DTMF,
        &TGroup::GR_RequiresCallSignal,
        nullptr,
        nullptr,
        nullptr,
        nullptr,
        &TGroup::GR_Redirect,
        &TGroup::GR_NonWorry,
        &TGroup::GR_GGSUse,
        &TGroup::GR_UsePipeOfOrder,
        &TGroup::GR_InterceptVoidCall,
        &TGroup::GR_AllGGSUse,
        &TGroup::GR_SLOutput,
        &TGroup::GR_MGOutput,
        &TGroup::GR_MNOutput,
        &TGroup::GR_AutoDialer,
        &TGroup::GR_FAXRegime,
        &TGroup::GR_mBAdapter_ON,
        &TGroup::GR_RusSTA,
        &TGroup::GR_w_extnum_1th,
        &TGroup::GR_w_extnum_2th,
        &TGroup::GR_w_extnum_3th,
        &TGroup::GR_w_extnum_4th,
        &TGroup::GR_w_extnum_5th,
        &TGroup::GR_b_extnum};
    if (index >= al_setting::Df01 && index < al_setting::Df01 + 4)
        return GR_Df[static_cast<std::size_t>(index - al_setting::Df01)];
    return this->*kMembers[static_cast<std::size_t>(index)];
}

}  // namespace zarnik
