#pragma once

#include <QObject>

class QSocketNotifier;

// SIGTERM and SIGHUP (a logout, a shutdown) arrive as a signal on the
// user-interface thread, so the window can keep what the user typed
// before the process ends.
class TerminationSignals : public QObject {
    Q_OBJECT
public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

Q_SIGNALS:
    void terminationRequested();

private:
    QSocketNotifier* notifier_ = nullptr;
};
