#include "platform/long_work.h"

#include <QSemaphore>
#include <memory>

#include "common/banner.h"
#include "platform/prompt.h"

namespace kalvor {

LongWork::LongWork(QObject* parent) : QObject(parent) {}

QString LongWork::Busy_Text() {
    return QStringLiteral("Un autre traitement est en cours : attendez qu'il se termine.");
}

void LongWork::Say_Busy(Prompt& prompt) {
    prompt.message(Busy_Text(), kBanner, PromptIcon::Exclamation);
}

LongWork::~LongWork() {
    abandon();
}

void LongWork::abandon() {
    if (thread_ == nullptr) {
        return;
    }
    givenUp_ = true;
    if (cancel_) {
        cancel_();
    }
    thread_->wait();
    delete thread_;
    thread_ = nullptr;
    cancel_ = nullptr;
    givenUp_ = false;
    emit runningChanged(false);
}

bool LongWork::start(std::function<void()> work, std::function<void()> ended,
                     std::function<void()> cancel) {
    if (thread_ != nullptr) {
        return false;
    }
    cancel_ = std::move(cancel);
    thread_ = QThread::create([work = std::move(work)] {
        // Each piece reports its own failures; one that escapes must not end
        // the program.
        try {
            work();
        } catch (...) {
        }
    });
    const quint64 piece = ++started_;
    connect(thread_, &QThread::finished, this, [this, piece, ended = std::move(ended)] {
        if (piece != started_ || thread_ == nullptr) {
            return;  // abandoned
        }
        thread_->wait();
        cancel_ = nullptr;
        // Still running while its result is shown: the window may run its
        // events meanwhile.
        if (ended) {
            ended();
        }
        delete thread_;
        thread_ = nullptr;
        emit runningChanged(false);
    });
    emit runningChanged(true);
    thread_->start();
    return true;
}

void LongWork::cancel() {
    if (thread_ != nullptr && cancel_) {
        cancel_();
    }
}

bool LongWork::callOnWindow(const std::function<void()>& call) {
    if (QThread::currentThread() == thread()) {
        call();
        return true;
    }
    struct Waited {
        QSemaphore done;
    };
    auto waited = std::make_shared<Waited>();
    QMetaObject::invokeMethod(
        this,
        [call, waited] {
            call();
            waited->done.release();
        },
        Qt::QueuedConnection);
    // The window may be going meanwhile: it waits for this thread, which must
    // not wait for it.
    while (!waited->done.tryAcquire(1, 20)) {
        if (givenUp_) {
            return false;
        }
    }
    return true;
}

}  // namespace kalvor
