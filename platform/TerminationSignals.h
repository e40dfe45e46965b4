#pragma once

#include <QObject>

class QSocketNotifier;

// SIGTERM, SIGINT and SIGHUP (on Windows the console's close and Ctrl+C events) arrive as
// the signal received() in the event loop, so that the program ends its normal way.
class TerminationSignals : public QObject {
    Q_OBJECT

public:
    explicit TerminationSignals(QObject *parent = nullptr);
    ~TerminationSignals() override;

    // Whether one has arrived that the event loop has not yet taken: long work that holds the
    // loop asks, and makes way, so that every way out is answered at once.
    static bool Pending() noexcept;

signals:
    void received();

private:
    QSocketNotifier *m_notifier = nullptr;
};
