#include "editors/options_editing.h"

#include "link/byte_trace.h"
#include "model/program_options.h"
#include "platform/file_system.h"

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

std::string TraceFilePath(const std::string& baseDir) {
    return JoinPath(baseDir, kTraceFileName);
}

bool ApplyTraceSwitch(TMainClass& session, bool on, const std::string& baseDir) {
    if (!on) {
        session.Port.SetTrace(nullptr);
        return true;
    }
    if (session.Port.Trace()) return true;
    auto trace = std::make_shared<TByteTrace>(TraceFilePath(baseDir));
    if (!trace->Good()) return false;
    session.Port.SetTrace(std::move(trace));
    return true;
}

std::optional<std::string> AcceptOptions(TMainClass& session, const std::string& text,
                                         const TSafetyOptions& safety, const std::string& startDir,
                                         TUserDialogs& dialogs) {
    std::optional<std::string> taken = AcceptPortChoice(session, text, startDir, dialogs);
    if (!taken) return taken;
    // A base directory that is gone has been reported by the port's save already.
    if (LoadSafetyOptions(startDir) != safety && DirectoryExists(startDir))
        SaveSafetyOptions(startDir, safety, dialogs);
    return taken;
}

}  // namespace zarnik
