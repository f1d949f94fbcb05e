#pragma once

class QLineEdit;

namespace kalvor {

// A box of a disabled window or frame takes no text: assistive tools can
// still set or paste one, which is put back at once to the last text taken
// while the box was enabled. Other readers of its changes look at
// isEnabled() themselves: they are told of the refused text too.
void KeepTextWhileDisabled(QLineEdit* box);

}  // namespace kalvor
