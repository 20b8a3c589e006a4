#pragma once
// Dialogs for work no user watches: messages are dropped, every question gets one fixed
// answer, file dialogs are never shown.

#include "platform/user_dialogs.h"

namespace zarnik {

class TSilentDialogs : public TUserDialogs {
  public:
    explicit TSilentDialogs(TAnswer answer = TAnswer::Cancel) : Answer(answer) {}
    void Message(const std::string&, const std::string&) override {}
    TAnswer Question(const std::string&, const std::string&) override { return Answer; }
    std::optional<std::string> OpenFile(const std::string&, const std::string&,
                                        const std::string&) override {
        return std::nullopt;
    }
    std::optional<std::string> SaveFile(const std::string&, const std::string&,
                                        const std::string&) override {
        return std::nullopt;
    }

  private:
    TAnswer Answer;
};

}  // namespace zarnik
