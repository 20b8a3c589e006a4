#pragma once
// Runs station exchanges (read-all, write-all, clock, link checks) on a thread of their own so
// the windows keep painting. While a job runs, user input reaches only the modal dialogs the
// job asks for and the widgets marked as allowed (the "Прервать" button).

#include <QObject>
#include <QPointer>
#include <QProgressBar>
#include <QThread>

#include <atomic>
#include <exception>
#include <functional>
#include <vector>

#include "flows/progress.h"

namespace zarnik::app {

class TStationWorker : public QObject {
    Q_OBJECT
public:
    explicit TStationWorker(QObject* parent = nullptr);
    ~TStationWorker() override;

    // Runs job on the worker thread and returns when it has ended, rethrowing what it threw.
    // Meanwhile the window thread goes on serving paint events and the dialogs the job asks
    // for. A Run called while a job is waiting for such a dialog runs at once on the window
    // thread: the job is blocked and the line is idle.
    void Run(const std::function<void()>& job);
    bool Busy() const { return Running; }

    // "Прервать": raises the flag the frame engine looks at before each frame.
    void RequestCancel() { Cancel = true; }
    const std::atomic<bool>* CancelFlag() const { return &Cancel; }

    // Widgets that keep accepting input while a job runs (cancel buttons).
    void AllowDuringJob(QWidget* w) { Allowed.emplace_back(w); }

Q_SIGNALS:
    void jobStarted();
    void jobFinished();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QThread Thread;
    QObject* Executor;  // lives on Thread; jobs are queued to it
    bool Running = false;
    std::atomic<bool> Cancel{false};
    std::vector<QPointer<QWidget>> Allowed;
};

// A progress bar of the window fed from the worker: positions travel as queued calls.
class TBarProgress : public QObject, public TCountingProgress {
    Q_OBJECT
public:
    explicit TBarProgress(QProgressBar* bar);
    void SetMinimum(int v) override;
    void SetMaximum(int v) override;
    void SetPosition(int v) override;
    int Position() const override { return Current.load(); }

private:
    void Post(std::function<void(QProgressBar&)> f);
    QPointer<QProgressBar> Bar;
    std::atomic<int> Current{0};
};

}  // namespace zarnik::app
