#include "editors/redirection_editor.h"

#include <algorithm>

#include "codecs/redirection_codec.h"
#include "model/port.h"
#include "platform/text_1251.h"

namespace zarnik {

namespace {

constexpr std::size_t kTargetDigits = 3;

// The records the redirection table carries: one per subscriber line of the station.
int CarriedRecords(const TMainClass& session) {
    return static_cast<int>(
        std::min({static_cast<std::size_t>(session.Identity.SubscriberLineCount), kMaxRedirections,
                  session.Area(ETable::Redirections).Slots[0].Capacity()}));
}

}  // namespace

TRedirectionLayout RedirectionLayout(const std::string& model) {
    if (model == "Dogwood") return {15, 10};
    if (model == "Cedar") return {12, 10};
    if (model == "Birch") return {10, 8};
    if (model == "Alder") return {6, 8};
    return {};
}

std::optional<int> RedirectionTarget(const TDataStream& store, const std::string& typed) {
    if (typed.size() < kTargetDigits) return std::nullopt;
    int number = 0;
    for (std::size_t i = 0; i < kTargetDigits; ++i) {
        if (typed[i] < '0' || typed[i] > '9') return std::nullopt;
        number = number * 10 + (typed[i] - '0');
    }
    for (const TPortPtr& port : store.Ports)
        if (port->Number == number &&
            (port->Type == kPortTypeSubscriber || port->Type == kPortTypeSta))
            return number;
    return std::nullopt;
}

TRedirectionEditor::TRedirectionEditor(const TMainClass& session, const TDataStream& store)
    : Store(store), Grid(RedirectionLayout(store.Model)), Lines(CarriedRecords(session)) {
    Cells.resize(static_cast<std::size_t>(Grid.Cells()));
    for (int k = 0; k < Grid.Cells(); ++k) {
        std::string& text = Cells[static_cast<std::size_t>(k)];
        const TRedirectRecord& r = store.Redirections[static_cast<std::size_t>(k)];
        if (k >= Lines || r.State < 0)
            text = kNoRedirectCell;
        else if (r.Target > 0)
            text = TargetText(r.Target);
    }
    Shown = Cells;
}

int TRedirectionEditor::PortOf(int cell) const {
    if (Grid.Columns == 0) return 0;
    return RedirectionRowHeader(cell / Grid.Columns) + cell % Grid.Columns;
}

std::string TRedirectionEditor::TargetText(int port) const {
    const TPortPtr target = FindPort(Store, port);
    if (!target) return {};
    return std::to_string(port) + "(" + Cp1251ToUtf8(target->AlData->AL_PrgNum) + ")";
}

bool TRedirectionEditor::BeginEdit(int cell, TUserDialogs& dialogs) const {
    if (cell < 0 || cell >= Grid.Cells()) return false;
    if (Cell(cell) != kNoRedirectCell) return true;
    dialogs.Message(kPortUnavailableMessage, kPortUnavailableCaption);
    return false;
}

void TRedirectionEditor::EnterTyped(int cell, const std::string& typed, TUserDialogs& dialogs) {
    if (!BeginEditable(cell)) return;
    std::string& text = Cells[static_cast<std::size_t>(cell)];
    if (const std::optional<int> target = RedirectionTarget(Store, typed)) {
        text = TargetText(*target);
        return;
    }
    if (!typed.empty()) dialogs.Message(kWrongTargetMessage, "");
    text.clear();
}

bool TRedirectionEditor::LeaveTyped(int cell, const std::string& typed, TUserDialogs& dialogs) {
    if (!BeginEditable(cell)) return false;
    if (RedirectionTarget(Store, typed)) {
        Cells[static_cast<std::size_t>(cell)] = typed;
        return true;
    }
    if (typed.empty()) return true;
    dialogs.Message(kWrongTargetMessage, "");
    return false;
}

bool TRedirectionEditor::BeginEditable(int cell) const {
    return cell >= 0 && cell < Grid.Cells() && Cell(cell) != kNoRedirectCell;
}

void TRedirectionEditor::Commit(TMainClass& session, TDataStream& store) {
    const int cells = std::min(Grid.Cells(), Lines);
    for (int k = 0; k < cells; ++k) {
        const std::size_t i = static_cast<std::size_t>(k);
        TRedirectRecord& record = store.Redirections[i];
        if (Cells[i] == kNoRedirectCell) {
            record.State = -1;
        } else if (const std::optional<int> target = RedirectionTarget(store, Cells[i])) {
            record.Target = *target;
        } else if (Cells[i] != Shown[i]) {
            // A cell left as it was shown keeps its record, also a target the window cannot
            // name; only what the user emptied or typed wrong clears it.
            Cells[i].clear();
            record.Target = 0;
        }
    }
    store.RedirectionCount = static_cast<std::uint16_t>(Lines);
    EncodeRedirectTable(session, store);
    // The encode keeps the block's length; a block never read nor loaded whole would leave
    // the committed records behind on the next write or save.
    TRawSlot& block = session.Area(ETable::Redirections).Slots[0];
    if (block.Length < Lines) block.Length = static_cast<std::uint16_t>(Lines);
    Shown = Cells;
}

}  // namespace zarnik
