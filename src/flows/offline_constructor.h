#pragma once
// Building a blank configuration without a station ("Конструктор АТС"): the user's choice of
// model, working-program version and boards, and the build that makes the session look as if
// that station had been identified, with every table at its blank image.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "link/main_class.h"
#include "model/data_stream.h"

namespace zarnik {

struct TBoardChoice {
    const char* Name;  // "" for an empty slot
    std::uint8_t Code;
};

inline constexpr std::uint8_t kEmptySlotCode = 0xFF;
inline constexpr std::size_t kConstructorIdLength = 20;

// The models in the order the window lists them, and the version it offers.
const std::array<const char*, 4>& ConstructorModels();
inline constexpr const char* kConstructorVersion = "24.7";

// Slot columns shown for the model: Dogwood 15, Cedar 12, Birch 10, Alder 6; 0 for any other.
int ConstructorSlotCount(const std::string& model);

// The boards the model's family offers, the empty slot first; empty for an unknown model.
std::span<const TBoardChoice> OfferedBoards(const std::string& model);

// The composition code of a board ("" = empty slot) on the model; nullopt when not offered.
std::optional<std::uint8_t> BoardCode(const std::string& model, const std::string& board);

// Identification bytes 6 and 7 for a version text such as "24.7" (bytes 0x47 and 0x02);
// nullopt when the text cannot be turned into two bytes of decimal digits.
std::optional<std::array<std::uint8_t, 2>> VersionBytes(const std::string& version);

// The 20-byte identification block the constructor gives a model; nullopt for an unknown
// model or a version that VersionBytes refuses.
std::optional<std::array<std::uint8_t, kConstructorIdLength>> ConstructorIdentification(
    const std::string& model, const std::string& version);

// What the constructor window holds: model, version, one board per slot and the second-unit
// box of Cedar.
class TConstructorDraft {
  public:
    // Chooses a model ("" = none); the slots follow the model, and a real change of model
    // empties every slot. false (nothing changed) for a model the window does not offer.
    bool SetModel(const std::string& model);
    // Chooses a version ("" = none).
    void SetVersion(const std::string& version) { VersionText = version; }
    // Puts a board ("" = none) into a slot. false, nothing changed, unless a model and a
    // version are chosen, the slot exists and the family offers the board. On Cedar a board in
    // a slot above 5 ticks the second unit.
    bool SetBoard(int slot, const std::string& board);
    // Ticks or unticks the second unit; returns the tick as it stands afterwards. The box is
    // there only for Cedar, and cannot be unticked while slots 6 to 11 hold a board.
    bool SetSecondUnit(bool ticked);

    const std::string& Model() const { return ModelName; }
    const std::string& Version() const { return VersionText; }
    const std::vector<std::string>& Boards() const { return Slots; }
    bool SecondUnitEnabled() const { return ModelName == "Cedar"; }
    bool SecondUnit() const { return SecondUnitEnabled() && SecondUnitTicked; }
    bool CanBuild() const { return !ModelName.empty() && !VersionText.empty(); }

    // One code byte per composition place, as the station lists its boards.
    std::vector<std::uint8_t> CompositionBytes() const;

  private:
    bool SecondUnitBoardsFitted() const;

    std::string ModelName;
    std::string VersionText;
    std::vector<std::string> Slots;
    bool SecondUnitTicked = false;
};

enum class EConstructResult {
    Built,
    NotChosen,   // no model or no version: nothing happened
    BadVersion,  // the version cannot be written into the identification: message shown,
                 // nothing changed
};

// "Создать АТС": replaces the session's identity, status blocks and every table with the
// blank station of the draft, decodes all of it into the store and rebuilds the ports. No
// capability entry is tested and no change flag is set; the data-present flag is set.
EConstructResult BuildOfflineStation(TMainClass& session, TDataStream& store,
                                     const TConstructorDraft& draft);

// The tables in the order the build blanks them.
const std::array<ETable, kTableCount>& ConstructorOrder();

}  // namespace zarnik
