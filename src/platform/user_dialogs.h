#pragma once
// Every message box, question and file dialog of the program goes through this interface:
// the Qt program shows real dialogs, the command line prints to stderr, tests answer from a
// script. All texts are UTF-8.

#include <optional>
#include <stdexcept>
#include <string>

namespace zarnik {

enum class TAnswer { Ok, Cancel };
enum class TSaveAnswer { Save, Discard, Cancel };

class TUserDialogs {
public:
    virtual ~TUserDialogs() = default;
    // A modal message with an OK button. An empty caption means the program's own title.
    virtual void Message(const std::string& text, const std::string& caption) = 0;
    // A modal question with OK and Cancel.
    virtual TAnswer Question(const std::string& text, const std::string& caption) = 0;
    // Save, discard or cancel, asked before unsaved edits would be lost. Where only OK and
    // Cancel can be offered, OK saves.
    virtual TSaveAnswer AskSave(const std::string& text, const std::string& caption) {
        return Question(text, caption) == TAnswer::Ok ? TSaveAnswer::Save : TSaveAnswer::Cancel;
    }
    // File dialogs; nullopt when the user cancelled.
    virtual std::optional<std::string> OpenFile(const std::string& title,
                                                const std::string& filter,
                                                const std::string& initialDir) = 0;
    virtual std::optional<std::string> SaveFile(const std::string& title,
                                                const std::string& filter,
                                                const std::string& initialDir) = 0;
};

// Thrown where the program must end after a message has been shown; only main() catches it
// and exits with the code it carries. Library code never calls exit().
class TExitProgram : public std::runtime_error {
public:
    explicit TExitProgram(int code, const std::string& why = "program ends")
        : std::runtime_error(why), Code(code) {}
    int Code;
};

// Shows the message, then ends the program with the given code.
[[noreturn]] inline void FatalMessage(TUserDialogs& dialogs, const std::string& text,
                                      const std::string& caption, int code) {
    dialogs.Message(text, caption);
    throw TExitProgram(code, text);
}

}  // namespace zarnik
