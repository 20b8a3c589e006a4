#include "editors/sta_button_editor.h"

#include <algorithm>
#include <stdexcept>

#include "codecs/sta_button_codec.h"
#include "model/broadcaster.h"
#include "model/port.h"
#include "platform/text_1251.h"
#include "platform/silent_dialogs.h"

namespace zarnik {

namespace {

constexpr const char* kErrorCaption = "Ошибка";
constexpr int kFirstBookCell = 70;  // the common phone book's cells are "070" to "099"
constexpr int kBookCells = 30;

bool KnownFamily(const std::string& model) {
    return TBroadcaster::IsLargeModel(model) || TBroadcaster::IsSmallModel(model);
}

bool AllDigits(const std::string& text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string PortName(const TDataStream& store, const TPort& port) {
    if (!store.Names || port.Line < 1) return "";
    return Cp1251ToUtf8(store.Names->GetPortName(port.Line - 1));
}

std::string WithName(std::string text, const std::string& name) {
    if (!name.empty()) text += " (" + name + ")";
    return text;
}

const TPort* PortNumbered(const TDataStream& store, int number) {
    for (const TPortPtr& p : store.Ports)
        if (p && p->Number == number) return p.get();
    return nullptr;
}

// What sits at a port, for the meaning of a button that names one.
std::string PortMeaning(const TDataStream& store, int number) {
    const std::string n = std::to_string(number);
    const TPort* port = PortNumbered(store, number);
    if (port == nullptr) return "Порт " + n;
    switch (port->Type) {
        case kPortTypeSubscriber:
            return WithName("АЛ " + n, PortName(store, *port));
        case kPortTypeTrunk:
            return WithName("СЛ " + n, PortName(store, *port));
        case kPortTypeSta:
            return WithName("СТА " + n, PortName(store, *port));
        case kPortTypeDoorPhone:
        case kPortTypeAttachedDoorPhone:
            return "Домофон, порт " + n;
        case kPortTypeAttachedLoudspeaker:
            return "ГГС, порт " + n;
        default:
            return "Порт " + n + ": пустое место";
    }
}

std::string TrunkMeaning(const TDataStream& store, int number) {
    const TPort* port = PortNumbered(store, number);
    const std::string name = port && port->Type == kPortTypeTrunk ? PortName(store, *port) : "";
    return WithName("СЛ " + std::to_string(number), name);
}

std::string ProgramNumberMeaning(const TDataStream& store, const std::string& code) {
    for (const TPortPtr& p : store.Ports)
        if (p && p->Type == kPortTypeSubscriber && p->AlData && p->AlData->AL_PrgNum == code)
            return WithName(
                "АЛ с программным номером " + code + ", порт " + std::to_string(p->Number),
                PortName(store, *p));
    return "Программный номер " + code;
}

}  // namespace

bool StationHasSta(const TDataStream& store) {
    return std::any_of(store.Ports.begin(), store.Ports.end(),
                       [](const TPortPtr& p) { return p && p->Type == kPortTypeSta; });
}

TButtonCodeCheck CheckButtonCode(const std::string& typed) {
    TButtonCodeCheck check;
    std::string text = typed;
    text.erase(std::remove(text.begin(), text.end(), ' '), text.end());
    if (text.empty()) return check;
    // No code the station knows travels as 0x0000: an untouched pair means no shape matched.
    std::uint8_t code = 0;
    std::uint8_t kind = 0;
    bool digitsFit = true;
    if (std::all_of(text.begin(), text.end(), [](char c) { return c > ' ' && c < 0x7F; })) {
        try {
            TSilentDialogs quiet;  // removing spaces from a copy never fails
            TBroadcaster::StrToWord1(text, code, kind, quiet);
        } catch (const std::invalid_argument&) {
            digitsFit = false;
        }
    }
    if (!digitsFit || (code == 0 && kind == 0)) {
        check.Error = "Код кнопки \"" + typed +
                      "\" не может быть записан в АТС. Допустимые коды: 9; 0 и одна или две "
                      "цифры; 1 и от одной до трех цифр; 2, 3, 5 или 7 и две цифры; 5 и одна "
                      "цифра; SL и две цифры, последняя 0 или 2; SL2 или SL3 и две цифры; Conf и "
                      "цифра.";
        return check;
    }
    bool recognised = true;
    check.Text = StaButtonText(code, kind, recognised);
    return check;
}

std::string ButtonMeaning(const TDataStream& store, const std::string& code) {
    if (code.empty()) return "не запрограммирована";
    if (!CheckButtonCode(code).Ok()) return "код не может быть записан в АТС";
    if (code.starts_with("Conf")) {
        const std::string n = code.substr(4);
        const int index = AllDigits(n) ? std::stoi(n) : -1;
        const std::string name =
            store.Names && index >= 0 ? Cp1251ToUtf8(store.Names->GetConfName(index)) : "";
        return WithName("Конференция " + n, name);
    }
    if (code.starts_with("SL")) {
        // "SLxy": trunk line 2xy; "SL2xy", "SL3xy": trunk line 2xy, 3xy.
        const std::string digits = code.substr(2);
        const std::string port = digits.size() == 2 ? "2" + digits : digits;
        return AllDigits(port) ? TrunkMeaning(store, std::stoi(port)) : "СЛ " + port;
    }
    if (!AllDigits(code)) return "Код " + code;
    switch (code[0]) {
        case '9':
            return "Направление 9";
        case '0':
            if (code.size() == 2) return "Направление " + code;
            if (const int cell = std::stoi(code);
                cell >= kFirstBookCell && cell < kFirstBookCell + kBookCells) {
                const std::string name =
                    store.Names
                        ? Cp1251ToUtf8(store.Names->GetGlobalExtNumName(cell - kFirstBookCell))
                        : "";
                return WithName("Ячейка " + code + " общей записной книжки", name);
            }
            return "Код " + code;
        case '1':
            return ProgramNumberMeaning(store, code);
        case '2':
        case '3':
            return PortMeaning(store, std::stoi(code));
        default:
            return "Служебный код " + code;
    }
}

// ---------------------------------------------------------------- the editor

TStaButtonEditor::TStaButtonEditor(const TMainClass& session, const TDataStream& store)
    : Model(session.Identity.ModelName), Buttons(StaButtonCountFor(session.Identity.Version)) {
    const int count = std::min<int>(session.Identity.StaCount, static_cast<int>(kMaxStaPhones));
    for (int i = 0; i < count && KnownFamily(Model); ++i) {
        TStaPhone phone;
        phone.Index = i;
        phone.Port = TBroadcaster::GetSTANumFromLogNum(Model, i + 1);
        phone.Text = "СТА " + std::to_string(i + 1) + " — порт " + std::to_string(phone.Port);
        // The table numbers phones by place; a phone's name is that of the port at its place.
        if (const TPort* port = PortNumbered(store, phone.Port); port && port->Type == kPortTypeSta)
            phone.Text = WithName(phone.Text, PortName(store, *port));
        PhoneList.push_back(phone);
        Original.push_back(store.StaButtons[static_cast<std::size_t>(i)]);
    }
    Copy = Original;
    for (TSTAButtonTable& phone : Copy)
        for (std::string& text : phone.Buttons) text = Cp1251ToUtf8(text);
}

const std::string& TStaButtonEditor::Button(int phone, int button) const {
    return Copy.at(static_cast<std::size_t>(phone)).Buttons.at(static_cast<std::size_t>(button));
}

int TStaButtonEditor::Linked(int phone) const {
    return Copy.at(static_cast<std::size_t>(phone)).LinkedSta;
}

std::vector<TStaLinkChoice> TStaButtonEditor::LinkChoices(int phone) const {
    std::vector<TStaLinkChoice> choices{{"", -1}};
    for (const TStaPhone& p : PhoneList)
        if (p.Index != phone) choices.push_back({p.Text, p.Port});
    const int current = Linked(phone);
    const bool listed =
        std::any_of(choices.begin(), choices.end(),
                    [current](const TStaLinkChoice& c) { return c.Port == current; });
    if (!listed) choices.push_back({"порт " + std::to_string(current), current});
    return choices;
}

std::optional<std::string> TStaButtonEditor::SetButton(int phone, int button,
                                                       const std::string& typed) {
    if (button < 0 || button >= Buttons) return std::nullopt;
    const TButtonCodeCheck check = CheckButtonCode(typed);
    if (!check.Ok()) return check.Error;
    Copy.at(static_cast<std::size_t>(phone)).Buttons[static_cast<std::size_t>(button)] = check.Text;
    return std::nullopt;
}

void TStaButtonEditor::SetLinked(int phone, int port) {
    Copy.at(static_cast<std::size_t>(phone)).LinkedSta = port;
}

bool TStaButtonEditor::Dirty() const {
    for (std::size_t i = 0; i < Copy.size(); ++i) {
        if (Copy[i].LinkedSta != Original[i].LinkedSta) return true;
        for (int j = 0; j < Buttons; ++j)
            if (Utf8ToCp1251(Copy[i].Buttons[static_cast<std::size_t>(j)]) !=
                Original[i].Buttons[static_cast<std::size_t>(j)])
                return true;
    }
    return false;
}

std::vector<std::string> TStaButtonEditor::UnsendableButtons() const {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < Copy.size(); ++i)
        for (int j = 0; j < Buttons; ++j) {
            const std::string& text = Copy[i].Buttons[static_cast<std::size_t>(j)];
            if (!CheckButtonCode(text).Ok())
                out.push_back("СТА " + std::to_string(i + 1) + ", кнопка " + std::to_string(j + 1) +
                              " (" + text + ")");
        }
    return out;
}

bool TStaButtonEditor::Commit(TMainClass& session, TDataStream& store, TUserDialogs& dialogs) {
    if (!Dirty()) return true;  // nothing to offer for the next write
    for (std::size_t i = 0; i < Copy.size(); ++i) {
        const int link = Copy[i].LinkedSta;
        if (link != -1 && !IsStaLinkPort(Model, link)) {
            dialogs.Message("Порт " + std::to_string(link) + ", с которым связан СТА " +
                                std::to_string(i + 1) +
                                ", не является местом СТА. Данные не внесены.",
                            kErrorCaption);
            return false;
        }
    }
    if (const auto bad = UnsendableButtons(); !bad.empty()) {
        std::string list;
        for (const std::string& b : bad) list += (list.empty() ? "" : "; ") + b;
        const std::string question =
            "Коды этих кнопок не могут быть записаны в АТС, кнопки будут "
            "записаны незапрограммированными: " +
            list + ". Продолжить?";
        if (dialogs.Question(question, kNoStaCaption) != TAnswer::Ok) return false;
    }
    for (std::size_t i = 0; i < Copy.size(); ++i) {
        TSTAButtonTable& phone = store.StaButtons[i];
        for (int j = 0; j < Buttons; ++j)
            phone.Buttons[static_cast<std::size_t>(j)] =
                Utf8ToCp1251(Copy[i].Buttons[static_cast<std::size_t>(j)]);
        phone.ButtonCount = static_cast<std::uint16_t>(Buttons);
        phone.LinkedSta = Copy[i].LinkedSta;
    }
    EncodeStaButtonTable(session, store);
    for (std::size_t i = 0; i < Copy.size(); ++i) Original[i] = store.StaButtons[i];
    return true;
}

}  // namespace zarnik
