#pragma once
// Test double of TUserDialogs: a test states the dialogs it expects, in order, with the
// answer to give; any dialog it did not expect fails the test.

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "platform/user_dialogs.h"

namespace zarnik::test {

struct TSeenDialog {
    std::string Kind;  // "message", "question", "open", "save"
    std::string Text;
    std::string Caption;
};

class TScriptedDialogs : public TUserDialogs {
public:
    struct TExpect {
        std::string Kind;
        std::string Text;  // empty: any text
        TAnswer Answer = TAnswer::Ok;
        std::optional<std::string> File;
    };

    // Expectations are checked in order; with Strict false unexpected messages are only recorded.
    explicit TScriptedDialogs(bool strict = true) : Strict(strict) {}

    TScriptedDialogs& ExpectMessage(const std::string& text = "") {
        Script.push_back({"message", text, TAnswer::Ok, std::nullopt});
        return *this;
    }
    // A file dialog answered with a file name (nullopt: the user cancels).
    TScriptedDialogs& ExpectOpen(std::optional<std::string> file) {
        Script.push_back({"open", "", TAnswer::Ok, std::move(file)});
        return *this;
    }
    TScriptedDialogs& ExpectSave(std::optional<std::string> file) {
        Script.push_back({"save", "", TAnswer::Ok, std::move(file)});
        return *this;
    }
    TScriptedDialogs& ExpectQuestion(const std::string& text, TAnswer answer) {
        Script.push_back({"question", text, answer, std::nullopt});
        return *this;
    }

    void Message(const std::string& text, const std::string& caption) override {
        Seen.push_back({"message", text, caption});
        Take("message", text);
    }
    TAnswer Question(const std::string& text, const std::string& caption) override {
        Seen.push_back({"question", text, caption});
        return Take("question", text).Answer;
    }
    std::optional<std::string> OpenFile(const std::string& title, const std::string&,
                                        const std::string&) override {
        Seen.push_back({"open", title, ""});
        return Take("open", "").File;
    }
    std::optional<std::string> SaveFile(const std::string& title, const std::string&,
                                        const std::string&) override {
        Seen.push_back({"save", title, ""});
        return Take("save", "").File;
    }

    bool AllSeen() const { return Script.empty(); }
    std::vector<TSeenDialog> Seen;

private:
    TExpect Take(const std::string& kind, const std::string& text) {
        if (Script.empty()) {
            if (Strict) ADD_FAILURE() << "unexpected " << kind << ": " << text;
            return {kind, text, TAnswer::Cancel, std::nullopt};
        }
        TExpect e = Script.front();
        Script.pop_front();
        EXPECT_EQ(e.Kind, kind) << "dialog text: " << text;
        if (!e.Text.empty()) {
            EXPECT_EQ(e.Text, text);
        }
        return e;
    }
    bool Strict;
    std::deque<TExpect> Script;
};

}  // namespace zarnik::test
