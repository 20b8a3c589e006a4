#pragma once
// The terminal face of TUserDialogs: messages go to a stream (stderr in the CLI), questions
// are answered by a fixed choice (the CLI's --yes), file dialogs are never shown.

#include <ostream>

#include "platform/user_dialogs.h"

namespace zarnik {

class TStreamDialogs : public TUserDialogs {
public:
    TStreamDialogs(std::ostream& out, bool answerOk) : Out(out), AnswerOk(answerOk) {}
    void Message(const std::string& text, const std::string& caption) override {
        Out << (caption.empty() ? "Zarnik" : caption) << ": " << text << "\n";
    }
    TAnswer Question(const std::string& text, const std::string& caption) override {
        Out << (caption.empty() ? "Zarnik" : caption) << ": " << text << " ["
            << (AnswerOk ? "OK" : "Отмена") << "]\n";
        return AnswerOk ? TAnswer::Ok : TAnswer::Cancel;
    }
    std::optional<std::string> OpenFile(const std::string&, const std::string&,
                                        const std::string&) override {
        return std::nullopt;
    }
    std::optional<std::string> SaveFile(const std::string&, const std::string&,
                                        const std::string&) override {
        return std::nullopt;
    }

private:
    std::ostream& Out;
    bool AnswerOk;
};

}  // namespace zarnik
