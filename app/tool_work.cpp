#include "app/tool_work.h"

#include <memory>

#include "platform/forwarded_prompt.h"
#include "platform/long_work.h"

namespace kalvor {

bool StartTool(LongWork& work, Prompt& prompt, std::function<void(Prompt&)> tool,
               std::function<void()> ended) {
    auto forwarded = std::make_shared<ForwardedPrompt>(prompt, work);
    if (!work.start([forwarded, tool = std::move(tool)] { tool(*forwarded); }, std::move(ended))) {
        LongWork::Say_Busy(prompt);
        return false;
    }
    return true;
}

}  // namespace kalvor
