#include "editors/options_editing.h"

#include "model/program_options.h"

namespace zarnik {

std::vector<std::string> AvailablePortNames(const std::function<bool(const std::string&)>& exists) {
    std::vector<std::string> names;
    for (int n = 1; n <= kHighestPortNumber; ++n) {
        std::string name = PortNameFor(static_cast<std::uint8_t>(n));
        if (exists(name)) names.push_back(std::move(name));
    }
    return names;
}

std::optional<std::string> AcceptPortChoice(TMainClass& session, const std::string& text,
                                            const std::string& startDir, TUserDialogs& dialogs) {
    if (session.Port.IsOpen()) {
        try {
            session.Port.Close();
        } catch (const ECommError&) {
            // The descriptor is gone either way; the next exchange opens the port afresh.
        }
    }
    const std::optional<std::uint8_t> number = ValidatePortText(text, dialogs);
    if (!number) return std::nullopt;
    session.PortName = PortNameFor(*number);
    SaveOptions(startDir, *number, dialogs);
    return session.PortName;
}

}  // namespace zarnik
