#pragma once

#include <functional>

namespace kalvor {

class LongWork;
class Prompt;

// Starts a tool or an export as the window's long work: `tool` runs on
// the work's thread, its boxes and questions shown by the window meanwhile;
// `ended` runs on the window's thread once it has returned. False when other
// work runs: nothing starts, and that is said.
bool StartTool(LongWork& work, Prompt& prompt, std::function<void(Prompt&)> tool,
               std::function<void()> ended = {});

}  // namespace kalvor
