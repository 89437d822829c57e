#pragma once

// For the tests that link Qt only: the rest of this folder stays free of it.
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <QStringList>

#include <csignal>

#include <sys/prctl.h>

// A program a test starts, its output kept line by line (what it writes on stderr passes
// through to the test's). It ends with this object, and with the test even when the test
// crashes.
class ProgramUnderTest {
public:
    // Every wait is bounded by this; a healthy run needs a fraction of it.
    static constexpr int kWaitMs = 10000;

    ProgramUnderTest() {
        process_.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGTERM); });
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    }
    ~ProgramUnderTest() { Stop(); }
    ProgramUnderTest(const ProgramUnderTest&) = delete;
    ProgramUnderTest& operator=(const ProgramUnderTest&) = delete;

    QProcess& Process() { return process_; }
    bool Start(const QString& program, const QStringList& arguments) {
        process_.start(program, arguments);
        return process_.waitForStarted(kWaitMs);
    }
    void Stop() {
        if (process_.state() == QProcess::NotRunning) {
            return;
        }
        process_.terminate();
        if (!process_.waitForFinished(kWaitMs)) {
            process_.kill();
            process_.waitForFinished(kWaitMs);
        }
    }
    // The number of lines so far: WaitForLine(head, Mark()) waits for a line still to come.
    qsizetype Mark() {
        ReadLines();
        return lines_.size();
    }
    // The first line from `from` on that starts with `head`; empty when none came in time.
    // The test's own events are served meanwhile.
    QString WaitForLine(const QString& head, qsizetype from = 0) {
        const QDeadlineTimer deadline(kWaitMs);
        for (;;) {
            ReadLines();
            for (qsizetype i = from; i < lines_.size(); ++i) {
                if (lines_[i].startsWith(head)) {
                    return lines_[i];
                }
            }
            if (deadline.hasExpired() || process_.state() == QProcess::NotRunning) {
                return {};
            }
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            process_.waitForReadyRead(10);
        }
    }
    const QStringList& Lines() {
        ReadLines();
        return lines_;
    }
    QString Said() { return Lines().join(QLatin1Char('\n')); }

private:
    void ReadLines() {
        while (process_.canReadLine()) {
            lines_ << QString::fromLocal8Bit(process_.readLine()).chopped(1);
        }
    }

    QProcess process_;
    QStringList lines_;
};
