#pragma once
// Pieces the editing grids share: a validator that applies a key rule of editors/ to the text
// being typed, and cells that tell a screen reader where they are.

#include <QTableWidgetItem>
#include <QValidator>
#include <functional>
#include <string>
#include <string_view>

namespace zarnik::app {

// A key the rule does not take leaves the text as it was: QLineEdit drops an edit that would
// make its text invalid. Pasted text is held to the same rule. The rules are for ASCII
// symbols; any other character is refused.
class TRuleValidator : public QValidator {
  public:
    using TRule = std::function<bool(std::string_view)>;
    TRuleValidator(TRule rule, QObject* parent) : QValidator(parent), Rule(std::move(rule)) {}
    State validate(QString& input, int&) const override {
        for (const QChar c : input)
            if (c.unicode() > 0x7F) return Invalid;
        return Rule(input.toLatin1().toStdString()) ? Acceptable : Invalid;
    }

  private:
    TRule Rule;
};

// A cell with its text and flags, described for a screen reader as "<row>, <column>".
inline QTableWidgetItem* DescribedCell(const QString& text, Qt::ItemFlags flags,
                                       const QString& description) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(flags);
    item->setData(Qt::AccessibleDescriptionRole, description);
    return item;
}

}  // namespace zarnik::app
