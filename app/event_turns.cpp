#include "app/event_turns.h"

#include <QCoreApplication>

namespace kalvor {

void EventTurns::run(QEventLoop::ProcessEventsFlags flags) {
    QCoreApplication::processEvents(flags);
    since_.start();
}

}  // namespace kalvor
