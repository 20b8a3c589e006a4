#pragma once
// Small pieces every window of the program uses: texts between the core and Qt, and controls
// that carry their caption as their accessible name.

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QString>
#include <QWidget>
#include <string>

namespace zarnik::app {

inline QString Qs(const std::string& utf8) {
    return QString::fromStdString(utf8);
}
inline QString Qs(const char* utf8) {
    return QString::fromUtf8(utf8);
}
inline std::string Std(const QString& text) {
    return text.toStdString();
}

// Screen readers and scripted checks find a control by the caption the user sees.
template <typename W>
W* Named(W* widget, const QString& name) {
    widget->setAccessibleName(name);
    return widget;
}

// A label for `field`: its buddy, and the field is named by the label's caption.
inline QLabel* BuddyLabel(const QString& caption, QWidget* field, QWidget* parent = nullptr) {
    auto* label = new QLabel(caption, parent);
    label->setBuddy(field);
    field->setAccessibleName(caption);
    return label;
}

// A button named after its caption.
template <typename B>
B* CaptionedButton(const QString& caption, QWidget* parent = nullptr) {
    auto* b = new B(caption, parent);
    b->setAccessibleName(caption);
    return b;
}

inline QGroupBox* NamedGroup(const QString& caption, QWidget* parent = nullptr) {
    return Named(new QGroupBox(caption, parent), caption);
}

}  // namespace zarnik::app
