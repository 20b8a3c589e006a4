#include "app/station_worker.h"

#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QWidget>

namespace zarnik::app {

namespace {

bool IsInputEvent(QEvent::Type t) {
    switch (t) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::Wheel:
        case QEvent::Shortcut:
        case QEvent::ShortcutOverride:
        case QEvent::Close:
            return true;
        default:
            return false;
    }
}

}  // namespace

TStationWorker::TStationWorker(QObject* parent) : QObject(parent), Executor(new QObject) {
    Thread.setObjectName(QStringLiteral("station"));
    Executor->moveToThread(&Thread);
    connect(&Thread, &QThread::finished, Executor, &QObject::deleteLater);
    Thread.start();
}

TStationWorker::~TStationWorker() {
    Thread.quit();
    Thread.wait();
}

void TStationWorker::Run(const std::function<void()>& job) {
    if (Running) {
        job();
        return;
    }
    Running = true;
    Cancel = false;
    qApp->installEventFilter(this);
    Q_EMIT jobStarted();
    std::exception_ptr failure;
    QEventLoop loop;
    QMetaObject::invokeMethod(Executor, [&] {
        try {
            job();
        } catch (...) {
            failure = std::current_exception();
        }
        QMetaObject::invokeMethod(&loop, "quit", Qt::QueuedConnection);
    });
    loop.exec();
    qApp->removeEventFilter(this);
    Running = false;
    Q_EMIT jobFinished();
    if (failure) std::rethrow_exception(failure);
}

bool TStationWorker::eventFilter(QObject* watched, QEvent* event) {
    if (!Running || !IsInputEvent(event->type()) || !watched->isWidgetType())
        return QObject::eventFilter(watched, event);
    auto* w = static_cast<QWidget*>(watched);
    // Dialogs the job asked for are modal and take their input as usual.
    if (QWidget* modal = QApplication::activeModalWidget();
        modal != nullptr && (w == modal || modal->isAncestorOf(w)))
        return false;
    for (const QPointer<QWidget>& allowed : Allowed)
        if (allowed && (w == allowed || allowed->isAncestorOf(w))) return false;
    return true;  // swallowed: nothing else accepts input while the line is busy
}

TBarProgress::TBarProgress(QProgressBar* bar) : Bar(bar) {
    if (bar != nullptr) {
        Min = bar->minimum();
        Max = bar->maximum();
        Current = bar->value();
        moveToThread(bar->thread());
    }
}

void TBarProgress::Post(std::function<void(QProgressBar&)> f) {
    QMetaObject::invokeMethod(this, [bar = Bar, f = std::move(f)] {
        if (bar) f(*bar);
    }, Qt::QueuedConnection);
}

void TBarProgress::SetMinimum(int v) {
    Min = v;
    Post([v](QProgressBar& b) { b.setMinimum(v); });
}

void TBarProgress::SetMaximum(int v) {
    Max = v;
    Post([v](QProgressBar& b) { b.setMaximum(v); });
}

void TBarProgress::SetPosition(int v) {
    Current = v;
    TCountingProgress::SetPosition(v);
    Post([v](QProgressBar& b) { b.setValue(v); });
}

}  // namespace zarnik::app
