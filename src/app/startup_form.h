#pragma once
// The two small windows of the start: the choice between the station and files, and the
// progress of the first read.

#include <QDialog>
#include <QProgressBar>
#include <QPushButton>

namespace zarnik::app {

enum class EStartChoice { Station, Files };

// "Zarnik 1.38  Варианты загрузки.": closing it any other way counts as reading the station.
class TStartupChoiceForm : public QDialog {
    Q_OBJECT
public:
    explicit TStartupChoiceForm(QWidget* parent = nullptr);
    EStartChoice Choice() const { return Chosen; }
    QPushButton* StationButton() const { return Station; }
    QPushButton* FilesButton() const { return Files; }

private:
    EStartChoice Chosen = EStartChoice::Station;
    QPushButton* Station;
    QPushButton* Files;
};

// "Чтение АТС...": the bar of the start-up read and the button that stops it.
class TReadingProgressForm : public QDialog {
    Q_OBJECT
public:
    explicit TReadingProgressForm(QWidget* parent = nullptr);
    QProgressBar* Bar() const { return ProgressBar; }
    QPushButton* CancelButton() const { return Cancel; }

Q_SIGNALS:
    void cancelRequested();

protected:
    void reject() override {}  // Esc does not hide the bar while the read goes on

private:
    QProgressBar* ProgressBar;
    QPushButton* Cancel;
};

// Centres a small start-up window as the program always has: its top left corner half its
// size up and left of the screen's centre.
void PlaceAtScreenCentre(QWidget& w);

}  // namespace zarnik::app
