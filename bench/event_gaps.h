#pragma once

#include <time.h>

#include <QElapsedTimer>
#include <QFile>
#include <QStringList>
#include <QTimer>
#include <algorithm>
#include <functional>
#include <vector>

namespace kalvor::bench {

// The gaps between two turns of the event loop, while it is measured, with
// the processor time the loop's thread spent in each and the time it waited
// for a processor (the kernel's schedstat): a long gap of neither is the
// thread held by a lock.
class EventGaps {
  public:
    EventGaps() {
        timer_.setInterval(2);
        QObject::connect(&timer_, &QTimer::timeout, [this] { tick(); });
    }
    // What the window shows, read at each turn: a long silence is named by
    // the step it began in.
    std::function<QString()> step;
    QStringList longOnes;

    void start() {
        gaps_.clear();
        busy_.clear();
        longOnes.clear();
        clock_.start();
        last_ = 0;
        lastBusy_ = threadTime();
        lastQueued_ = queuedTime();
        timer_.start();
    }
    // The silence that ends with the measure counts too.
    void stop() {
        tick();
        timer_.stop();
    }
    double longest() const {
        return gaps_.empty() ? 0 : *std::max_element(gaps_.begin(), gaps_.end());
    }
    // The most processor time the thread spent in one gap.
    double longestBusy() const {
        return busy_.empty() ? 0 : *std::max_element(busy_.begin(), busy_.end());
    }
    double percentile(double p) const {
        if (gaps_.empty()) {
            return 0;
        }
        std::vector<double> sorted = gaps_;
        std::sort(sorted.begin(), sorted.end());
        return sorted[std::min(sorted.size() - 1, size_t(p * double(sorted.size())))];
    }

  private:
    // Milliseconds this thread has waited on a run queue, 0 when unknown.
    static double queuedTime() {
        QFile stat(QStringLiteral("/proc/thread-self/schedstat"));
        if (!stat.open(QIODevice::ReadOnly)) {
            return 0;
        }
        const QList<QByteArray> fields = stat.readAll().split(' ');
        return fields.size() > 1 ? fields[1].toDouble() / 1e6 : 0;
    }
    static double threadTime() {
        timespec t{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return double(t.tv_sec) * 1000 + double(t.tv_nsec) / 1e6;
    }
    void tick() {
        const qint64 now = clock_.elapsed();
        const double busy = threadTime();
        const double queued = queuedTime();
        gaps_.push_back(double(now - last_));
        busy_.push_back(busy - lastBusy_);
        const QString shown = step ? step() : QString();
        if (now - last_ > 40) {
            longOnes << QStringLiteral(
                            "%1 ms après « %2 » (%3 ms de calcul, %4 ms à attendre un "
                            "processeur)")
                            .arg(now - last_)
                            .arg(last_step_)
                            .arg(busy - lastBusy_, 0, 'f', 0)
                            .arg(queued - lastQueued_, 0, 'f', 0);
        }
        lastBusy_ = busy;
        lastQueued_ = queued;
        last_step_ = shown;
        last_ = now;
    }
    QTimer timer_;
    QElapsedTimer clock_;
    qint64 last_ = 0;
    std::vector<double> gaps_;
    std::vector<double> busy_;
    double lastBusy_ = 0;
    double lastQueued_ = 0;
    QString last_step_;
};

}  // namespace kalvor::bench
