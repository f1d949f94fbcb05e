#pragma once

#include <QElapsedTimer>
#include <QStringList>
#include <QTimer>
#include <algorithm>
#include <functional>
#include <vector>

namespace kalvor::bench {

// The gaps between two turns of the event loop, while it is measured.
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
        longOnes.clear();
        clock_.start();
        last_ = 0;
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
    double percentile(double p) const {
        if (gaps_.empty()) {
            return 0;
        }
        std::vector<double> sorted = gaps_;
        std::sort(sorted.begin(), sorted.end());
        return sorted[std::min(sorted.size() - 1, size_t(p * double(sorted.size())))];
    }

  private:
    void tick() {
        const qint64 now = clock_.elapsed();
        gaps_.push_back(double(now - last_));
        const QString shown = step ? step() : QString();
        if (now - last_ > 40) {
            longOnes << QStringLiteral("%1 ms après « %2 »").arg(now - last_).arg(last_step_);
        }
        last_step_ = shown;
        last_ = now;
    }
    QTimer timer_;
    QElapsedTimer clock_;
    qint64 last_ = 0;
    std::vector<double> gaps_;
    QString last_step_;
};

}  // namespace kalvor::bench
