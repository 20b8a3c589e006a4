#include "model/port.h"

#include <array>
#include <span>
#include <string_view>

#include "model/broadcaster.h"
#include "model/data_stream.h"

namespace zarnik {

namespace {

struct TPortKind {
    const char* Kind;
    std::int16_t Type;
};

constexpr TPortKind SL{"SL", kPortTypeTrunk};
constexpr TPortKind AL{"AL", kPortTypeSubscriber};
constexpr TPortKind STA{"STA", kPortTypeSta};
constexpr TPortKind D{"D", kPortTypeDoorPhone};
constexpr TPortKind EMPTY{"", kPortTypeEmpty};

struct TBoard {
    std::string_view Name;
    std::array<TPortKind, 10> Ports;
};

// Ports of each board type by position.
constexpr std::array<TBoard, 6> kTenPortBoards{{
    {"Kama", {SL, AL, SL, AL, SL, AL, SL, AL, SL, AL}},
    {"Don", {SL, AL, SL, AL, SL, AL, AL, AL, AL, AL}},
    {"Volga", {SL, AL, SL, AL, STA, D, STA, D, STA, D}},
    {"Neva", {AL, AL, AL, AL, AL, AL, AL, AL, AL, AL}},
    {"Onega", {AL, AL, AL, AL, AL, AL, STA, D, STA, D}},
    {"Clear", {EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY}},
}};

constexpr std::array<TBoard, 6> kEightPortBoards{{
    {"Oka", {SL, AL, SL, AL, AL, AL, AL, AL}},
    {"Ural", {SL, AL, AL, AL, AL, AL, AL, AL}},
    {"Svir", {AL, AL, AL, AL, AL, AL, AL, AL}},
    {"Lena", {STA, D, STA, D, STA, D, STA, D}},
    {"LenaN", {STA, D, STA, D, STA, D, STA, D}},
    {"Clear", {EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY}},
}};

const TBoard* FindBoard(std::span<const TBoard> boards, const std::string& name) {
    for (const TBoard& b : boards)
        if (b.Name == name) return &b;
    return nullptr;
}

bool Contains(const std::string& text, const char* part) {
    return text.find(part) != std::string::npos;
}

}  // namespace

int BuildPorts(TDataStream& store) {
    store.Ports.clear();
    store.CurrentPort.reset();
    const bool tenPort = Contains(store.Model, "Cedar") || Contains(store.Model, "Dogwood");
    const bool eightPort = store.Model == "Alder" || store.Model == "Birch";
    if (!tenPort && !eightPort) return -1;
    const std::span<const TBoard> boards = tenPort ? std::span<const TBoard>(kTenPortBoards)
                                                   : std::span<const TBoard>(kEightPortBoards);
    const int positions = tenPort ? 10 : 8;
    // Dogwood's last two entries of a long composition carry no ports; the stored count stays
    // as it is, so the composition window and saved files keep every entry.
    int slots = std::min<int>(store.CompositionCount, static_cast<int>(store.Composition.size()));
    if (Contains(store.Model, "Dogwood") && slots > 15) slots -= 2;
    int result = 1;
    for (int s = 0; s < slots; ++s) {
        const TBoard* board = FindBoard(boards, store.Composition[static_cast<std::size_t>(s)].BoardType);
        if (board == nullptr) {
            result = -2;
            continue;
        }
        for (int p = 0; p < positions; ++p) {
            auto port = std::make_shared<TPort>();
            port->Number = 200 + 10 * s + p;
            port->Kind = board->Ports[static_cast<std::size_t>(p)].Kind;
            port->Type = board->Ports[static_cast<std::size_t>(p)].Type;
            port->Line = static_cast<std::int16_t>(
                TBroadcaster::GetLineNumFromPortNum(store.Model, std::to_string(port->Number)));
            port->Slot = static_cast<std::int16_t>(s);
            store.Ports.push_back(port);
            store.CurrentPort = port;
        }
    }
    return result;
}

bool IsLinePort(const TPort& port) {
    switch (port.Type) {
        case kPortTypeSubscriber:
        case kPortTypeTrunk:
        case kPortTypeSta:
        // A subscriber line stays a subscriber line when a door phone or a loudspeaker channel
        // is attached to it: its program number and line settings still belong to it.
        case kPortTypeAttachedDoorPhone:
        case kPortTypeAttachedLoudspeaker: return true;
        default: return false;
    }
}

TPortPtr FindPort(const TDataStream& store, int number) {
    for (const TPortPtr& p : store.Ports) {
        if (p->Number == number && IsLinePort(*p)) return p;
    }
    return nullptr;
}

}  // namespace zarnik
